// The settings store: program key, sections, values, odd names, file rights.
#include "settings/Settings.h"
#include "support/SmallFileSystem.h"
#include "support/ResultCheck.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QtTest>

using namespace wobbin;

class TestAppSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        SettingsStore().DeleteProgramKey();
        QVERIFY(!SettingsStore().ProgramKeyExists());
    }

    void missingProgramKey()
    {
        // Without the program's key nothing is written and reads are empty.
        WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"), QStringLiteral("Yes"));
        QVERIFY(!SettingsStore().ProgramKeyExists());
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("PlaySounds")), QString());
    }

    void openCreatesProgramKey()
    {
        TWobbinReg &reg = SettingsStore();
        QVERIFY(reg.OpenKey(QString(), false));
        QVERIFY(reg.ProgramKeyExists());
        QCOMPARE(reg.CurrentPath(), QString());
        // A subkey is created only with the flag.
        QVERIFY(!reg.OpenKey(QStringLiteral("WWWServers"), false));
        QVERIFY(!reg.HasOpenKey());
        QVERIFY(!reg.KeyExists(QStringLiteral("WWWServers")));
        QVERIFY(reg.OpenKey(QStringLiteral("WWWServers"), true));
        QCOMPARE(reg.CurrentPath(), QStringLiteral("WWWServers"));
        reg.CloseKey();
        // An empty key is there for every store of the program while it runs.
        TWobbinReg other;
        QVERIFY(other.KeyExists(QStringLiteral("WWWServers")));
        QVERIFY(other.OpenKey(QStringLiteral("WWWServers"), false));
        QCOMPARE(other.GetValueNames(), QStringList());
    }

    void readWriteSetting()
    {
        QVERIFY(SettingsStore().OpenKey(QString(), false));
        SettingsStore().CloseKey();
        const QString g = QStringLiteral("General");
        QCOMPARE(ReadSetting(g, QStringLiteral("ShowJoy")), QStringLiteral("ERROR"));
        QCOMPARE(ReadSetting(QStringLiteral("Nowhere"), QStringLiteral("ShowJoy")), QStringLiteral("ERROR"));
        WriteSetting(g, QStringLiteral("ShowJoy"), QStringLiteral("No"));
        QCOMPARE(ReadSetting(g, QStringLiteral("ShowJoy")), QStringLiteral("No"));
        // Odd values come back as written.
        const QStringList values{QString(), QStringLiteral(" a, b "), QStringLiteral("@Variant(x)"),
                                 QStringLiteral("true"), QStringLiteral("12"), QStringLiteral("C:\\Web\\a b"),
                                 QStringLiteral("x=y;z\"q\""), QString::fromUtf8("caf\xc3\xa9")};
        for (const QString &v : values) {
            WriteSetting(g, QStringLiteral("Value"), v);
            QCOMPARE(ReadSetting(g, QStringLiteral("Value")), v);
        }
        // Another store (another copy of the program) sees the value.
        TWobbinReg other;
        QVERIFY(other.OpenKey(g, false));
        QCOMPARE(other.ReadString(QStringLiteral("ShowJoy")), QStringLiteral("No"));
    }

    void onlyExactNoSwitchesADialogOff()
    {
        QVERIFY(SettingsStore().OpenKey(QString(), false));
        const QString g = QStringLiteral("General"), k = QStringLiteral("ShowHTMLWarning");
        QVERIFY(!GeneralSwitchIsOff(k));  // missing
        for (const char *v : {"no", "NO", " No", "ERROR", "Yes", ""}) {
            WriteSetting(g, k, QString::fromLatin1(v));
            QVERIFY2(!GeneralSwitchIsOff(k), v);
        }
        WriteSetting(g, k, QStringLiteral("No"));
        QVERIFY(GeneralSwitchIsOff(k));
    }

    void writeSettingKeepsOpenKey()
    {
        TWobbinReg &reg = SettingsStore();
        QVERIFY(reg.OpenKey(QStringLiteral("WWWServers\\First"), true));
        WriteSetting(QStringLiteral("General"), QStringLiteral("Path"), QStringLiteral("/x"));
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("Path")), QStringLiteral("/x"));
        QCOMPARE(reg.CurrentPath(), QStringLiteral("WWWServers\\First"));
        reg.WriteString(QStringLiteral("Address"), QStringLiteral("ftp.example.com"));
        QVERIFY(reg.OpenKey(QStringLiteral("WWWServers\\First"), false));
        QCOMPARE(reg.ReadString(QStringLiteral("Address")), QStringLiteral("ftp.example.com"));
        QVERIFY(!reg.ValueExists(QStringLiteral("Path")));
    }

    void namesWithSlashesStayWhole()
    {
        TWobbinReg &reg = SettingsStore();
        const QString desc = QStringLiteral("My/Server\\2 %2F 100%");
        QVERIFY(reg.OpenKey(QStringList{QStringLiteral("WWWServers"), desc}, true));
        reg.WriteString(QStringLiteral("a/b\\c"), QStringLiteral("v"));
        QVERIFY(reg.OpenKey(QStringLiteral("WWWServers"), false));
        QCOMPARE(reg.GetKeyNames(), QStringList{desc});
        QVERIFY(reg.OpenKey(QStringList{QStringLiteral("WWWServers"), desc}, false));
        QCOMPARE(reg.GetValueNames(), QStringList{QStringLiteral("a/b\\c")});
        QCOMPARE(reg.ReadString(QStringLiteral("a/b\\c")), QStringLiteral("v"));
        // The split forms do not exist.
        QVERIFY(!reg.KeyExists(QStringList{QStringLiteral("WWWServers"), QStringLiteral("My")}));
        // A section name given to WriteSetting is a path; a value name is one name.
        WriteSetting(QStringLiteral("WWWServers"), QStringLiteral("LastServer"), desc);
        QCOMPARE(ReadSetting(QStringLiteral("WWWServers"), QStringLiteral("LastServer")), desc);
        WriteSetting(QStringLiteral("General"), QStringLiteral("x/y"), QStringLiteral("1"));
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("x/y")), QStringLiteral("1"));
        QCOMPARE(ReadSetting(QStringLiteral("General\\x"), QStringLiteral("y")), QStringLiteral("ERROR"));
        // Deleting the server removes it with its values.
        QVERIFY(reg.DeleteKey(QStringList{QStringLiteral("WWWServers"), desc}));
        QVERIFY(reg.OpenKey(QStringLiteral("WWWServers"), false));
        QCOMPARE(reg.GetKeyNames(), QStringList());
        QCOMPARE(reg.GetValueNames(), QStringList{QStringLiteral("LastServer")});
    }

    void deleteValueKeepsKey()
    {
        TWobbinReg &reg = SettingsStore();
        QVERIFY(reg.OpenKey(QStringLiteral("General"), true));
        reg.WriteString(QStringLiteral("SaveInfo"), QStringLiteral("No"));
        QVERIFY(reg.DeleteValue(QStringLiteral("SaveInfo")));
        QVERIFY(!reg.DeleteValue(QStringLiteral("SaveInfo")));
        QVERIFY(reg.KeyExists(QStringLiteral("General")));
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("SaveInfo")), QStringLiteral("ERROR"));
    }

    void fileIsPrivate()
    {
        QVERIFY(SettingsStore().OpenKey(QStringLiteral("General"), true));
        SettingsStore().WriteString(QStringLiteral("Password"), QStringLiteral("1,2,3"));
        const QString file = SettingsStore().FileName();
        QVERIFY(QFileInfo::exists(file));
        QVERIFY(file.endsWith(QStringLiteral("Quorvex/Wobbin Express.conf")));
        const QFileDevice::Permissions p = QFile::permissions(file);
        QCOMPARE(p & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup
                      | QFileDevice::WriteOther),
                 QFileDevice::Permissions());
        QVERIFY(p & QFileDevice::ReadOwner);
    }

    void fileHoldsOnlyTheProgramsValues()
    {
        TWobbinReg &reg = SettingsStore();
        QVERIFY(reg.OpenKey(QStringLiteral("WWWServers\\Empty"), true));
        QVERIFY(reg.OpenKey(QStringLiteral("WWWServers\\Mine"), true));
        reg.WriteString(QStringLiteral("Address"), QStringLiteral("ftp.example.com"));
        WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"), QStringLiteral("Yes"));
        QVERIFY(reg.OpenKey(QStringLiteral("WWWServers"), false));
        QCOMPARE(reg.GetKeyNames(), (QStringList{QStringLiteral("Empty"), QStringLiteral("Mine")}));
        reg.Sync();
        QSettings file(reg.FileName(), QSettings::IniFormat);
        QStringList keys = file.allKeys();
        keys.sort();
        QCOMPARE(keys, (QStringList{QStringLiteral("General/PlaySounds"), QStringLiteral("WWWServers/Mine/Address")}));

        // Marker entries of an older file are dropped when it is opened.
        file.setValue(QStringLiteral("%key"), QString());
        file.setValue(QStringLiteral("General/%key"), QString());
        file.sync();
        TWobbinReg other;
        QVERIFY(other.OpenKey(QStringLiteral("General"), false));
        QCOMPARE(other.GetValueNames(), QStringList{QStringLiteral("PlaySounds")});
        QSettings again(reg.FileName(), QSettings::IniFormat);
        QVERIFY(!again.allKeys().contains(QStringLiteral("%key")));
        QVERIFY(!again.allKeys().contains(QStringLiteral("General/%key")));
    }

    void unwritableSettingsAreNoticed()
    {
        WOBBIN_NEED_SMALL_FILE_SYSTEMS();
        QVERIFY(SettingsStore().OpenKey(QString(), true));
        WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"), QStringLiteral("Yes"));
        QVERIFY(CheckSettingsWritable().ok());
        const QString file = SettingsStore().FileName();
        const QString folder = QFileInfo(file).absolutePath();
        const QByteArray before = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        QString error;
        // The settings folder on a small file system of its own: first read-only...
        QVERIFY2(testing::MountSmallFileSystem(folder, 64, &error), qPrintable(error));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(before);
        }
        QVERIFY2(testing::RemountReadOnly(folder, &error), qPrintable(error));
        QVERIFY(!testing::Succeeds(CheckSettingsWritable(), &error));
        QCOMPARE(error, QStringLiteral("The settings cannot be saved in \"%1\": Read-only file system.").arg(file));
        testing::UnmountSmallFileSystem(folder);
        // ...then full.
        QVERIFY2(testing::MountSmallFileSystem(folder, 64, &error), qPrintable(error));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(before);
        }
        QVERIFY(testing::FillFileSystem(folder));
        SettingsStore().Raw().sync();
        WriteSetting(QStringLiteral("General"), QStringLiteral("Path"), QString(5000, QLatin1Char('x')));
        QVERIFY(!testing::Succeeds(CheckSettingsWritable(), &error));
        QCOMPARE(error, QStringLiteral("The settings cannot be saved in \"%1\": No space left on device.").arg(file));
        // The file on disk keeps the values it had.
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), before);
        }
        testing::UnmountSmallFileSystem(folder);
        SettingsStore().Raw().sync();
    }

    void programKeyRemovedWhileRunning()
    {
        QVERIFY(SettingsStore().OpenKey(QStringLiteral("General"), true));
        WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"), QStringLiteral("Yes"));
        // Another copy removes the key: this one writes nothing and reads "".
        {
            TWobbinReg other;
            other.DeleteProgramKey();
        }
        QCOMPARE(ReadSetting(QStringLiteral("General"), QStringLiteral("PlaySounds")), QString());
        WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"), QStringLiteral("No"));
        QVERIFY(!SettingsStore().ProgramKeyExists());
    }
};

WOBBIN_TEST_MAIN_WITH_SMALL_FILE_SYSTEMS(TestAppSettings, QCoreApplication)
#include "test_app_settings.moc"
