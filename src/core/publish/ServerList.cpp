#include "publish/ServerList.h"

#include "settings/AppPaths.h"
#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "base/Paths.h"
#include "page/Cp1252.h"
#include "publish/HostPort.h"
#include "publish/PasswordVault.h"
#include "publish/ProfileFile.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

#include <algorithm>

namespace wobbin {

namespace {

const QString kServersKey = QStringLiteral("WWWServers");
const QString kLastServer = QStringLiteral("LastServer");
const QString kPasswordKey = QStringLiteral("Fox garden lanterns");

// Texts of our own in the string table.
constexpr int kStrPasswordsInFile = 632;
constexpr int kStrPasswordDamaged = 633;
constexpr int kStrKeyringSilent = 634;
constexpr int kStrKeyringRefused = 642;
constexpr int kStrPasswordsInFileRefused = 644;

struct Notices
{
    QStringList pending;
    QSet<int> given;
};

Notices &NoticeState()
{
    static Notices n;
    return n;
}

// Adds the notice unless one of that kind was given in this run.
void Notice(int kind, const QString &text)
{
    Notices &n = NoticeState();
    if (n.given.contains(kind))
        return;
    n.given.insert(kind);
    n.pending << text;
}

QByteArray XorWithKey(QByteArray s)
{
    const QByteArray key = kPasswordKey.toLatin1();
    for (qsizetype i = 0; i < s.size(); ++i)
        s[i] = char(uchar(s.at(i)) ^ uchar(key.at(i % key.size())));
    return s;
}

bool FitsCp1252(const QString &text)
{
    return FromCp1252(ToCp1252(text)) == text;
}

QString ReadOpen(const QString &name)
{
    return SettingsStore().ReadString(name);
}

bool TextIsTrue(const QString &value)
{
    bool ok = false;
    const int n = value.trimmed().toInt(&ok);
    if (ok)
        return n != 0;
    return value.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}

QString LastServerValue()
{
    TWobbinReg &reg = SettingsStore();
    if (!reg.KeyExists(QStringList{kServersKey}))
        return QString();
    if (!reg.OpenKey(QStringList{kServersKey}, false))
        return QString();
    const QString last = reg.ValueExists(kLastServer) ? reg.ReadString(kLastServer) : QString();
    reg.CloseKey();
    return last;
}

} // namespace

// ---- protocol and address ------------------------------------------------

QString ProtocolName(TTransferProtocol protocol)
{
    switch (protocol) {
    case TTransferProtocol::FTPS: return QStringLiteral("FTPS");
    case TTransferProtocol::SFTP: return QStringLiteral("SFTP");
    case TTransferProtocol::WebDAV: return QStringLiteral("WebDAV");
    case TTransferProtocol::WebDAVS: return QStringLiteral("WebDAVS");
    case TTransferProtocol::Folder: return QStringLiteral("Folder");
    case TTransferProtocol::FTP: break;
    }
    return QStringLiteral("FTP");
}

TTransferProtocol ProtocolFromName(const QString &name)
{
    const QString n = name.trimmed();
    for (TTransferProtocol p : {TTransferProtocol::FTPS, TTransferProtocol::SFTP, TTransferProtocol::WebDAV,
                                TTransferProtocol::WebDAVS, TTransferProtocol::Folder}) {
        if (n.compare(ProtocolName(p), Qt::CaseInsensitive) == 0)
            return p;
    }
    return TTransferProtocol::FTP;
}

int DefaultPort(TTransferProtocol protocol)
{
    switch (protocol) {
    case TTransferProtocol::SFTP: return 22;
    case TTransferProtocol::WebDAV: return 80;
    case TTransferProtocol::WebDAVS: return 443;
    case TTransferProtocol::Folder: return 0;
    case TTransferProtocol::FTP:
    case TTransferProtocol::FTPS: break;
    }
    return 21;
}

QString tWWWServerType::Host() const
{
    return SplitHostPort(Address, TBadPort::Ignore).valueOr(THostPort()).Host;
}

int tWWWServerType::Port() const
{
    return SplitHostPort(Address, TBadPort::Ignore).valueOr(THostPort()).Port;
}

int tWWWServerType::EffectivePort() const
{
    const int p = Port();
    return p ? p : DefaultPort(TransferProtocol());
}

TTransferProtocol tWWWServerType::TransferProtocol() const
{
    return ProtocolFromName(Protocol);
}

void tWWWServerType::SetTransferProtocol(TTransferProtocol protocol)
{
    Protocol = ProtocolName(protocol);
}

// ---- the lists -------------------------------------------------------------

TServerList &ServerList()
{
    static TServerList list;
    return list;
}

TISPList &ISPList()
{
    static TISPList list;
    return list;
}

QString CommonName()
{
    return LoadStr(Msg::ProviderCommon);
}

QStringList TakeServerListNotices()
{
    QStringList out;
    out.swap(NoticeState().pending);
    return out;
}

// ---- scrambling ------------------------------------------------------------

QString CryptPassword(const QString &text, const QString &mode, bool *damaged)
{
    if (damaged)
        *damaged = false;
    if (mode == QLatin1String("ENC")) {
        if (text.isEmpty())
            return QString();
        const bool utf8 = !FitsCp1252(text);
        const QByteArray x = XorWithKey(utf8 ? text.toUtf8() : ToCp1252(text));
        QStringList pieces;
        pieces.reserve(x.size());
        for (char c : x)
            pieces << QString::number(uchar(c));
        QString out = pieces.join(QLatin1Char(','));
        // The old form of one byte has no comma and would read back as the
        // digits themselves: a trailing comma marks it. Two mark UTF-8 bytes.
        if (utf8)
            out += QStringLiteral(",,");
        else if (x.size() == 1)
            out += QLatin1Char(',');
        return out;
    }
    // "DEC"
    if (!text.contains(QLatin1Char(',')))
        return text;
    QString body = text;
    bool utf8 = false;
    if (body.endsWith(QLatin1String(",,"))) {
        utf8 = true;
        body.chop(2);
    } else if (body.endsWith(QLatin1Char(','))) {
        body.chop(1);
    }
    QByteArray bytes;
    const QStringList pieces = body.split(QLatin1Char(','));
    for (const QString &piece : pieces) {
        const QString p = piece.trimmed();
        bool ok = !p.isEmpty();
        for (QChar c : p)
            ok = ok && c.isDigit() && c.unicode() < 128;
        const int value = ok ? p.toInt(&ok) : -1;
        if (!ok || value < 0 || value > 255) {
            if (damaged)
                *damaged = true;
            return QString();
        }
        bytes.append(char(value));
    }
    const QByteArray plain = XorWithKey(bytes);
    if (!utf8)
        return FromCp1252(plain);
    // Every character back, also a zero-width no-break space at the start
    // (QString::fromUtf8 would drop it as a byte order mark).
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(plain);
}

// ---- text helpers ------------------------------------------------------------

QString ReplaceText(const QString &text, const QString &pattern, const QString &replacement)
{
    if (pattern.isEmpty())
        return text;
    QString out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(pattern, from, Qt::CaseInsensitive);
        if (at < 0)
            break;
        out += QStringView(text).mid(from, at - from);
        out += replacement;
        from = at + pattern.size();
    }
    out += QStringView(text).mid(from);
    return out;
}

