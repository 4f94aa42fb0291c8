// Document commands of the main window on real files, through its menus, its
// page list and the dialog wrapper: Open with its filter, Save As with the
// rendered page picture, a template made into a page and back (style, title,
// rename, reopen, delete), a close asked for while a save renders, the save
// question on closing, and the style list. The decisions themselves are tested
// without a window in tests/core/test_document.cpp and test_page_list.cpp.
#include "support/PageBytes.h"
#include "support_gui/MainWindowDriver.h"

#include "shell/Dialogs.h"
#include "settings/Settings.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "document/Document.h"
#include "document/Workspace.h"
#include "page/PageFile.h"
#include "styles/StyleLibrary.h"
#include "workspace/frmMain.h"

#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

void EmptyFolder(const QString &folder)
{
    QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden))
        dir.remove(name);
}


} // namespace

class TestMainDocuments : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app, m_save, m_template;

    void Put(const QString &path, const QByteArray &bytes) { QVERIFY(WriteBytes(path, bytes)); }

    // Types a new caption into the in-place editor of the selected entry.
    void RenameTo(TfrmMain &w, const QString &caption)
    {
        auto *list = Named<QListWidget>(&w, "lvTemplates");
        Trigger(&w, "Rename1");
        auto *editor = list->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Backspace);
        QTest::keyClicks(editor, caption);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!list->viewport()->findChild<QLineEdit *>() || !list->viewport()->findChild<QLineEdit *>()->isVisible());
        QCoreApplication::sendPostedEvents(); // the list takes up the closed editor (queued)
    }

