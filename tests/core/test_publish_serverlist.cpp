// The server list in the settings (key by key, order, odd names, write
// failures), password scrambling, ReplaceText, BuildURL and the provider files.
#include "settings/AppPaths.h"
#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "publish/ProfileFile.h"
#include "publish/ServerList.h"
#include "publish/UploadTarget.h"
#include "publish/ServerWizard.h"
#include "support/ResultCheck.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace wobbin;

namespace {

tWWWServerType Server(const QString &name, const QString &password = QString())
{
    tWWWServerType r;
    r.Name = name;
    r.Address = QStringLiteral("ftp.") + name.toLower() + QStringLiteral(".example");
    r.Directory = QStringLiteral("public_html");
    r.UserName = QStringLiteral("user");
    r.Password = password;
    r.URL = QStringLiteral("http://www.example/~user/");
    return r;
}

QStringList Names(const TServerList &list)
{
    QStringList out;
    for (const auto &r : list)
        out << r.Name;
    return out;
}

// The values of one server key as the store sees them.
QMap<QString, QString> ValuesOf(const QString &name)
{
    QMap<QString, QString> out;
    TWobbinReg reg;
    if (!reg.OpenKey(QStringList{QStringLiteral("WWWServers"), name}, false))
        return out;
    for (const QString &v : reg.GetValueNames())
        out.insert(v, reg.ReadString(v));
    return out;
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestPublishServerList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        SettingsStore().DeleteProgramKey();
        ServerList().clear();
        ISPList().clear();
        TakeServerListNotices();
    }

    void layoutKeyByKey()
    {
        tWWWServerType a = Server(QStringLiteral("Home"), QStringLiteral("secret"));
        a.ISP = QStringLiteral("Provider One");
        a.FlatDir = true;
        a.ExtendedA = QStringLiteral("SoHo/Studios");
        a.ExtendedC = QStringLiteral("kept");
        a.SetTransferProtocol(TTransferProtocol::SFTP);
        a.TrustedFingerprint = QStringLiteral("SHA256:abc");
        ServerList() = {a, Server(QStringLiteral("Work"))};
        QString error;
        QVERIFY2(testing::Succeeds(SaveServerList(), &error), qPrintable(error));

        const QMap<QString, QString> home = ValuesOf(QStringLiteral("Home"));
        QCOMPARE(home.keys(), (QStringList{"Address", "Directory", "ExtendedA", "ExtendedC", "FlatDir", "ISP",
                                           "Password", "Position", "Protocol", "TrustedFingerprint", "URL",
                                           "UserName"}));
        QCOMPARE(home.value("Address"), QStringLiteral("ftp.home.example"));
        QCOMPARE(home.value("FlatDir"), QStringLiteral("1"));
        QCOMPARE(home.value("ISP"), QStringLiteral("Provider One"));
        QCOMPARE(home.value("Protocol"), QStringLiteral("SFTP"));
        QCOMPARE(home.value("Position"), QStringLiteral("0"));
        // Without a keyring the password is kept scrambled, never plain.
        QCOMPARE(home.value("Password"), CryptPassword(QStringLiteral("secret"), QStringLiteral("ENC")));
        QVERIFY(!home.value("Password").contains(QStringLiteral("secret")));
        const QMap<QString, QString> work = ValuesOf(QStringLiteral("Work"));
        QCOMPARE(work.value("FlatDir"), QStringLiteral("0"));
        QCOMPARE(work.value("ISP"), QString());
        QVERIFY(!work.contains("ExtendedA"));
        QVERIFY(!work.contains("TrustedFingerprint"));
        QCOMPARE(work.value("Position"), QStringLiteral("1"));
        // Files sent at once: written when not 4, and read back; a list
        // without the value (or with a wild one) reads as 4 or within 1 to 8.
        QVERIFY(!work.contains("Connections"));
        QCOMPARE(ReadServer(QStringLiteral("Work")).Connections, 4);
        ServerList()[1].Connections = 2;
        ServerList()[1].ConnectionsAllowed = 1;
        QVERIFY(testing::Succeeds(SaveServerList(), &error));
        QCOMPARE(ValuesOf(QStringLiteral("Work")).value("Connections"), QStringLiteral("2"));
        QCOMPARE(ReadServer(QStringLiteral("Work")).Connections, 2);
        QCOMPARE(ReadServer(QStringLiteral("Work")).ConnectionsAllowed, 1);
        QVERIFY(!home.contains("ConnectionsAllowed"));
        QVERIFY(TakeServerListNotices().join(' ').contains(SettingsStore().FileName()));

        // Read back field by field.
        const tWWWServerType r = ReadServer(QStringLiteral("Home"));
        QCOMPARE(r.Name, a.Name);
        QCOMPARE(r.Address, a.Address);
        QCOMPARE(r.Directory, a.Directory);
        QCOMPARE(r.UserName, a.UserName);
        QCOMPARE(r.Password, a.Password);
        QCOMPARE(r.URL, a.URL);
        QCOMPARE(r.ISP, a.ISP);
        QCOMPARE(r.FlatDir, true);
        QCOMPARE(r.ExtendedA, a.ExtendedA);
        QCOMPARE(r.ExtendedB, QString());
        QCOMPARE(r.ExtendedC, a.ExtendedC);
        QCOMPARE(r.TransferProtocol(), TTransferProtocol::SFTP);
        QCOMPARE(r.TrustedFingerprint, a.TrustedFingerprint);
        // A missing server reads as an empty record, name included.
        const tWWWServerType none = ReadServer(QStringLiteral("Nowhere"));
        QVERIFY(none.Name.isEmpty() && none.Address.isEmpty() && !none.FlatDir);
        QVERIFY(ReadServer(QString()).Name.isEmpty());
    }

