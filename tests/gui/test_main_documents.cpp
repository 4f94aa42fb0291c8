// Document commands of the main window on real files: the page list, Open
// with its filter, Save As with the page picture and HTML file, Make Template,
// Delete and Rename from the list, the save question and its cancellation,
// damaged page files, and the style list's part in a page.
#include "support/FileTree.h"
#include "support/PageBytes.h"

#include "app/Dialogs_gui.h"
#include "app/Settings.h"
#include "app/StringTable.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "styles/StyleLibrary.h"
#include "workspace/frmMain.h"

#include <QAction>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

using wobbin::testing::CopyTree;

void EmptyFolder(const QString &folder)
{
    QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(name);
}

// A page of one paragraph per text.
QByteArray Page(const QByteArray &style, const QByteArray &title, const QList<QByteArray> &paras)
{
    PageBytes entries;
    for (const QByteArray &p : paras)
        entries.Para(p);
    return SimplePage(style, title, int(paras.size()), entries);
}

QStringList Captions(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void ClickToolbar(TfrmMain &w, int x) { QTest::mouseClick(w.picToolbar, Qt::LeftButton, {}, QPoint(x, 50)); }

void ClickRow(QListWidget *list, int row, bool twice = false)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    if (twice)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

int RowOf(const QListWidget *list, const QString &caption)
{
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text() == caption)
            return i;
    return -1;
}

} // namespace

class TestMainDocuments : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app, m_save, m_template;

    std::unique_ptr<TfrmMain> Make()
    {
        TfrmMain::Options o;
        o.appDir = m_app;
        o.detectCompanion = false;
        auto w = std::make_unique<TfrmMain>(o);
        w->show();
        return w;
    }

    void Put(const QString &path, const QByteArray &bytes) { QVERIFY(WriteBytes(path, bytes)); }

    // Types a new caption into the in-place editor of the selected entry.
    void RenameTo(TfrmMain &w, const QString &caption)
    {
        w.Rename1->trigger();
        QVERIFY(w.Renaming());
        auto *editor = w.lvTemplates->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, caption);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!w.Renaming());
    }

    void Select(TfrmMain &w, const QString &caption)
    {
        const int row = RowOf(w.lvTemplates, caption);
        QVERIFY2(row >= 0, qPrintable(caption));
        w.lvTemplates->setCurrentRow(row);
    }