private Q_SLOTS:
    void initTestCase() { TDialogs::SetNonInteractive(true); }

    void init()
    {
        FreshStart(m_dir, m_app);
        m_save = m_app + QStringLiteral("/save");
        m_template = m_app + QStringLiteral("/template");
        EmptyFolder(m_save);
        EmptyFolder(m_template);
    }

    void cleanup() { QCOMPARE(TDialogs::PendingPresets(), 0); }

    void openFilterDecidesPageOrTemplate()
    {
        const QString path = m_save + "/Club.qze";
        Put(path, ParagraphPage("", "Club", {"one", "two"}));
        auto w = MakeMainWindow(m_app);

        // The template filter opens even a saved page as an untitled template.
        TDialogs::PresetFile(path, 2);
        Trigger(w.get(), "menFileOpen");
        QCOMPARE(TDialogs::ShownFileDialogs().last(), QStringLiteral("Open"));
        QTRY_COMPARE(w->Workspace().State(), int(wsBuild));
        QCOMPARE(w->Document().Page().Blocks.Count(), 2);
        QVERIFY(w->Document().CurrentFileName().isEmpty());
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" - ") + LoadStr(Msg::Untitled)));

        TDialogs::PresetFile(path, 1);
        Trigger(w.get(), "menFileOpen");
        QCOMPARE(QFileInfo(w->Document().CurrentFileName()).absoluteFilePath(), QFileInfo(path).absoluteFilePath());
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" - Club.qze")));
        QVERIFY(!w->Document().DocumentChanged());
    }

    void saveAsWritesTheRenderedPicture()
    {
        const QString tpl = m_template + "/Start.qzt";
        Put(tpl, ParagraphPage("", "My page", {"Hello there"}));
        auto w = MakeMainWindow(m_app);
        w->Workspace().OpenPage(tpl, false);
        QTRY_COMPARE(w->Workspace().State(), int(wsBuild));

        const QString path = m_save + "/Mine.qze";
        TDialogs::PresetFile(path);
        Trigger(w.get(), "menFileSaveAs");
        QCOMPARE(w->Document().CurrentFileName(), path);
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
        QCOMPARE(Named(w.get(), "ctlHTML")->parentWidget(), Named(w.get(), "tabWebView"));
        QCOMPARE(Named(w.get(), "ctlHTML")->size(), QSize(609, 181));
        QVERIFY(ReadBytes(m_app + "/HTMLFiles/Mine.html").contains("Hello there"));
        // The page list shows the new page; the template is untouched.
        QCOMPARE(Captions(Named<QListWidget>(w.get(), "lvTemplates")), (QStringList{"Start", "Mine"}));
        QCOMPARE(ReadBytes(tpl), ParagraphPage("", "My page", {"Hello there"}));
    }

    // Template to page and back: Choose, Build, a style and a title in View,
    // Save As, the page with its picture in the list, rename, reopen, delete.
    void templateToSavedPageAndBack()
    {
        Put(m_template + "/Starter.qzt", ParagraphPage("", "Starter", {"Hello", "World"}));
        auto w = MakeMainWindow(m_app);
        auto *list = Named<QListWidget>(w.get(), "lvTemplates");
        QCOMPARE(Captions(list), QStringList({"Starter"}));
        ClickRow(list, 0);
        ClickToolbar(w.get(), 140);
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        QCOMPARE(w->Document().Page().Blocks.Count(), 2);
        QVERIFY(w->Document().CurrentFileName().isEmpty());

        ClickToolbar(w.get(), 280);
        auto *styles = Named<QListWidget>(w.get(), "lstStyles");
        const QString style = styles->item(1)->text();
        ClickRow(styles, 1);
        QCOMPARE(w->Document().StyleName(), style);
        QVERIFY(styles->isEnabled());
        QTest::keyClicks(Named<QLineEdit>(w.get(), "txtTitle"), QStringLiteral(" page"));
        QCOMPARE(w->Document().Page().PageTitle, QStringLiteral("Starter page"));
        QVERIFY(w->Document().DocumentChanged());

        const QString path = m_save + "/Walk.qze";
        TDialogs::PresetFile(path);
        Trigger(w.get(), "menFileSaveAs");
        TPageDocument back;
        const PageReadResult r = ReadPageFile(path, back);
        QCOMPARE(r.StyleName, style);
        QCOMPARE(r.Title, QStringLiteral("Starter page"));
        QVERIFY(ReadBytes(m_app + "/HTMLFiles/Walk.html").contains("Starter page"));

        ClickToolbar(w.get(), 0);
        QCOMPARE(Captions(list), QStringList({"Starter", "Walk"}));
        auto *picture = Named<QLabel>(w.get(), "imgPreView");
        ClickRow(list, 1);
        QVERIFY(picture->isVisible());
        QCOMPARE(picture->pixmap().size(), QSize(196, 229));
        // An entry without a picture shows the mascot, not the last picture.
        ClickRow(list, 0);
        QVERIFY(!picture->isVisible());

        // Renamed in place: the page, its picture, and the open document follow.
        ClickRow(list, 1);
        RenameTo(*w, "My:Page");
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::PageNameBadCharacters));
        QCOMPARE(Captions(list), QStringList({"Starter", "Walk"}));
        ClickRow(list, 1);
        RenameTo(*w, "Walked");
        QTRY_COMPARE(Captions(list), QStringList({"Starter", "Walked"}));
        QVERIFY(QFileInfo::exists(m_save + "/Walked.qze.bmp"));
        QCOMPARE(w->Document().CurrentFileName(), m_save + "/Walked.qze");
        QVERIFY(w->windowTitle().endsWith(QStringLiteral(" - Walked.qze")));

        ClickRow(list, 1, true);
        QCOMPARE(w->Workspace().State(), int(wsBuild));
        QCOMPARE(styles->currentRow(), 1);
        QCOMPARE(w->Document().Page().PageTitle, QStringLiteral("Starter page"));
        QVERIFY(!w->Document().DocumentChanged());

        // Deleted from the list, after the question.
        ClickToolbar(w.get(), 0);
        ClickRow(list, 1);
        TDialogs::PresetAnswer(QMessageBox::No);
        Trigger(w.get(), "Delete1");
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::DeleteFileQuestion) + QStringLiteral(" \"Walked\"?"));
        QVERIFY(QFileInfo::exists(m_save + "/Walked.qze"));
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Trigger(w.get(), "Delete1");
        QCOMPARE(Captions(list), QStringList({"Starter"}));
        QVERIFY(QDir(m_save).entryList(QDir::Files).isEmpty());
    }

    // The picture is rendered while the event loop runs: a close asked for
    // meanwhile waits for the save and then finds nothing left to ask.
    void closeDuringSaveWaitsForIt()
    {
        auto w = MakeMainWindow(m_app);
        Trigger(w.get(), "mnuFileNew");
        QTest::keyClicks(Named<QLineEdit>(w.get(), "txtTitle"), QStringLiteral("changed"));
        QVERIFY(w->Document().DocumentChanged());
        const int shown = int(TDialogs::ShownMessages().size());
        const QString path = m_save + "/Closing.qze";
        TDialogs::PresetFile(path);
        QTimer::singleShot(0, w.get(), &QWidget::close);
        Trigger(w.get(), "menFileSaveAs");
        QVERIFY(QFileInfo::exists(path + ".bmp"));
        QTRY_VERIFY(!w->isVisible());
        QCOMPARE(TDialogs::ShownMessages().size(), shown);
    }

    void closingAsksAboutChanges()
    {
        auto w = MakeMainWindow(m_app);
        // Unchanged: nothing asked.
        auto w2 = MakeMainWindow(m_app);
        const int shown = int(TDialogs::ShownMessages().size());
        QVERIFY(w2->close());
        QCOMPARE(TDialogs::ShownMessages().size(), shown);

        // Yes and a cancelled Save As keeps the window open; No closes it.
        w->Document().SetDocumentChanged(true);
        TDialogs::PresetAnswer(QMessageBox::Yes);
        TDialogs::PresetCancel();
        QVERIFY(!w->close());
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::SaveChangesQuestion));
        QVERIFY(w->isVisible());
        TDialogs::PresetAnswer(QMessageBox::No);
        QVERIFY(w->close());
    }

    void styleListFollowsTheDocument()
    {
        auto w = MakeMainWindow(m_app);
        auto *styles = Named<QListWidget>(w.get(), "lstStyles");
        QCOMPARE(Captions(styles), w->Document().StyleEntries());
        QCOMPARE(styles->item(0)->text(), LoadStr(Msg::NoneChosen));
        const QString second = styles->item(2)->text();
        const QString path = m_save + "/Styled.qze";
        Put(path, ParagraphPage(second.toLower().toLatin1(), "s", {"x"}));
        w->Workspace().OpenPage(path, true);
        QCOMPARE(styles->currentRow(), 2);

        // The arrow keys choose a style as a click does.
        w->Workspace().SelectTab(wsView);
        w->Document().SetDocumentChanged(false);
        styles->setFocus();
        QTest::keyClick(styles, Qt::Key_Down);
        QTRY_VERIFY(w->Document().DocumentChanged());
        QCOMPARE(w->Document().StyleEntry(), 3);
        QVERIFY(w->Document().HtmlText().contains(BodyTagForEntry(w->Document().Styles(), 3)));

        // Edit Styles: the wizard deletes the first style; the library is read
        // again and the page keeps its style by name, one row up.
        const QString keep = styles->item(3)->text();
        const QStringList before = Captions(styles);
        TDialogs::PresetDialog([](QDialog *wizard) {
            QTest::mouseClick(wizard->findChild<QRadioButton *>(QStringLiteral("radDelete")), Qt::LeftButton);
            QTest::mouseClick(wizard->findChild<QPushButton *>(QStringLiteral("NextButt")), Qt::LeftButton);
            ClickRow(wizard->findChild<QListWidget *>(QStringLiteral("lstStyles")), 0);
            QTest::mouseClick(wizard->findChild<QPushButton *>(QStringLiteral("butDelete")), Qt::LeftButton);
            TDialogs::PresetAnswer(QMessageBox::Yes);
            QTest::mouseClick(wizard->findChild<QPushButton *>(QStringLiteral("FinishButt")), Qt::LeftButton);
        });
        QTest::mouseClick(Named<QPushButton>(w.get(), "btnEditStyle"), Qt::LeftButton);
        QStringList after = before;
        after.removeAt(1);
        QCOMPARE(Captions(styles), after);
        QCOMPARE(styles->item(2)->text(), keep);
        QCOMPARE(styles->currentRow(), 2);
    }
};

QTEST_MAIN(TestMainDocuments)
#include "test_main_documents.moc"