    void foreignSettingsFileLoads()
    {
        // Written by another tool with plain QSettings keys: no markers, no
        // positions, no protocol; a plain password and a scrambled one.
        {
            QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Quorvex", "Wobbin Express");
            s.setValue("WWWServers/LastServer", "zeta");
            s.setValue("WWWServers/Zeta/Address", "ftp.zeta.example");
            s.setValue("WWWServers/Zeta/Password", "plain words");
            s.setValue("WWWServers/Zeta/FlatDir", 1);
            s.setValue("WWWServers/Alpha/Address", "ftp.alpha.example:2121");
            s.setValue("WWWServers/Alpha/UserName", "al");
            s.setValue("WWWServers/Alpha/Password", CryptPassword("pa55", "ENC"));
            s.setValue("WWWServers/Alpha/ExtendedE", "e");
        }
        LoadServerList();
        QCOMPARE(Names(ServerList()), (QStringList{"Alpha", "Zeta"}));
        const tWWWServerType &alpha = ServerList().at(0);
        QCOMPARE(alpha.Password, QStringLiteral("pa55"));
        QCOMPARE(alpha.ExtendedE, QStringLiteral("e"));
        QCOMPARE(alpha.TransferProtocol(), TTransferProtocol::FTP);
        QCOMPARE(alpha.Host(), QStringLiteral("ftp.alpha.example"));
        QCOMPARE(alpha.Port(), 2121);
        QVERIFY(!alpha.FlatDir);
        QCOMPARE(ServerList().at(1).Password, QStringLiteral("plain words"));
        QVERIFY(ServerList().at(1).FlatDir);
        QVERIFY(ServerList().at(1).PasswordKnown);
    }

    // Kinds written before read as they did; the new ones, WebDAV included,
    // are kept through a save, whatever their letter case.
    void kindsOfDestinationReadAndKept()
    {
        const std::pair<const char *, TTransferProtocol> stored[] = {
            {"ftps", TTransferProtocol::FTPS},     {"SFTP", TTransferProtocol::SFTP},
            {"Gopher", TTransferProtocol::FTP},    {"WebDAV", TTransferProtocol::WebDAV},
            {"webdavs", TTransferProtocol::WebDAVS}, {"Folder", TTransferProtocol::Folder}};
        {
            QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Quorvex", "Wobbin Express");
            for (const auto &[name, kind] : stored)
                s.setValue(QStringLiteral("WWWServers/S %1/Protocol").arg(QLatin1String(name)), name);
        }
        LoadServerList();
        QCOMPARE(ServerList().size(), 6);
        QVERIFY(SaveServerList().ok());
        LoadServerList();
        for (const auto &[name, kind] : stored)
            QCOMPARE(ServerList().at(FindServerNoCase(QStringLiteral("S %1").arg(QLatin1String(name)))).TransferProtocol(), kind);
        QCOMPARE(ReadServer(QStringLiteral("S webdavs")).Protocol, QStringLiteral("WebDAVS"));
    }