bool IsGeoCities(const QString &providerName)
{
    return providerName.toLower() == QLatin1String("geocities");
}

QString BuildURL(const tWWWServerType &current, const ISPDetails *provider, const QString &login,
                 const QString &directory, const QString &url)
{
    if (!provider) {
        // The web site is on the host, not on the transfer port.
        QString host = current.Host();
        if (host.contains(QLatin1Char(':')))
            host = QLatin1Char('[') + host + QLatin1Char(']');
        return QStringLiteral("http://") + host + QStringLiteral("/~") + current.UserName + QLatin1Char('/');
    }
    QString u = ReplaceText(provider->URL, QStringLiteral("%login%"), login);
    if (IsGeoCities(provider->Name)) {
        u = ReplaceText(u, QStringLiteral("%neighbourhood%"), directory);
        u = ReplaceText(u, QStringLiteral("%geonumber%"), url);
    }
    return u;
}

// ---- reading the list ----------------------------------------------------------

QStringList GetServerNames()
{
    TWobbinReg &reg = SettingsStore();
    if (!reg.KeyExists(QStringList{kServersKey}) || !reg.OpenKey(QStringList{kServersKey}, false))
        return {};
    const QStringList names = reg.GetKeyNames();
    reg.CloseKey();
    // Servers with a position first, in that order; the rest as the settings give them.
    struct Entry { QString name; int position; int index; };
    QList<Entry> entries;
    for (int i = 0; i < names.size(); ++i) {
        int position = -1;
        if (reg.OpenKey(QStringList{kServersKey, names.at(i)}, false)) {
            bool ok = false;
            const int p = reg.ReadString(QStringLiteral("Position")).trimmed().toInt(&ok);
            if (ok && p >= 0)
                position = p;
        }
        entries.append({names.at(i), position, i});
    }
    reg.CloseKey();
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        const bool ap = a.position >= 0, bp = b.position >= 0;
        if (ap != bp)
            return ap;
        if (ap && a.position != b.position)
            return a.position < b.position;
        return a.index < b.index;
    });
    QStringList out;
    for (const Entry &e : entries)
        out << e.name;
    return out;
}

