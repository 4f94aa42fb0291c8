// The list of templates and saved pages and what Delete and Rename do to the
// files: order and kinds, forbidden and empty names, names taken, letter case,
// and the picture beside a page following it.
#include "support/PageBytes.h"

#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "document/PageList.h"
#include "page/PageDocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

class TestPageList : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_save, m_template;

    void Put(const QString &path, const QByteArray &bytes = "page") { QVERIFY(WriteBytes(path, bytes)); }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_save = m_dir->filePath("save");
        m_template = m_dir->filePath("Template"); // folder names are found without regard to case
        QDir().mkpath(m_save);
        QDir().mkpath(m_template);
    }

    void templatesFirstSortedWithKinds()
    {
        QVERIFY(ListPages(m_dir->filePath("nothing")).isEmpty());
        QVERIFY(ListPages(m_dir->path()).isEmpty());
        Put(m_template + "/beta.qzt");
        Put(m_template + "/Alpha.qzt");
        Put(m_template + "/Home.qzt");
        Put(m_save + "/Home.qze");
        Put(m_save + "/a page.qze");
        Put(m_save + "/notes.txt");
        Put(m_save + "/Home.qze.bmp");
        const QList<PageListEntry> entries = ListPages(m_dir->path());
        QStringList captions;
        for (const PageListEntry &e : entries)
            captions << e.Caption + (e.IsPage() ? "/page" : "/template");
        QCOMPARE(captions, (QStringList{"Alpha/template", "beta/template", "Home/template", "a page/page", "Home/page"}));
        QCOMPARE(QFileInfo(entries.at(4).Path).absoluteFilePath(), QFileInfo(m_save + "/Home.qze").absoluteFilePath());
    }

    void captionRules()
    {
        QCOMPARE(TrimCaption(QStringLiteral(" \t My page \x01")), QStringLiteral("My page"));
        QVERIFY(TrimCaption(QStringLiteral("   ")).isEmpty());
        for (const char *bad : {"My:Page", "a/b", "a\\b", "a*", "a?", "a\"b", "a<b", "a>b", "a|b"})
            QVERIFY2(HasForbiddenCharacter(QLatin1String(bad)), bad);
        QVERIFY(!HasForbiddenCharacter(QStringLiteral("My Page (2).x")));
        QCOMPARE(DeletePageQuestion(QStringLiteral("Home")), LoadStr(Msg::DeleteFileQuestion) + QStringLiteral(" \"Home\"?"));
        // The palette images' help topics, by their tags.
        QCOMPARE(PaletteHelpContext(1), 12);
        QCOMPARE(PaletteHelpContext(111), 17);
        QCOMPARE(PaletteHelpContext(2), 0);
    }

    void renameOutcomes()
    {
        const QString home = m_save + "/Home.qze";
        Put(home, "home");
        Put(home + ".bmp", "BM");
        Put(m_save + "/Other.qze", "other");

        RenameOutcome r = RenamePage(home, "Home", "My:Page");
        QCOMPARE(r.Outcome, RenameOutcome::Forbidden);
        QCOMPARE(r.Message, LoadStr(Msg::PageNameBadCharacters));
        QCOMPARE(r.Caption, QStringLiteral("Home"));
        r = RenamePage(home, "Home", "   ");
        QCOMPARE(r.Outcome, RenameOutcome::Kept);
        QVERIFY(r.Message.isEmpty());
        r = RenamePage(home, "Home", "Home");
        QCOMPARE(r.Outcome, RenameOutcome::Kept);
        // Onto another page: both kept as they were.
        r = RenamePage(home, "Home", "Other");
        QCOMPARE(r.Outcome, RenameOutcome::Exists);
        QVERIFY(r.Message.contains(QStringLiteral("already exists")));
        QCOMPARE(ReadBytes(m_save + "/Other.qze"), QByteArray("other"));
        QCOMPARE(ReadBytes(home), QByteArray("home"));

        // Letter case alone renames page and picture.
        r = RenamePage(home, "Home", "home");
        QCOMPARE(r.Outcome, RenameOutcome::Renamed);
        QCOMPARE(QFileInfo(r.NewPath).fileName(), QStringLiteral("home.qze"));
        QCOMPARE(QDir(m_save).entryList(QDir::Files, QDir::Name), (QStringList{"Other.qze", "home.qze", "home.qze.bmp"}));

        // Blanks around a name are kept as typed; the extension stays.
        r = RenamePage(m_save + "/home.qze", "home", "  Garden  ");
        QCOMPARE(r.Caption, QStringLiteral("  Garden  "));
        QCOMPARE(ReadBytes(m_save + "/  Garden  .qze"), QByteArray("home"));
        QVERIFY(QFile::exists(m_save + "/  Garden  .qze.bmp"));

        // Gone behind the program's back: nothing renamed, the list is read again.
        QCOMPARE(RenamePage(m_save + "/Gone.qze", "Gone", "Back").Outcome, RenameOutcome::Missing);
    }

    void deleteTakesThePictureToo()
    {
        Put(m_save + "/Gone.qze");
        Put(m_save + "/Gone.qze.bmp", "BM");
        QVERIFY(DeletePage(m_save + "/Gone.qze").ok());
        QVERIFY(QDir(m_save).isEmpty());
        // A picture whose page vanished still goes.
        Put(m_save + "/Left.qze.bmp", "BM");
        QVERIFY(DeletePage(m_save + "/Left.qze").ok());
        QVERIFY(QDir(m_save).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestPageList)
#include "test_page_list.moc"