    void orderSurvivesRestartAndLastServerIsKept()
    {
        WriteFile(QFileInfo(SettingsStore().FileName()).absolutePath() + "/x", "");  // folder exists
        SettingsStore().OpenKey(QStringList{"WWWServers"}, true);
        SettingsStore().WriteString("LastServer", "Beta");
        SettingsStore().CloseKey();
        ServerList() = {Server("Gamma"), Server("alpha"), Server("Beta"), Server(QString())};
        QVERIFY(SaveServerList().ok());
        ReleaseSettingsStore();  // as a new run of the program
        LoadServerList();
        QCOMPARE(Names(ServerList()), (QStringList{"Gamma", "alpha", "Beta"}));
        QCOMPARE(ReadSetting("WWWServers", "LastServer"), QStringLiteral("Beta"));

        // Moving a server and saving again keeps the new order; a renamed last
        // server stays the last one chosen.
        TServerList list = ServerList();
        list.move(2, 0);
        list[0].Name = QStringLiteral("Beta renamed");
        QVERIFY(SaveServerList(list).ok());
        QCOMPARE(list.at(0).StoredName, QStringLiteral("Beta renamed"));
        LoadServerList();
        QCOMPARE(Names(ServerList()), (QStringList{"Beta renamed", "Gamma", "alpha"}));
        QCOMPARE(ReadSetting("WWWServers", "LastServer"), QStringLiteral("Beta renamed"));
        QVERIFY(!SettingsStore().KeyExists(QStringList{"WWWServers", "Beta"}));
    }

    void namesWithSlashesAndOddValues()
    {
        tWWWServerType a = Server(QStringLiteral("Mine/yours \\ ours 100%"), QStringLiteral("p,w\"=%;\\"));
        a.URL = QStringLiteral("http://x.example/a,b?c=\"d\"&e=%20");
        a.UserName = QStringLiteral("@Variant(1)");
        ServerList() = {a};
        QVERIFY(SaveServerList().ok());
        LoadServerList();
        QCOMPARE(ServerList().size(), 1);
        QCOMPARE(ServerList().at(0).Name, a.Name);
        QCOMPARE(ServerList().at(0).URL, a.URL);
        QCOMPARE(ServerList().at(0).UserName, a.UserName);
        QCOMPARE(ServerList().at(0).Password, a.Password);
    }