namespace {
tWWWServerType ReadServerChecked(const QString &name, bool *damaged, bool *hasPassword)
{
    tWWWServerType rec;
    if (damaged)
        *damaged = false;
    if (hasPassword)
        *hasPassword = false;
    TWobbinReg &reg = SettingsStore();
    if (name.isEmpty() || !reg.KeyExists(QStringList{kServersKey, name})
        || !reg.OpenKey(QStringList{kServersKey, name}, false)) {
        reg.CloseKey();
        return rec;
    }
    rec.Name = name;
    rec.Address = ReadOpen(QStringLiteral("Address"));
    rec.Directory = ReadOpen(QStringLiteral("Directory"));
    rec.UserName = ReadOpen(QStringLiteral("UserName"));
    rec.URL = ReadOpen(QStringLiteral("URL"));
    if (reg.ValueExists(QStringLiteral("Password"))) {
        if (hasPassword)
            *hasPassword = true;
        rec.Password = CryptPassword(ReadOpen(QStringLiteral("Password")), QStringLiteral("DEC"), damaged);
    }
    if (reg.ValueExists(QStringLiteral("FlatDir")))
        rec.FlatDir = TextIsTrue(ReadOpen(QStringLiteral("FlatDir")));
    rec.ISP = ReadOpen(QStringLiteral("ISP"));
    rec.ExtendedA = ReadOpen(QStringLiteral("ExtendedA"));
    rec.ExtendedB = ReadOpen(QStringLiteral("ExtendedB"));
    rec.ExtendedC = ReadOpen(QStringLiteral("ExtendedC"));
    rec.ExtendedD = ReadOpen(QStringLiteral("ExtendedD"));
    rec.ExtendedE = ReadOpen(QStringLiteral("ExtendedE"));
    if (reg.ValueExists(QStringLiteral("Protocol")))
        rec.SetTransferProtocol(ProtocolFromName(ReadOpen(QStringLiteral("Protocol"))));
    rec.TrustedFingerprint = ReadOpen(QStringLiteral("TrustedFingerprint"));
    rec.KeyFile = ReadOpen(QStringLiteral("KeyFile"));
    bool ok = false;
    const int connections = ReadOpen(QStringLiteral("Connections")).toInt(&ok);
    if (ok)
        rec.Connections = qBound(1, connections, tWWWServerType::kMaxConnections);
    const int allowed = ReadOpen(QStringLiteral("ConnectionsAllowed")).toInt(&ok);
    if (ok && allowed > 0)
        rec.ConnectionsAllowed = qMin(allowed, tWWWServerType::kMaxConnections);
    rec.StoredName = name;
    reg.CloseKey();
    return rec;
}
} // namespace

