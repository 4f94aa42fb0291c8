#include "publish/Keyring_bus.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace wobbin {

namespace {

struct Batch
{
    QList<TVaultAnswer> answers;
    QList<bool> answered;
    int remaining = 0;
    QEventLoop *loop = nullptr;
    bool closed = false;
};

TVaultAnswer AnswerOf(const QKeychain::Job *job, bool read)
{
    TVaultAnswer a;
    switch (job->error()) {
    case QKeychain::NoError:
        a.outcome = TVaultAnswer::Ok;
        if (read)
            a.password = static_cast<const QKeychain::ReadPasswordJob *>(job)->textData();
        break;
    case QKeychain::EntryNotFound:
        a.outcome = TVaultAnswer::NotFound;
        break;
    default:
        a.outcome = TVaultAnswer::Failed;
        a.error = job->errorString();
        break;
    }
    return a;
}

} // namespace

TDesktopKeyring::TDesktopKeyring(const QString &service) : m_service(service) {}

QList<TVaultAnswer> TDesktopKeyring::ReadPasswords(const QStringList &names)
{
    QList<QPair<QString, QString>> entries;
    for (const QString &n : names)
        entries.append({n, QString()});
    return run(Kind::Read, entries);
}

QList<TVaultAnswer> TDesktopKeyring::WritePasswords(const QList<QPair<QString, QString>> &entries)
{
    return run(Kind::Write, entries);
}

QList<TVaultAnswer> TDesktopKeyring::RemovePasswords(const QStringList &names)
{
    QList<QPair<QString, QString>> entries;
    for (const QString &n : names)
        entries.append({n, QString()});
    return run(Kind::Remove, entries);
}

QList<TVaultAnswer> TDesktopKeyring::run(Kind kind, const QList<QPair<QString, QString>> &entries)
{
    auto batch = std::make_shared<Batch>();
    TVaultAnswer silent;
    silent.outcome = TVaultAnswer::NoAnswer;
    silent.error = QStringLiteral("the keyring did not answer");
    batch->answers = QList<TVaultAnswer>(entries.size(), silent);
    batch->answered = QList<bool>(entries.size(), false);
    if (entries.isEmpty() || !m_responsive)
        return batch->answers;

    batch->remaining = int(entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        QKeychain::Job *job = nullptr;
        switch (kind) {
        case Kind::Read:
            job = new QKeychain::ReadPasswordJob(m_service);
            break;
        case Kind::Write: {
            auto *w = new QKeychain::WritePasswordJob(m_service);
            w->setTextData(entries.at(i).second);
            job = w;
            break;
        }
        case Kind::Remove:
            job = new QKeychain::DeletePasswordJob(m_service);
            break;
        }
        job->setAutoDelete(true);
        job->setInsecureFallback(false);
        job->setKey(entries.at(i).first);
        const bool read = kind == Kind::Read;
        QObject::connect(job, &QKeychain::Job::finished, [batch, i, read](QKeychain::Job *j) {
            if (batch->closed || batch->answered.at(i))
                return;  // a late answer: the caller has moved on
            batch->answered[i] = true;
            batch->answers[i] = AnswerOf(j, read);
            if (--batch->remaining == 0 && batch->loop)
                batch->loop->quit();
        });
        job->start();
    }

    QEventLoop loop;
    batch->loop = &loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(m_timeout);
    if (batch->remaining > 0)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    batch->loop = nullptr;
    batch->closed = true;
    if (batch->remaining > 0)
        m_responsive = false;
    return batch->answers;
}

void UseDesktopKeyring()
{
    static TDesktopKeyring keyring;
    if (PasswordVault() != &keyring)
        SetPasswordVault(&keyring);
}

} // namespace wobbin