private Q_SLOTS:
    void initTestCase() { TDialogs::SetNonInteractive(true); }

    void init()
    {
        TDialogs::ClearPresets();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_app = m_dir->path() + QStringLiteral("/app");
        QVERIFY(CopyTree(QStringLiteral(WOBBIN_SOURCE_DIR "/data"), m_app));
        m_save = m_app + QStringLiteral("/save");
        m_template = m_app + QStringLiteral("/template");
        EmptyFolder(m_save);
        EmptyFolder(m_template);
        SettingsStore().Raw().remove(QStringLiteral("General"));
    }

    void cleanup() { QCOMPARE(TDialogs::PendingPresets(), 0); }

    void pageListTemplatesFirstSortedWithKinds()
    {
        {
            auto w = Make();
            w->GetTemplates();
            QCOMPARE(w->lvTemplates->count(), 0);
            QVERIFY(!w->lvTemplates->currentItem());
        }
        Put(m_template + "/beta.qzt", Page("", "t", {"x"}));
        Put(m_template + "/Alpha.qzt", Page("", "t", {"x"}));
        Put(m_template + "/Home.qzt", Page("", "t", {"x"}));
        Put(m_save + "/Home.qze", Page("", "p", {"x"}));
        Put(m_save + "/a page.qze", Page("", "p", {"x"}));
        Put(m_save + "/notes.txt", "not a page");
        auto w = Make();
        w->GetTemplates();
        QCOMPARE(Captions(w->lvTemplates),
                 QStringList({"Alpha", "beta", "Home", "a page", "Home"}));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(w->lvTemplates->item(i)->data(Qt::UserRole + 1).toInt(), i < 3 ? 0 : 1);
        QCOMPARE(QFileInfo(w->lvTemplates->item(2)->data(Qt::UserRole).toString()).absoluteFilePath(),
                 QFileInfo(m_template + "/Home.qzt").absoluteFilePath());
        QCOMPARE(QFileInfo(w->lvTemplates->item(4)->data(Qt::UserRole).toString()).absoluteFilePath(),
                 QFileInfo(m_save + "/Home.qze").absoluteFilePath());
        QVERIFY(w->lvTemplates->selectedItems().isEmpty());
    }

    void openFilterDecidesPageOrTemplate()
    {
        const QString path = m_save + "/Club.qze";
        Put(path, Page("", "Club", {"one", "two"}));
        auto w = Make();

        // The template filter opens even a saved page as an untitled template.
        TDialogs::PresetFile(path, 2);
        w->menFileOpen->trigger();
        QTRY_COMPARE(w->WorkspaceState, int(wsBuild));
        QCOMPARE(w->Document()->Blocks.Count(), 2);
        QVERIFY(w->CurrentFileName.isEmpty());
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" - ") + LoadStr(33)));

        TDialogs::PresetFile(path, 1);
        w->menFileOpen->trigger();
        QCOMPARE(QFileInfo(w->CurrentFileName).absoluteFilePath(), QFileInfo(path).absoluteFilePath());
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" - Club.qze")));
        QVERIFY(!w->DocumentChanged);
    }

    void saveAsWritesPagePictureAndHtml()
    {
        const QString tpl = m_template + "/Start.qzt";
        Put(tpl, Page("", "My page", {"Hello there"}));
        auto w = Make();
        w->DoTemplate(tpl, false);
        QTRY_COMPARE(w->WorkspaceState, int(wsBuild));
        QVERIFY(w->CurrentFileName.isEmpty());

        const QString path = m_save + "/Mine.qze";
        TDialogs::PresetFile(path);
        w->menFileSaveAs->trigger();
        QCOMPARE(w->CurrentFileName, path);
        QVERIFY(!w->DocumentChanged);
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" - Mine.qze")));

        QImage picture(path + ".bmp");
        QCOMPARE(picture.size(), QSize(196, 229));
        // The rendered page, not an empty frame: the text leaves darker pixels.
        QSet<QRgb> colours;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                colours.insert(picture.pixel(x, y));
        QVERIFY(colours.size() > 2);
        // The viewer is back in the preview tab at its usual size.
        QCOMPARE(w->ctlHTML->parentWidget(), w->tabWebView);
        QCOMPARE(w->ctlHTML->size(), QSize(609, 181));
        const QString html = QString::fromLatin1(ReadBytes(m_app + "/HTMLFiles/Mine.html"));
        QVERIFY(html.contains(QStringLiteral("Hello there")));
        QVERIFY(html.contains(QStringLiteral("<BODY")));

        TPageDocument back;
        const PageReadResult r = ReadPageFile(path, back);
        QVERIFY(r.IsOk());
        QCOMPARE(back.Blocks.Count(), 1);
        QCOMPARE(r.Title, QStringLiteral("My page"));
        // The page list shows the new page, its picture beside it.
        QCOMPARE(RowOf(w->lvTemplates, "Mine"), 1);
        // The template is untouched.
        QCOMPARE(ReadBytes(tpl), Page("", "My page", {"Hello there"}));
    }

    // Template to page and back: Choose, Build, a style and a title in View,
    // Save As, the page with its picture in the list, rename, reopen, delete.
    void templateToSavedPageAndBack()
    {
        Put(m_template + "/Starter.qzt", Page("", "Starter", {"Hello", "World"}));
        auto w = Make();
        QCOMPARE(Captions(w->lvTemplates), QStringList({"Starter"}));
        ClickRow(w->lvTemplates, 0);
        ClickToolbar(*w, 140);
        QCOMPARE(w->WorkspaceState, int(wsBuild));
        QCOMPARE(w->Document()->Blocks.Count(), 2);
        QVERIFY(w->CurrentFileName.isEmpty());

        ClickToolbar(*w, 280);
        QCOMPARE(w->WorkspaceState, int(wsView));
        const QString style = w->lstStyles->item(1)->text();
        ClickRow(w->lstStyles, 1);
        QTest::keyClicks(w->txtTitle, QStringLiteral(" page"));
        QVERIFY(w->DocumentChanged);

        const QString path = m_save + "/Walk.qze";
        TDialogs::PresetFile(path);
        w->menFileSaveAs->trigger();
        QCOMPARE(w->CurrentFileName, path);
        TPageDocument back;
        const PageReadResult r = ReadPageFile(path, back);
        QCOMPARE(r.StyleName, style);
        QCOMPARE(r.Title, QStringLiteral("Starter page"));
        QVERIFY(ReadBytes(m_app + "/HTMLFiles/Walk.html").contains("Starter page"));

        ClickToolbar(*w, 0);
        QCOMPARE(Captions(w->lvTemplates), QStringList({"Starter", "Walk"}));
        ClickRow(w->lvTemplates, 1);
        QVERIFY(w->imgPreView->isVisible());
        QCOMPARE(w->imgPreView->pixmap().size(), QSize(196, 229));
        // An entry without a picture shows the mascot, not the last picture.
        ClickRow(w->lvTemplates, 0);
        QVERIFY(!w->imgPreView->isVisible());

        w->lvTemplates->setCurrentRow(1);
        RenameTo(*w, "Walked");
        QVERIFY(QFileInfo::exists(m_save + "/Walked.qze.bmp"));
        // The open page follows its file.
        QCOMPARE(w->CurrentFileName, m_save + "/Walked.qze");
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" - Walked.qze")));

        ClickRow(w->lvTemplates, 1, true);
        QCOMPARE(w->WorkspaceState, int(wsBuild));
        QCOMPARE(w->lstStyles->currentRow(), 1);
        QCOMPARE(w->PageTitle, QStringLiteral("Starter page"));
        QVERIFY(!w->DocumentChanged);

        ClickToolbar(*w, 0);
        w->lvTemplates->setCurrentRow(1);
        TDialogs::PresetAnswer(QMessageBox::Yes);
        w->Delete1->trigger();
        QCOMPARE(Captions(w->lvTemplates), QStringList({"Starter"}));
        QVERIFY(QDir(m_save).entryList(QDir::Files).isEmpty());
    }

    void failedWriteKeepsTheDocumentChanged()
    {
        auto w = Make();
        w->FileNew();
        w->txtTitle->setText(QStringLiteral("unsaved"));
        QVERIFY(w->DocumentChanged);
        TDialogs::PresetFile(m_app + "/no such folder/x.qze");
        QVERIFY(!w->FileSaveAs());
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Critical);
        QVERIFY(w->CurrentFileName.isEmpty());
        QVERIFY(w->DocumentChanged);

        // Saved, then deleted behind the program's back: Save asks for a name.
        const QString path = m_save + "/Once.qze";
        TDialogs::PresetFile(path);
        QVERIFY(w->FileSaveAs());
        QFile::remove(path);
        const QString again = m_save + "/Again.qze";
        TDialogs::PresetFile(again);
        w->menFileSave->trigger();
        QCOMPARE(TDialogs::ShownFileDialogs().size(), 3);
        QVERIFY(QFileInfo::exists(again));
        QCOMPARE(w->CurrentFileName, again);
    }

    // The picture is rendered while the event loop runs: a close asked for
    // meanwhile waits for the save and then finds nothing left to ask.
    void closeDuringSaveWaitsForIt()
    {
        auto w = Make();
        w->FileNew();
        w->txtTitle->setText(QStringLiteral("changed"));
        const int shown = TDialogs::ShownMessages().size();
        const QString path = m_save + "/Closing.qze";
        TDialogs::PresetFile(path);
        QTimer::singleShot(0, w.get(), &QWidget::close);
        QVERIFY(w->FileSaveAs());
        QVERIFY(QFileInfo::exists(path + ".bmp"));
        QTRY_VERIFY(!w->isVisible());
        QCOMPARE(TDialogs::ShownMessages().size(), shown);
    }

    void makeTemplateGoesToTemplateFolder()
    {
        auto w = Make();
        w->FileNew();
        const QString path = m_template + "/Mine.qzt";
        TDialogs::PresetFile(path);
        w->menFileMake->trigger();
        QVERIFY(QFileInfo::exists(path));
        QVERIFY(QFileInfo::exists(path + ".bmp"));
        QCOMPARE(w->CurrentFileName, path);
        QCOMPARE(RowOf(w->lvTemplates, "Mine"), 0);
        QCOMPARE(w->lvTemplates->item(0)->data(Qt::UserRole + 1).toInt(), 0);

        // Without a template folder, Make Template makes the one the list reads.
        QVERIFY(QDir(m_template).removeRecursively());
        TDialogs::PresetCancel();
        w->menFileMake->trigger();
        QVERIFY(QDir(m_template).exists());
    }

    void deleteRemovesPageAndItsPicture()
    {
        Put(m_save + "/Gone.qze", Page("", "p", {"x"}));
        Put(m_save + "/Gone.qze.bmp", "BM");
        Put(m_save + "/Kept.qze", Page("", "p", {"x"}));
        auto w = Make();
        w->GetTemplates();

        // No keeps both files.
        Select(*w, "Gone");
        TDialogs::PresetAnswer(QMessageBox::No);
        w->Delete1->trigger();
        QCOMPARE(TDialogs::LastMessage(), LoadStr(5080) + QStringLiteral(" \"Gone\"?"));
        QVERIFY(QFileInfo::exists(m_save + "/Gone.qze"));

        Select(*w, "Gone");
        TDialogs::PresetAnswer(QMessageBox::Yes);
        w->Delete1->trigger();
        QVERIFY(!QFileInfo::exists(m_save + "/Gone.qze"));
        QVERIFY(!QFileInfo::exists(m_save + "/Gone.qze.bmp"));
        QCOMPARE(Captions(w->lvTemplates), QStringList({"Kept"}));

        // The page vanished behind the program's back: its picture still goes.
        Put(m_save + "/Kept.qze.bmp", "BM");
        Select(*w, "Kept");
        QFile::remove(m_save + "/Kept.qze");
        TDialogs::PresetAnswer(QMessageBox::Yes);
        w->Delete1->trigger();
        QVERIFY(!QFileInfo::exists(m_save + "/Kept.qze.bmp"));
        QCOMPARE(w->lvTemplates->count(), 0);
    }

    void renameInPlace()
    {
        Put(m_save + "/Home.qze", Page("", "p", {"x"}));
        Put(m_save + "/Home.qze.bmp", "BM");
        Put(m_save + "/Other.qze", Page("", "other", {"y"}));
        auto w = Make();
        w->GetTemplates();

        // Forbidden characters: message 5082, nothing touched.
        Select(*w, "Home");
        RenameTo(*w, "My:Page");
        QCOMPARE(TDialogs::LastMessage(), LoadStr(5082));
        QVERIFY(QFileInfo::exists(m_save + "/Home.qze"));
        QCOMPARE(RowOf(w->lvTemplates, "Home"), 0);

        // Blanks only: the old name stays, no message.
        const int shown = TDialogs::ShownMessages().size();
        Select(*w, "Home");
        RenameTo(*w, "   ");
        QCOMPARE(TDialogs::ShownMessages().size(), shown);
        QVERIFY(QFileInfo::exists(m_save + "/Home.qze"));

        // Onto an existing page: a clear message, both pages kept as they were.
        Select(*w, "Home");
        RenameTo(*w, "Other");
        QVERIFY(TDialogs::LastMessage().contains(QStringLiteral("already exists")));
        QCOMPARE(ReadBytes(m_save + "/Other.qze"), Page("", "other", {"y"}));
        QCOMPARE(ReadBytes(m_save + "/Home.qze"), Page("", "p", {"x"}));
        QCOMPARE(Captions(w->lvTemplates), QStringList({"Home", "Other"}));

        // A change of letter case alone renames page and picture.
        Select(*w, "Home");
        RenameTo(*w, "home");
        QVERIFY(QFileInfo::exists(m_save + "/home.qze"));
        QVERIFY(QFileInfo::exists(m_save + "/home.qze.bmp"));
        QVERIFY(!QFileInfo::exists(m_save + "/Home.qze"));
        QVERIFY(!QFileInfo::exists(m_save + "/Home.qze.bmp"));

        Select(*w, "home");
        RenameTo(*w, "  Garden  ");
        QVERIFY(QFileInfo::exists(m_save + "/  Garden  .qze"));
        QCOMPARE(ReadBytes(m_save + "/  Garden  .qze"), Page("", "p", {"x"}));
    }

    void yesThenCancelledSaveKeepsTheWork()
    {
        const QString tpl = m_template + "/T.qzt";
        Put(tpl, Page("", "t", {"a", "b"}));
        const QString other = m_save + "/Other.qze";
        Put(other, Page("", "o", {"c"}));
        auto w = Make();
        w->DoTemplate(tpl, false);
        QTRY_COMPARE(w->WorkspaceState, int(wsBuild));
        w->txtTitle->setText(QStringLiteral("edited"));
        QVERIFY(w->DocumentChanged);

        TDialogs::PresetAnswer(QMessageBox::Yes);
        TDialogs::PresetCancel();
        w->mnuFileNew->trigger();
        QCOMPARE(TDialogs::ShownMessages().last(), w->Msg103);
        QCOMPARE(w->Document()->Blocks.Count(), 2);
        QVERIFY(w->DocumentChanged);

        TDialogs::PresetFile(other, 1);
        TDialogs::PresetAnswer(QMessageBox::Yes);
        TDialogs::PresetCancel();
        w->menFileOpen->trigger();
        QCOMPARE(w->Document()->Blocks.Count(), 2);
        QVERIFY(w->CurrentFileName.isEmpty());
        QVERIFY(!w->LoadingDocument && !w->SuppressFieldEvents);

        TDialogs::PresetAnswer(QMessageBox::Yes);
        TDialogs::PresetCancel();
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());

        // No lets the window close without saving.
        TDialogs::PresetAnswer(QMessageBox::No);
        QVERIFY(w->close());
    }

    void closingUnchangedAsksNothing()
    {
        auto w = Make();
        const int shown = TDialogs::ShownMessages().size();
        QVERIFY(w->close());
        QCOMPARE(TDialogs::ShownMessages().size(), shown);
    }

    void damagedPageOpensUntitledAndIsNotWrittenOver()
    {
        const QString path = m_save + "/Broken.qze";
        PageBytes bytes;
        bytes.Header().Str("").Str("Broken").Int(3).Para("first").Para("second").Int(0).Str("cut short");
        const QByteArray original = bytes;
        Put(path, original);
        auto w = Make();
        w->DoTemplate(path, true);
        QVERIFY(TDialogs::LastMessage().contains(QStringLiteral("Broken.qze")));
        QVERIFY(TDialogs::LastMessage().contains(QStringLiteral("2 blocks")));
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Warning);
        QCOMPARE(w->Document()->Blocks.Count(), 2);
        QVERIFY(w->CurrentFileName.isEmpty());

        // Save asks for a name; cancelling it leaves the file alone.
        TDialogs::PresetCancel();
        w->menFileSave->trigger();
        QCOMPARE(ReadBytes(path), original);

        // A file of another kind altogether says so as well.
        Put(m_save + "/Text.qze", "hello world, this is not a page at all");
        w->DoTemplate(m_save + "/Text.qze", true);
        QVERIFY(TDialogs::LastMessage().contains(QStringLiteral("not a Wobbin Express page file")));
        QVERIFY(w->CurrentFileName.isEmpty());
    }

    void styleSelectedByNameAndStored()
    {
        auto w = Make();
        QVERIFY(w->lstStyles->count() >= 3);
        QCOMPARE(w->lstStyles->item(0)->text(), LoadStr(31));
        const QString second = w->lstStyles->item(2)->text();
        const QString path = m_save + "/Styled.qze";
        Put(path, Page(second.toLower().toLatin1(), "s", {"x"}));

        w->DoTemplate(path, true);
        QCOMPARE(w->lstStyles->currentRow(), 2);

        // A name the list lacks leaves entry 0, chosen on loading.
        Put(m_save + "/Unknown.qze", Page("No such style", "s", {"x"}));
        w->DoTemplate(m_save + "/Unknown.qze", true);
        QCOMPARE(w->lstStyles->currentRow(), 0);

        // A clicked style marks the page changed and is what the file records.
        w->DoTemplate(path, true);
        const QString first = w->lstStyles->item(1)->text();
        const QRect rect = w->lstStyles->visualItemRect(w->lstStyles->item(1));
        w->ShowRedPill(wsView);
        QTRY_COMPARE(w->WorkspaceState, int(wsView));
        QTest::mouseClick(w->lstStyles->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(w->lstStyles->currentRow(), 1);
        QVERIFY(w->DocumentChanged);
        w->menFileSave->trigger();
        TPageDocument back;
        QCOMPARE(ReadPageFile(path, back).StyleName, first);
        QVERIFY(!w->DocumentChanged);

        // The arrow keys choose a style as a click does.
        w->lstStyles->setFocus();
        QTest::keyClick(w->lstStyles, Qt::Key_Down);
        QTRY_VERIFY(w->DocumentChanged);
        QCOMPARE(w->lstStyles->currentRow(), 2);
        QVERIFY(w->HTMLText().contains(BodyTagForEntry(w->Styles, 2)));
    }

    void editStyleRereadsLibrary()
    {
        auto w = Make();
        const QString keep = w->lstStyles->item(2)->text();
        w->lstStyles->setCurrentRow(2);

        StyleList styles;
        TStyleChunk a;
        a.Name = QStringLiteral("Fresh");
        TStyleChunk b;
        b.Name = keep.toUpper();
        b.BackColour = 0x00FFFFFF;
        styles << a << b;
        QVERIFY(WriteStyles(m_app + "/Styles.data", styles));
        w->btnEditStyle->click();
        QCOMPARE(Captions(w->lstStyles), QStringList({LoadStr(31), "Fresh", keep.toUpper()}));
        QCOMPARE(w->lstStyles->currentRow(), 2);

        // A damaged library gives the styles read before the damage.
        QByteArray data = SerializeStyles(styles);
        data.chop(5);
        Put(m_app + "/Styles.data", data);
        w->btnEditStyle->click();
        QCOMPARE(Captions(w->lstStyles), QStringList({LoadStr(31), "Fresh"}));
        QCOMPARE(w->lstStyles->currentRow(), 0);
    }
};

QTEST_MAIN(TestMainDocuments)
#include "test_main_documents.moc"
