// wobbin-express --list-servers: the list in its order, tab-separated, never a password.
#include "settings/Settings.h"
#include "publish/ServerList.h"
#include "support/ProgramRun.h"

#include <QProcess>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

class TestPublishCli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { SettingsStore().DeleteProgramKey(); }

    void emptyListPrintsNothing()
    {
        const Run r = RunProgram({QStringLiteral("--list-servers")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.err, QByteArray());
    }

    void listInOrderWithoutPasswords()
    {
        tWWWServerType a;
        a.Name = QStringLiteral("Zulu site");
        a.Address = QStringLiteral("ftp.zulu.example:2121");
        a.Directory = QStringLiteral("www");
        a.UserName = QStringLiteral("zed");
        a.Password = QStringLiteral("TopSecret99");
        a.URL = QStringLiteral("http://zulu.example/");
        a.ISP = QStringLiteral("Kestrel Net");
        a.FlatDir = true;
        tWWWServerType b;
        b.Name = QStringLiteral("Alpha\tsite");
        b.Password = QStringLiteral("AlsoSecret");
        a.SetTransferProtocol(TTransferProtocol::SFTP);
        tWWWServerType c;
        c.Name = QStringLiteral("Stick");
        c.Directory = QStringLiteral("/media/me/STICK/site");
        c.SetTransferProtocol(TTransferProtocol::Folder);
        TServerList list{a, b, c};
        QVERIFY(SaveServerList(list).ok());
        const Run r = RunProgram({QStringLiteral("--list-servers"), QStringLiteral("--data-dir"), QStringLiteral("/nowhere")});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QByteArray("Zulu site\tftp.zulu.example:2121\twww\tzed\thttp://zulu.example/\tKestrel Net\t1\tSFTP\n"
                                   "Alpha site\t\t\t\t\t\t0\tFTP\n"
                                   "Stick\t\t/media/me/STICK/site\t\t\t\t0\tFolder\n"));
        QVERIFY(!r.err.contains("Secret"));
        // The command takes no value and no other option.
        QCOMPARE(RunProgram({QStringLiteral("--list-servers=x")}).code, 1);
        QCOMPARE(RunProgram({QStringLiteral("--list-servers"), QStringLiteral("--out"), QStringLiteral("f")}).code, 1);
    }
};

QTEST_GUILESS_MAIN(TestPublishCli)
#include "test_publish_cli.moc"