tWWWServerType ReadServer(const QString &name)
{
    return ReadServerChecked(name, nullptr, nullptr);
}

bool ServerHasStoredPassword(const QString &name)
{
    TWobbinReg &reg = SettingsStore();
    if (name.isEmpty() || !reg.KeyExists(QStringList{kServersKey, name})
        || !reg.OpenKey(QStringList{kServersKey, name}, false))
        return false;
    const bool has = reg.ValueExists(QStringLiteral("Password"));
    reg.CloseKey();
    return has;
}

void LoadServerList()
{
    TServerList &list = ServerList();
    list.clear();
    QStringList damagedNames;
    QList<int> pending;  // records whose password is in the keyring
    for (const QString &name : GetServerNames()) {
        bool damaged = false, hasPassword = false;
        tWWWServerType rec = ReadServerChecked(name, &damaged, &hasPassword);
        if (damaged)
            damagedNames << name;
        if (!hasPassword) {
            rec.PasswordKnown = false;
            pending << int(list.size());
        }
        list.append(rec);
    }
    if (!damagedNames.isEmpty())
        Notice(kStrPasswordDamaged, LoadStr(kStrPasswordDamaged) + QLatin1Char('\n') + damagedNames.join(QLatin1Char('\n')));
    if (TPasswordVault *vault = PasswordVault(); vault && !pending.isEmpty()) {
        QStringList names;
        for (int i : pending)
            names << list.at(i).Name;
        const QList<TVaultAnswer> answers = vault->ReadPasswords(names);
        bool silent = false, refused = false;
        for (int k = 0; k < pending.size(); ++k) {
            tWWWServerType &rec = list[pending.at(k)];
            const TVaultAnswer a = k < answers.size() ? answers.at(k) : TVaultAnswer{};
            // A keyring that is locked and stays so finds nothing either: a
            // password not found stays unknown, so that no save removes it.
            if (a.outcome == TVaultAnswer::Ok) {
                rec.Password = a.password;
                rec.PasswordKnown = true;
            } else if (a.outcome == TVaultAnswer::Refused) {
                refused = true;
            } else if (a.outcome != TVaultAnswer::NotFound) {
                silent = true;
            }
        }
        if (refused)
            Notice(kStrKeyringRefused, LoadStr(kStrKeyringRefused));
        else if (silent)
            Notice(kStrKeyringSilent, LoadStr(kStrKeyringSilent));
    }
    LoadISPList();
}

// ---- writing the list ----------------------------------------------------------

