#include "session/Keyring.h"

#include <qt6keychain/keychain.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
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

const QString kSecrets = QStringLiteral("org.freedesktop.secrets");
const QString kSecretsPath = QStringLiteral("/org/freedesktop/secrets");
const QString kServiceInterface = QStringLiteral("org.freedesktop.Secret.Service");
const QString kPromptInterface = QStringLiteral("org.freedesktop.Secret.Prompt");

QDBusMessage Call(const QString &path, const QString &interface, const QString &method, const QVariantList &args)
{
    QDBusMessage m = QDBusMessage::createMethodCall(kSecrets, path, interface, method);
    m.setArguments(args);
    return m;
}

// One call to the Secret Service, waited for at most ms (events other than
// user input go on); false when no answer came in time.
bool Ask(const QDBusMessage &message, int ms, QDBusMessage &reply)
{
    QDBusPendingCall call = QDBusConnection::sessionBus().asyncCall(message, ms);
    if (!call.isFinished()) {
        QDBusPendingCallWatcher watcher(call);
        QEventLoop loop;
        QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
        QTimer timer;
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(ms);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (!call.isFinished())
        return false;
    reply = call.reply();
    return reply.type() != QDBusMessage::ErrorMessage || reply.errorName() != QLatin1String("org.freedesktop.DBus.Error.NoReply");
}

QString PathOf(const QVariant &v)
{
    return qdbus_cast<QDBusObjectPath>(v).path();
}

} // namespace

// The end of a keyring prompt: its Completed signal.
class TPromptEnd : public QObject
{
    Q_OBJECT
public:
    bool done = false;
    bool dismissed = false;
Q_SIGNALS:
    void ended();
public Q_SLOTS:
    void completed(bool wasDismissed, const QDBusVariant &)
    {
        done = true;
        dismissed = wasDismissed;
        Q_EMIT ended();
    }
};

TDesktopKeyring::TDesktopKeyring(const QString &service) : m_service(service) {}

TPasswordVault *TDesktopKeyring::Passphrases()
{
    if (!m_passphrases) {
        m_passphrases = std::make_unique<TDesktopKeyring>(m_service + QStringLiteral(" SSH key"));
        m_passphrases->SetTimeout(m_timeout);
    }
    return m_passphrases.get();
}

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
    const Readiness readiness = m_refused ? Readiness::Refused : prepare(kind);
    if (readiness == Readiness::Silent) {
        m_responsive = false;
        return batch->answers;
    }
    if (readiness == Readiness::Refused) {
        TVaultAnswer refused;
        refused.outcome = TVaultAnswer::Refused;
        refused.error = QStringLiteral("the keyring was not unlocked");
        return QList<TVaultAnswer>(entries.size(), refused);
    }

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

TDesktopKeyring::Readiness TDesktopKeyring::prepare(Kind kind)
{
    // No Secret Service on the bus: QtKeychain looks for another keyring.
    QDBusConnection bus = QDBusConnection::sessionBus();
    QDBusConnectionInterface *names = bus.isConnected() ? bus.interface() : nullptr;
    if (!names || (!names->isServiceRegistered(kSecrets).value()
                   && !names->activatableServiceNames().value().contains(kSecrets)))
        return Readiness::Ready;

    QDBusMessage reply;
    if (!Ask(Call(kSecretsPath, kServiceInterface, QStringLiteral("ReadAlias"), {QStringLiteral("default")}),
             m_timeout, reply))
        return Readiness::Silent;
    if (reply.type() == QDBusMessage::ErrorMessage)
        return Readiness::Ready; // QtKeychain meets the same trouble and reports it
    const QString collection = PathOf(reply.arguments().value(0));
    QString prompt;
    if (collection.isEmpty() || collection == QLatin1String("/")) {
        // No default keyring yet: one is made (the user chooses its password)
        // before anything is written; reading finds nothing without it.
        if (kind != Kind::Write)
            return Readiness::Ready;
        QVariantMap properties{{QStringLiteral("org.freedesktop.Secret.Collection.Label"), QStringLiteral("Default keyring")}};
        if (!Ask(Call(kSecretsPath, kServiceInterface, QStringLiteral("CreateCollection"),
                      {QVariant::fromValue(properties), QStringLiteral("default")}),
                 m_timeout, reply))
            return Readiness::Silent;
        prompt = PathOf(reply.arguments().value(1));
    } else {
        if (!Ask(Call(collection, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                      {QStringLiteral("org.freedesktop.Secret.Collection"), QStringLiteral("Locked")}),
                 m_timeout, reply))
            return Readiness::Silent;
        if (!qdbus_cast<QDBusVariant>(reply.arguments().value(0)).variant().toBool())
            return Readiness::Ready;
        if (!Ask(Call(kSecretsPath, kServiceInterface, QStringLiteral("Unlock"),
                      {QVariant::fromValue(QList<QDBusObjectPath>{QDBusObjectPath(collection)})}),
                 m_timeout, reply))
            return Readiness::Silent;
        prompt = PathOf(reply.arguments().value(1));
    }
    if (prompt.isEmpty() || prompt == QLatin1String("/"))
        return Readiness::Ready;
    return runPrompt(prompt);
}

// The keyring's own prompt: shown by the keyring, answered by its user, waited
// for as long as it is up (the service leaving the bus ends the wait).
TDesktopKeyring::Readiness TDesktopKeyring::runPrompt(const QString &promptPath)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    QEventLoop loop;
    TPromptEnd end;
    QObject::connect(&end, &TPromptEnd::ended, &loop, &QEventLoop::quit);
    bus.connect(kSecrets, promptPath, kPromptInterface, QStringLiteral("Completed"), &end,
                SLOT(completed(bool, QDBusVariant)));
    QDBusServiceWatcher gone(kSecrets, bus, QDBusServiceWatcher::WatchForUnregistration);
    QObject::connect(&gone, &QDBusServiceWatcher::serviceUnregistered, &loop, &QEventLoop::quit);
    QDBusMessage reply;
    const bool asked = Ask(Call(promptPath, kPromptInterface, QStringLiteral("Prompt"), {QString()}), m_timeout, reply);
    if (!asked || reply.type() == QDBusMessage::ErrorMessage) {
        bus.disconnect(kSecrets, promptPath, kPromptInterface, QStringLiteral("Completed"), &end,
                       SLOT(completed(bool, QDBusVariant)));
        return asked ? Readiness::Ready : Readiness::Silent;
    }
    if (!end.done) {
        NoteVaultWait(true);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        NoteVaultWait(false);
    }
    bus.disconnect(kSecrets, promptPath, kPromptInterface, QStringLiteral("Completed"), &end,
                   SLOT(completed(bool, QDBusVariant)));
    if (!end.done)
        return Readiness::Silent; // the keyring went away
    if (end.dismissed) {
        m_refused = true;
        return Readiness::Refused;
    }
    return Readiness::Ready;
}

void UseDesktopKeyring()
{
    static TDesktopKeyring keyring;
    if (PasswordVault() != &keyring)
        SetPasswordVault(&keyring);
}

} // namespace wobbin

#include "Keyring.moc"
