#include "publish/SshKeys.h"

#include "base/Secrets.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <mutex>

#include <sys/stat.h>

namespace wobbin {

namespace {

// A private key is a few kilobytes; anything much larger is something else.
constexpr qint64 kMaxKeyFileBytes = 64 * 1024;

QString HomeOr(const QString &home)
{
    return home.isEmpty() ? QDir::homePath() : home;
}

// The lines between "-----BEGIN <label>-----" and its end, and the label.
bool PemBlock(const QByteArray &text, QByteArray &label, QList<QByteArray> &lines)
{
    const QByteArray begin = "-----BEGIN ";
    const qsizetype start = text.indexOf(begin);
    if (start < 0 || !text.left(start).trimmed().isEmpty())
        return false;
    const qsizetype labelEnd = text.indexOf("-----", start + begin.size());
    if (labelEnd < 0)
        return false;
    label = text.mid(start + begin.size(), labelEnd - start - begin.size());
    const qsizetype end = text.indexOf("-----END " + label + "-----", labelEnd);
    if (end < 0)
        return false;
    lines = text.mid(labelEnd + 5, end - labelEnd - 5).split('\n');
    return true;
}

quint32 BigEndian32(const QByteArray &bytes, qsizetype at)
{
    return (quint32(uchar(bytes[at])) << 24) | (quint32(uchar(bytes[at + 1])) << 16)
        | (quint32(uchar(bytes[at + 2])) << 8) | quint32(uchar(bytes[at + 3]));
}

// OpenSSH's own form: "openssh-key-v1\0", then the cipher's name ("none": no passphrase).
TKeyFileState OpenSshState(const QList<QByteArray> &lines)
{
    QByteArray base64;
    for (const QByteArray &line : lines)
        base64 += line.trimmed();
    const auto decoded = QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return TKeyFileState::NotAKey;
    const QByteArray &blob = *decoded;
    const QByteArray magic("openssh-key-v1\0", 15);
    if (!blob.startsWith(magic) || blob.size() < magic.size() + 4)
        return TKeyFileState::NotAKey;
    const quint32 length = BigEndian32(blob, magic.size());
    if (length == 0 || length > 64 || magic.size() + 4 + qsizetype(length) > blob.size())
        return TKeyFileState::NotAKey;
    return blob.mid(magic.size() + 4, length) == "none" ? TKeyFileState::Plain : TKeyFileState::Locked;
}

struct PassphraseStore {
    std::mutex lock;
    QHash<QString, QString> known;
    QSet<QString> declined;
};

PassphraseStore &Store()
{
    static PassphraseStore store;
    return store;
}

} // namespace

TKeyFileState InspectKeyFile(const QString &path)
{
    if (path.isEmpty() || HasControlCharacter(path) || !QDir::isAbsolutePath(path))
        return TKeyFileState::BadName;
    const QFileInfo info(path);
    if (!info.exists()) // a link to nothing too
        return TKeyFileState::Missing;
    if (info.isDir())
        return TKeyFileState::Unreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return TKeyFileState::Unreadable;
    const QByteArray text = file.read(kMaxKeyFileBytes + 1);
    if (text.size() > kMaxKeyFileBytes)
        return TKeyFileState::NotAKey;
    QByteArray label;
    QList<QByteArray> lines;
    if (!PemBlock(text, label, lines))
        return TKeyFileState::NotAKey;
    if (label == "OPENSSH PRIVATE KEY")
        return OpenSshState(lines);
    if (label == "ENCRYPTED PRIVATE KEY")
        return TKeyFileState::Locked;
    if (label == "PRIVATE KEY")
        return TKeyFileState::Plain;
    if (label == "RSA PRIVATE KEY" || label == "EC PRIVATE KEY" || label == "DSA PRIVATE KEY") {
        for (const QByteArray &line : std::as_const(lines)) {
            if (line.trimmed().startsWith("Proc-Type:") && line.contains("ENCRYPTED"))
                return TKeyFileState::Locked;
        }
        return TKeyFileState::Plain;
    }
    return TKeyFileState::NotAKey;
}

QString KeyFilePath(const QString &setting, const QString &home)
{
    const QString s = setting.trimmed();
    if (s == QLatin1String("~"))
        return HomeOr(home);
    if (s.startsWith(QLatin1String("~/")))
        return QDir::cleanPath(HomeOr(home) + s.mid(1));
    return s;
}

QStringList DefaultKeyFiles(const QString &home)
{
    QStringList out;
    for (const char *name : {"id_ed25519", "id_ecdsa", "id_rsa"}) {
        const QString path = HomeOr(home) + QStringLiteral("/.ssh/") + QLatin1String(name);
        const TKeyFileState state = InspectKeyFile(path);
        if (state == TKeyFileState::Plain || state == TKeyFileState::Locked)
            out << path;
    }
    return out;
}

bool AgentRunning()
{
    const QByteArray socket = qgetenv("SSH_AUTH_SOCK");
    struct stat st = {};
    return !socket.isEmpty() && ::stat(socket.constData(), &st) == 0 && S_ISSOCK(st.st_mode);
}

QString KeyFileShown(const QString &path)
{
    QString shown = path;
    for (QChar &c : shown) {
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f))
            c = QLatin1Char('?');
    }
    return shown;
}