TResult<void> SaveServerList(TServerList &list)
{
    TPasswordVault *vault = PasswordVault();
    TServerList work = list;
    const QString lastServer = LastServerValue();

    // Passwords still unknown: ask the keyring once more.
    if (vault) {
        QList<int> unknown;
        QStringList names;
        for (int i = 0; i < work.size(); ++i) {
            if (!work.at(i).PasswordKnown && !work.at(i).StoredName.isEmpty()) {
                unknown << i;
                names << work.at(i).StoredName;
            }
        }
        if (!unknown.isEmpty()) {
            const QList<TVaultAnswer> answers = vault->ReadPasswords(names);
            for (int k = 0; k < unknown.size() && k < answers.size(); ++k) {
                const TVaultAnswer &a = answers.at(k);
                if (a.outcome == TVaultAnswer::Ok) {
                    work[unknown.at(k)].Password = a.password;
                    work[unknown.at(k)].PasswordKnown = true;
                }
            }
        }
    }

    // Known passwords into the keyring.
    QList<bool> inKeyring(work.size(), false);
    QList<int> written;
    bool refused = false;  // the user would not unlock the keyring
    if (vault) {
        QList<QPair<QString, QString>> entries;
        for (int i = 0; i < work.size(); ++i) {
            const tWWWServerType &r = work.at(i);
            if (!r.Name.isEmpty() && r.PasswordKnown && !r.Password.isEmpty()) {
                entries.append({r.Name, r.Password});
                written << i;
            }
        }
        if (!entries.isEmpty()) {
            const QList<TVaultAnswer> answers = vault->WritePasswords(entries);
            for (int k = 0; k < written.size(); ++k) {
                inKeyring[written.at(k)] = k < answers.size() && answers.at(k).outcome == TVaultAnswer::Ok;
                refused = refused || (k < answers.size() && answers.at(k).outcome == TVaultAnswer::Refused);
            }
        }
        // No password: no entry. Where the keyring answers, the settings need
        // no value either.
        QList<int> emptied;
        QStringList emptiedNames;
        for (int i = 0; i < work.size(); ++i) {
            const tWWWServerType &r = work.at(i);
            if (!r.Name.isEmpty() && r.PasswordKnown && r.Password.isEmpty()) {
                emptied << i;
                emptiedNames << r.Name;
            }
        }
        if (!emptied.isEmpty()) {
            const QList<TVaultAnswer> answers = vault->RemovePasswords(emptiedNames);
            for (int k = 0; k < emptied.size(); ++k) {
                const auto outcome = k < answers.size() ? answers.at(k).outcome : TVaultAnswer::Failed;
                inKeyring[emptied.at(k)] = outcome == TVaultAnswer::Ok || outcome == TVaultAnswer::NotFound;
            }
            written << emptied;
        }
    }

    // The whole key, in list order.
    QList<TKeyValue> values;
    QSet<QString> newNames;
    bool passwordInFile = false;
    QString newLast = lastServer;
    int position = 0;
    for (int i = 0; i < work.size(); ++i) {
        const tWWWServerType &r = work.at(i);
        if (r.Name.isEmpty())
            continue;
        newNames.insert(r.Name);
        const QStringList key{r.Name};
        auto put = [&](const char *name, const QString &value) {
            values.append({key, QString::fromLatin1(name), value});
        };
        put("Address", r.Address);
        put("Directory", r.Directory);
        put("UserName", r.UserName);
        put("URL", r.URL);
        put("ISP", r.ISP);
        put("FlatDir", r.FlatDir ? QStringLiteral("1") : QStringLiteral("0"));
        const QString extended[] = {r.ExtendedA, r.ExtendedB, r.ExtendedC, r.ExtendedD, r.ExtendedE};
        const char *extendedNames[] = {"ExtendedA", "ExtendedB", "ExtendedC", "ExtendedD", "ExtendedE"};
        for (int e = 0; e < 5; ++e)
            if (!extended[e].isEmpty())
                put(extendedNames[e], extended[e]);
        if (r.PasswordKnown && !inKeyring.at(i)) {
            put("Password", CryptPassword(r.Password, QStringLiteral("ENC")));
            passwordInFile = passwordInFile || !r.Password.isEmpty();
        }
        put("Protocol", ProtocolName(r.TransferProtocol()));
        if (!r.TrustedFingerprint.isEmpty())
            put("TrustedFingerprint", r.TrustedFingerprint);
        if (!r.KeyFile.isEmpty())
            put("KeyFile", r.KeyFile);
        if (r.Connections != tWWWServerType::kDefaultConnections)
            put("Connections", QString::number(qBound(1, r.Connections, tWWWServerType::kMaxConnections)));
        if (r.ConnectionsAllowed > 0)
            put("ConnectionsAllowed", QString::number(r.ConnectionsAllowed));
        put("Position", QString::number(position++));
        // A renamed server stays the last one chosen.
        if (!r.StoredName.isEmpty() && r.StoredName != r.Name && r.StoredName == lastServer)
            newLast = r.Name;
    }
    if (!lastServer.isEmpty() || !newLast.isEmpty())
        values.append({QStringList(), kLastServer, newLast});

    QStringList oldNames = GetServerNames();
    for (const tWWWServerType &r : ServerList())
        if (!r.StoredName.isEmpty())
            oldNames << r.StoredName;
    for (const tWWWServerType &r : work)
        if (!r.StoredName.isEmpty())
            oldNames << r.StoredName;

    const TResult<void> replaced = SettingsStore().ReplaceKey(QStringList{kServersKey}, values);
    if (!replaced.ok()) {
        // Put back the keyring entries this save changed.
        if (vault && !written.isEmpty()) {
            QList<QPair<QString, QString>> restore;
            QStringList remove;
            for (int i : written) {
                const QString &name = work.at(i).Name;
                const auto old = std::find_if(ServerList().cbegin(), ServerList().cend(), [&](const tWWWServerType &r) {
                    return r.StoredName == name;
                });
                if (old != ServerList().cend() && old->PasswordKnown && !old->Password.isEmpty())
                    restore.append({name, old->Password});
                else if (old == ServerList().cend() || old->PasswordKnown)
                    remove << name;
            }
            if (!restore.isEmpty())
                vault->WritePasswords(restore);
            if (!remove.isEmpty())
                vault->RemovePasswords(remove);
        }
        return replaced;
    }

    // Keyring entries of servers gone, renamed, without a password or kept in the file.
    if (vault) {
        QSet<QString> keep;
        for (int i = 0; i < work.size(); ++i) {
            const tWWWServerType &r = work.at(i);
            if (inKeyring.at(i))
                keep.insert(r.Name);
            if (!r.PasswordKnown)
                keep.insert(r.StoredName);
        }
        QStringList remove;
        QSet<QString> seen;
        auto consider = [&](const QString &name) {
            if (!name.isEmpty() && !keep.contains(name) && !seen.contains(name)) {
                seen.insert(name);
                remove << name;
            }
        };
        for (const QString &n : oldNames)
            consider(n);
        for (const QString &n : newNames)
            consider(n);
        if (!remove.isEmpty())
            vault->RemovePasswords(remove);
    }

    if (passwordInFile) {
        const int text = refused ? kStrPasswordsInFileRefused : kStrPasswordsInFile;
        Notice(text, LoadStr(text) + QLatin1Char('\n') + QDir::toNativeSeparators(SettingsStore().FileName()));
    }
    for (tWWWServerType &r : work)
        if (!r.Name.isEmpty())
            r.StoredName = r.Name;
    list = work;
    return {};
}