    void scrambling_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("empty") << QString();
        QTest::newRow("one character") << QStringLiteral("x");
        QTest::newRow("one digit") << QStringLiteral("7");
        QTest::newRow("two") << QStringLiteral("ab");
        QTest::newRow("key letters give zero bytes") << QStringLiteral("Fox garden lanterns and more");
        QTest::newRow("commas and blanks") << QStringLiteral(" a,b , ");
        QTest::newRow("8-bit") << QString::fromUtf8("caf\xc3\xa9\xe2\x82\xac");
        QTest::newRow("beyond 8-bit") << QString::fromUtf8("\xc5\x82\xc3\xb3" "d\xc5\xba");
        QTest::newRow("beyond 8-bit, one") << QString::fromUtf8("\xe2\x9c\x93");
    }
    void scrambling()
    {
        QFETCH(QString, password);
        const QString enc = CryptPassword(password, QStringLiteral("ENC"));
        if (password.isEmpty())
            QCOMPARE(enc, QString());
        else
            QVERIFY(enc.contains(QLatin1Char(',')));
        bool damaged = true;
        QCOMPARE(CryptPassword(enc, QStringLiteral("DEC"), &damaged), password);
        QVERIFY(!damaged);
    }

    void scramblingCompatibleForms()
    {
        // The fixed key: "F" ^ "a" = 39, "o" ^ "b" = 13.
        QCOMPARE(CryptPassword(QStringLiteral("ab"), QStringLiteral("ENC")), QStringLiteral("39,13"));
        QCOMPARE(CryptPassword(QStringLiteral("39,13"), QStringLiteral("DEC")), QStringLiteral("ab"));
        // One character: the old single number reads as its digits, ours has a comma.
        QCOMPARE(CryptPassword(QStringLiteral("a"), QStringLiteral("ENC")), QStringLiteral("39,"));
        QCOMPARE(CryptPassword(QStringLiteral("39"), QStringLiteral("DEC")), QStringLiteral("39"));
        QCOMPARE(CryptPassword(QStringLiteral("39,"), QStringLiteral("DEC")), QStringLiteral("a"));
        // A value without a comma is the password itself.
        QCOMPARE(CryptPassword(QStringLiteral("plain"), QStringLiteral("DEC")), QStringLiteral("plain"));
        // Damaged pieces give an empty password, reported.
        for (const char *bad : {"39,x", "39,,13", "39,256", "39,-1", ",", "39, 1 3"}) {
            bool damaged = false;
            QCOMPARE(CryptPassword(QString::fromLatin1(bad), QStringLiteral("DEC"), &damaged), QString());
            QVERIFY2(damaged, bad);
        }
    }

    void damagedPasswordReportedOnce()
    {
        QSettings s(QSettings::NativeFormat, QSettings::UserScope, "Quorvex", "Wobbin Express");
        s.setValue("WWWServers/One/Password", "12,abc");
        s.setValue("WWWServers/Two/Password", "1,2,999");
        s.sync();
        LoadServerList();
        QCOMPARE(ServerList().at(0).Password, QString());
        const QStringList notices = TakeServerListNotices();
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices.at(0).startsWith(LoadStr(Msg::StoredPasswordDamaged)));
        QVERIFY(notices.at(0).contains("One") && notices.at(0).contains("Two"));
        LoadServerList();
        QCOMPARE(TakeServerListNotices(), QStringList());
    }

    void replaceText()
    {
        QCOMPARE(ReplaceText("http://%LOGIN%.x/%login%/", "%login%", "bob"), QStringLiteral("http://bob.x/bob/"));
        QCOMPARE(ReplaceText("aaa", "a", "aa"), QStringLiteral("aaaaaa"));  // never searched again
        QCOMPARE(ReplaceText("graphics/a.gif GRAPHICS/b", "graphics/", ""), QStringLiteral("a.gif b"));
        QCOMPARE(ReplaceText("none here", "%x%", "y"), QStringLiteral("none here"));
        QCOMPARE(ReplaceText("", "a", "b"), QString());
        QCOMPARE(ReplaceText("abab", "bA", "-"), QStringLiteral("a-b"));
    }

    void buildUrl()
    {
        tWWWServerType cur;
        cur.Address = QStringLiteral("ftp.home.example");
        cur.UserName = QStringLiteral("stored");
        // Common: the record's fields, not the typed login.
        QCOMPARE(BuildURL(cur, nullptr, "typed", "d", "u"), QStringLiteral("http://ftp.home.example/~stored/"));
        // A transfer port is not the web site's.
        cur.Address = QStringLiteral("ftp.home.example:2121");
        QCOMPARE(BuildURL(cur, nullptr, "typed", "d", "u"), QStringLiteral("http://ftp.home.example/~stored/"));
        cur.Address = QStringLiteral("[::1]:2121");
        QCOMPARE(BuildURL(cur, nullptr, "typed", "d", "u"), QStringLiteral("http://[::1]/~stored/"));
        ISPDetails p;
        p.Name = QStringLiteral("Provider");
        p.URL = QStringLiteral("http://%LOGIN%.provider.example/%login%/%neighbourhood%");
        QCOMPARE(BuildURL(cur, &p, "bob", "SoHo", "12"),
                 QStringLiteral("http://bob.provider.example/bob/%neighbourhood%"));
        ISPDetails g;
        g.Name = QStringLiteral("geocities");
        g.URL = QStringLiteral("http://www.geocities.example/%neighbourhood%/%geonumber%/");
        QCOMPARE(BuildURL(cur, &g, "bob", "SoHo/Studios", "2564"),
                 QStringLiteral("http://www.geocities.example/SoHo/Studios/2564/"));
    }

    void addressParts()
    {
        tWWWServerType r;
        const struct { const char *address; const char *host; int port; } cases[] = {
            {"ftp.example.com", "ftp.example.com", 0},
            {"ftp.example.com:2121", "ftp.example.com", 2121},
            {" ftp://ftp.example.com:990/pub ", "ftp.example.com", 990},
            {"[::1]:2222", "::1", 2222},
            {"::1", "::1", 0},
            {"host:99999", "host", 0},
            {"host:abc", "host", 0},
        };
        for (const auto &c : cases) {
            r.Address = QString::fromLatin1(c.address);
            QCOMPARE(r.Host(), QString::fromLatin1(c.host));
            QCOMPARE(r.Port(), c.port);
        }
        r.Address = QStringLiteral("h");
        QCOMPARE(r.EffectivePort(), 21);
        r.Protocol = QStringLiteral("sftp");
        QCOMPARE(r.EffectivePort(), 22);
        r.Protocol = QStringLiteral("nonsense");
        QCOMPARE(r.TransferProtocol(), TTransferProtocol::FTP);
    }

    void profileFileRawValues()
    {
        TProfileFile ini;
        ini.Parse("; comment\r\n"
                  "[server details]\r\n"
                  "NAME = Host, Inc. \"best\" 100% C:\\web\\\r\n"
                  "url=\"http://%login%.x/\"\r\n"
                  "Address='a,b'\r\n"
                  "Directory=a=b\r\n"
                  "name=second is ignored\r\n"
                  "[Server Options]\n"
                  "CreateDir=1\n"
                  "Login=abc\n"
                  "[SERVER DETAILS]\n"
                  "Directory=from the second section\n");
        QCOMPARE(ini.ReadString("Server Details", "Name"), QStringLiteral("Host, Inc. \"best\" 100% C:\\web\\"));
        QCOMPARE(ini.ReadString("Server Details", "URL"), QStringLiteral("http://%login%.x/"));
        QCOMPARE(ini.ReadString("Server Details", "Address"), QStringLiteral("a,b"));
        QCOMPARE(ini.ReadString("Server Details", "Directory"), QStringLiteral("a=b"));
        QVERIFY(ini.ReadBool("Server Options", "CreateDir", false));
        QVERIFY(ini.ReadBool("Server Options", "Login", true));  // not a number: the default
        QVERIFY(!ini.ReadBool("Server Options", "Login", false));
        QCOMPARE(ini.ReadString("Nowhere", "Name", "dflt"), QStringLiteral("dflt"));
        // 8-bit text is Windows-1252.
        ini.Parse("[A]\nB=caf\xe9 \x80\n");
        QCOMPARE(ini.ReadString("a", "b"), QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac"));
    }

    void providerFiles()
    {
        QTemporaryDir dir;
        SetAppDir(dir.path());
        const QString s = dir.path() + "/Servers/";
        WriteFile(s + "b.inf", "[Server Details]\nName=Twin\nAddress=ftp.second.example\n");
        WriteFile(s + "A.INF", "[Server Details]\nName=Twin\nAddress=ftp.first.example\n"
                               "URL=http://x/%login%,y\n[Server Options]\nCreateDir=1\nLogin=0\n");
        WriteFile(s + "c.inf", "[Server Options]\nCreateDir=1\n");  // no Name: ignored
        WriteFile(s + "d.txt", "[Server Details]\nName=Not a provider file\n");
        WriteFile(s + "e.inf", "[Server Details]\nName=Defaults\n");
        QDir().mkpath(s + "f.inf");  // a folder, not a file
        LoadISPList();
        QCOMPARE(ISPList().size(), 3);
        QCOMPARE(ISPList().at(0).Address, QStringLiteral("ftp.first.example"));
        QCOMPARE(ISPList().at(0).URL, QStringLiteral("http://x/%login%,y"));
        QVERIFY(ISPList().at(0).CreateDir);
        QVERIFY(!ISPList().at(0).Login);
        QCOMPARE(ISPList().at(1).Address, QStringLiteral("ftp.second.example"));
        QCOMPARE(ISPList().at(2).Name, QStringLiteral("Defaults"));
        QVERIFY(!ISPList().at(2).CreateDir);
        QVERIFY(ISPList().at(2).Login);
        // The last of a name wins; the name is compared exactly.
        QCOMPARE(FindISP("Twin"), 1);
        QCOMPARE(FindISP("twin"), -1);
        QCOMPARE(FindISP(QString()), -1);
        QCOMPARE(ReadISPFile("a.inf").Address, QStringLiteral("ftp.first.example"));
        SetAppDir(QString());
    }

    void shippedProviders()
    {
        SetAppDir(QStringLiteral(WOBBIN_SOURCE_DIR "/data"));
        LoadISPList();
        QCOMPARE(ISPList().size(), 6);
        int geo = FindISP(QStringLiteral("GeoCities"));
        QVERIFY(geo >= 0);
        QVERIFY(ISPList().at(geo).URL.contains("%neighbourhood%"));
        QVERIFY(ISPList().at(geo).URL.contains("%geonumber%"));
        int noLogin = 0, createDir = 0;
        for (const ISPDetails &p : ISPList()) {
            QVERIFY2(p.Address.endsWith(".example"), qPrintable(p.Address));
            noLogin += p.Login ? 0 : 1;
            createDir += p.CreateDir ? 1 : 0;
        }
        QCOMPARE(noLogin, 1);
        QVERIFY(createDir >= 1);
        SetAppDir(QString());
    }

    void sendPanelChoice()
    {
        ServerList() = {Server(QStringLiteral("Alpha")), Server(QStringLiteral("Beta"))};
        QCOMPARE(ServerComboChoice().names, (QStringList{"Alpha", "Beta"}));
        QCOMPARE(ServerComboChoice().selected, 0);
        RememberLastServer(QStringLiteral("beta"));
        QCOMPARE(ServerComboChoice().selected, 1);
        QCOMPARE(ServerAtChoice(1)->Name, QStringLiteral("Beta"));
        QCOMPARE(ServerAtChoice(2), nullptr);
        RememberLastServer(QStringLiteral("Gone"));
        QCOMPARE(ServerComboChoice().selected, 0);
        ServerList().clear();
        QCOMPARE(ServerComboChoice().selected, -1);
    }

    void writeFailureChangesNothing()
    {
        // A read-only file system under the settings folder, in a mount
        // namespace of this test's own.
        if (geteuid() != 0)
            QSKIP("needs root to make a read-only mount in a private mount namespace");
        ServerList() = {Server("Kept", "old password")};
        QVERIFY(SaveServerList().ok());
        const QString folder = QFileInfo(SettingsStore().FileName()).absolutePath();
        QFile f(SettingsStore().FileName());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray before = f.readAll();
        f.close();

        QCOMPARE(unshare(CLONE_NEWNS), 0);
        QCOMPARE(mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0);
        QCOMPARE(mount(folder.toLocal8Bit().constData(), folder.toLocal8Bit().constData(), nullptr, MS_BIND, nullptr), 0);
        QCOMPARE(mount("none", folder.toLocal8Bit().constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr), 0);

        TServerList changed = {Server("New one", "new password"), Server("Other")};
        QString error;
        QVERIFY(!testing::Succeeds(SaveServerList(changed), &error));
        QVERIFY2(error.contains(QStringLiteral("Read-only file system")), qPrintable(error));
        QCOMPARE(Names(changed), (QStringList{"New one", "Other"}));
        QCOMPARE(changed.at(0).StoredName, QString());
        QVERIFY(umount(folder.toLocal8Bit().constData()) == 0);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        f.close();
        // A later write of another setting does not carry the failed list along.
        WriteSetting("General", "PlaySounds", "No");
        ReleaseSettingsStore();
        LoadServerList();
        QCOMPARE(Names(ServerList()), QStringList{"Kept"});
        QCOMPARE(ServerList().at(0).Password, QStringLiteral("old password"));
    }
};

QTEST_GUILESS_MAIN(TestPublishServerList)
#include "test_publish_serverlist.moc"