void RememberPassphrase(const QString &keyFile, const QString &passphrase)
{
    PassphraseStore &s = Store();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.known.find(keyFile);
    if (it != s.known.end())
        WipeString(*it);
    s.known.insert(keyFile, PrivateCopy(passphrase));
    s.declined.remove(keyFile);
}

bool RecallPassphrase(const QString &keyFile, QString &passphrase)
{
    PassphraseStore &s = Store();
    std::lock_guard<std::mutex> g(s.lock);
    const auto it = s.known.constFind(keyFile);
    if (it == s.known.constEnd())
        return false;
    passphrase = PrivateCopy(*it);
    return true;
}

void ForgetPassphrase(const QString &keyFile)
{
    PassphraseStore &s = Store();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.known.find(keyFile);
    if (it != s.known.end()) {
        WipeString(*it);
        s.known.erase(it);
    }
}

void DeclinePassphrase(const QString &keyFile)
{
    ForgetPassphrase(keyFile);
    PassphraseStore &s = Store();
    std::lock_guard<std::mutex> g(s.lock);
    s.declined.insert(keyFile);
}

bool PassphraseDeclined(const QString &keyFile)
{
    PassphraseStore &s = Store();
    std::lock_guard<std::mutex> g(s.lock);
    return s.declined.contains(keyFile);
}

void ForgetAllPassphrases()
{
    PassphraseStore &s = Store();
    std::lock_guard<std::mutex> g(s.lock);
    for (QString &p : s.known)
        WipeString(p);
    s.known.clear();
    s.declined.clear();
}

QString PassphraseEntryName(const QString &keyFile)
{
    return keyFile;
}

QList<TLogOnAttempt> PlanLogOn(bool agent, const QStringList &keyFiles, bool havePassword)
{
    QList<TLogOnAttempt> plan;
    if (agent)
        plan << TLogOnAttempt{TLogOnAttempt::Agent, QString(), QString(), false};
    for (const QString &key : keyFiles)
        plan << TLogOnAttempt{TLogOnAttempt::Key, key, QString(), false};
    if (!keyFiles.isEmpty() && havePassword)
        plan.last().WithPassword = true; // one connection less: libssh2 tries the key, then the password
    else if (plan.isEmpty() || havePassword)
        plan << TLogOnAttempt{TLogOnAttempt::Password, QString(), QString(), true};
    return plan;
}

bool KeyFailedHere(const QByteArray &libraryText)
{
    // libssh2's words when it cannot read or unlock the private key (a wrong
    // passphrase among them), as opposed to the server's refusal
    // ("Username/PublicKey combination invalid", "Invalid signature ...").
    for (const char *here : {"Unable to extract public key", "Unable to initialize private key", "Wrong passphrase",
                             "Unable to open", "Callback returned error", "Unable to read"}) {
        if (libraryText.contains(here))
            return true;
    }
    return false;
}

} // namespace wobbin