TResult<void> SaveServerList()
{
    return SaveServerList(ServerList());
}

// ---- provider definitions --------------------------------------------------------

namespace {
QString ServersFolder()
{
    return FindPathNoCase(AppPath(QStringLiteral("servers")));
}
} // namespace

ISPDetails ReadISPFile(const QString &fileName)
{
    ISPDetails d;
    const QString path = QFileInfo(fileName).isAbsolute()
                             ? fileName
                             : FindPathNoCase(QDir(ServersFolder()).filePath(ToNativePath(fileName)));
    TProfileFile ini;
    ini.Load(path);
    const QString options = QStringLiteral("Server Options"), details = QStringLiteral("Server Details");
    d.CreateDir = ini.ReadBool(options, QStringLiteral("CreateDir"), false);
    d.Login = ini.ReadBool(options, QStringLiteral("Login"), true);
    d.Name = ini.ReadString(details, QStringLiteral("Name"));
    d.Address = ini.ReadString(details, QStringLiteral("Address"));
    d.Directory = ini.ReadString(details, QStringLiteral("Directory"));
    d.URL = ini.ReadString(details, QStringLiteral("URL"));
    return d;
}

void LoadISPList()
{
    TISPList &list = ISPList();
    list.clear();
    if (AppDir().isEmpty())
        return;
    QDir dir(ServersFolder());
    if (!dir.exists())
        return;
    QStringList files;
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo &fi : entries)
        if (fi.isFile() && fi.fileName().endsWith(QLatin1String(".inf"), Qt::CaseInsensitive))
            files << fi.fileName();
    // The same order on every machine: by name without regard to case, then exactly.
    std::sort(files.begin(), files.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    for (const QString &f : files) {
        ISPDetails d = ReadISPFile(dir.filePath(f));
        if (!d.Name.isEmpty())
            list.append(d);
    }
}

int FindISP(const QString &name)
{
    const TISPList &list = ISPList();
    for (qsizetype i = list.size() - 1; i >= 0; --i)
        if (list.at(i).Name == name)
            return int(i);
    return -1;
}

} // namespace wobbin
