// The style wizard window driven with mouse and keys: adding a style with a
// background picture and five colours while the sample follows, modifying,
// deleting and reordering, the questions at Finish (save, a name used twice,
// a library that cannot be written), Cancel, Help, and the one-call opener.

#include "support/FileTree.h"
#include "shell/Dialogs.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "page/Cp1252.h"
#include "styles/StyleLibrary.h"
#include "styles/StyleSample.h"
#include "wizards/frmStyleWiz.h"
#include "viewer/HtmlViewer.h"
#include "shell/Help.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TStyleChunk Style(const QString &name, const QString &image = QString(), TColor back = 0x00FFFFFF)
{
    TStyleChunk s;
    s.Name = name;
    s.Image = image;
    s.BackColour = back;
    s.TextColour = 0x00000000;
    s.LinkColour = 0x00FF0000;
    s.ActiveColour = 0x000000FF;
    s.VisitedColour = 0x00800080;
    return s;
}

StyleList Library()
{
    return {Style("Garden", "backgrnd\\garden.jpg"), Style("Ocean"), Style("Night Sky", QString(), 0)};
}

template <typename T>
T *Find(QWidget *window, const char *name)
{
    T *w = window->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

void Click(QWidget *window, const char *name)
{
    QWidget *w = Find<QWidget>(window, name);
    QVERIFY2(w->isVisible() && w->isEnabled(), name);
    // A radio button takes clicks on its circle and text only.
    const QPoint at = qobject_cast<QRadioButton *>(w) ? QPoint(8, w->height() / 2) : w->rect().center();
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
}

void ClickRow(QWidget *window, int row)
{
    auto *list = Find<QListWidget>(window, "lstStyles");
    const QRect r = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

// The wizard over a program folder of its own.
struct WizardFixture
{
    QTemporaryDir dir;
    QString appDir;
    QString library;
    QByteArray libraryBytes;

    WizardFixture()
    {
        appDir = dir.path();
        QDir().mkpath(appDir + "/HTMLFiles/backgrnd");
        library = appDir + "/Styles.data";
        if (!WriteStylesToFile(appDir, Library()).ok())
            qFatal("The test's style library could not be written");
        libraryBytes = ReadAll(library);
    }
    QString SamplePath() const { return appDir + "/HTMLFiles/~tmpprvw.html"; }
};

} // namespace

class TestStyleWizard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        TDialogs::ClearPresets();
        TDialogs::SetNonInteractive(true);
    }

    void cleanup()
    {
        QCOMPARE(TDialogs::PendingPresets(), 0);
    }

    void startPage()
    {
        WizardFixture f;
        TfrmStyleWiz w(f.appDir, Library());
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("Style Wizard"));
        QCOMPARE(w.font().family(), QStringLiteral("Arial"));
        QCOMPARE(Find<QStackedWidget>(&w, "PageControl1")->currentWidget()->objectName(), QStringLiteral("tab1"));
        QVERIFY(Find<QRadioButton>(&w, "radAdd")->isChecked());
        QCOMPARE(Find<QRadioButton>(&w, "radModify")->text(), LoadStr(Msg::ModifyStyle));
        QVERIFY(!Find<QPushButton>(&w, "BackButt")->isEnabled());
        QVERIFY(Find<QPushButton>(&w, "NextButt")->isVisible());
        QVERIFY(!Find<QPushButton>(&w, "FinishButt")->isVisible());
        QCOMPARE(Find<QPushButton>(&w, "NextButt")->text(), QStringLiteral("Next >&>"));
        QCOMPARE(Find<QPushButton>(&w, "BackButt")->text(), QStringLiteral("&<< Back"));
        // Opening writes nothing.
        QVERIFY(!QFile::exists(f.SamplePath()));
        THelp::SetHelpFolder(QStringLiteral(WOBBIN_SOURCE_DIR "/data/Help"));
        Click(&w, "butHelp");
        // The wizard's own topic: its pages, the swatches, the background picture.
        QCOMPARE(THelp::LastShown(), THelp::Shown::Topic);
        QCOMPARE(THelp::TopicTitle(THelp::LastContext()), QStringLiteral("Style wizard"));
        for (const char *part : {"Background Image", "swatches", "Your Style List"})
            QVERIFY2(THelp::LastText().contains(QLatin1String(part)), part);
        if (QWidget *help = THelp::HelpWindow())
            help->close();
    }

    void addStyleWithPictureAndColours()
    {
        WizardFixture f;
        const QString picture = f.dir.filePath("Bubbles.GIF");
        QVERIFY(WriteBytes(picture, QByteArray::fromBase64(
            "R0lGODlhAQABAIAAAP8AAAAAACH5BAAAAAAALAAAAAABAAEAAAICRAEAOw==")));   // one red pixel
        TfrmStyleWiz w(f.appDir, Library());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        Click(&w, "NextButt");
        QCOMPARE(w.Wizard().Page(), TWizardPage::Editor);
        QVERIFY(Find<QPushButton>(&w, "FinishButt")->isVisible());
        QVERIFY(!Find<QPushButton>(&w, "NextButt")->isVisible());
        QVERIFY(Find<QPushButton>(&w, "BackButt")->isEnabled());
        // The cleared style's sample is written and shown at once.
        QCOMPARE(ReadAll(f.SamplePath()), ToCp1252(CreateStyleSampleHTML(ClearedStyle())));
        auto *viewer = Find<THtmlViewer>(&w, "ctlHTML");
        QCOMPARE(ViewerUrlToExternal(viewer->CurrentUrl()).toLocalFile(), QDir::cleanPath(f.SamplePath()));

        QTest::keyClicks(Find<QLineEdit>(&w, "txtStyleName"), QStringLiteral("My Groovy Style"));
        QCOMPARE(w.Wizard().EditStyle().Name, QStringLiteral("My Groovy Style"));

        // The picture is copied into backgrnd under its web name and named
        // relative to the HTML folder.
        TDialogs::PresetFile(picture);
        Click(&w, "spdImgFile");
        QCOMPARE(Find<QLineEdit>(&w, "txtImgFilename")->text(), QStringLiteral("backgrnd\\bubbles.gif"));
        QCOMPARE(ReadAll(f.appDir + "/HTMLFiles/backgrnd/bubbles.gif"), ReadAll(picture));
        QVERIFY(ReadAll(f.SamplePath()).contains("<BODY BACKGROUND=\"backgrnd\\bubbles.gif\" BGCOLOR=\"C0C0C0\""));

        // Five colours, each shown in the sample as soon as it is chosen.
        const struct { const char *swatch; QColor colour; const char *html; } colours[] = {
            {"pnlBack", QColor(0x00, 0x33, 0x66), "BGCOLOR=\"003366\""},
            {"pnlDoc", QColor(0xFF, 0xFF, 0xCC), "<FONT COLOR=\"FFFFCC\"> Document Text"},
            {"pnlStandard", QColor(0x66, 0xCC, 0xFF), "<FONT COLOR=\"66CCFF\"> Standard Link"},
            {"pnlActive", QColor(0xFF, 0x66, 0x00), "<FONT COLOR=\"FF6600\"> Active Link"},
            {"pnlVisited", QColor(0xCC, 0x99, 0xFF), "<FONT COLOR=\"CC99FF\"> Visited Link"},
        };
        for (const auto &c : colours) {
            TDialogs::PresetColour(c.colour);
            Click(&w, c.swatch);
            QVERIFY2(ReadAll(f.SamplePath()).contains(c.html), c.swatch);
        }
        // A cancelled colour dialog changes nothing.
        const QByteArray before = ReadAll(f.SamplePath());
        TDialogs::PresetCancel();
        Click(&w, "pnlBack");
        QCOMPARE(ReadAll(f.SamplePath()), before);

        TStyleChunk expected;
        expected.Name = QStringLiteral("My Groovy Style");
        expected.Image = QStringLiteral("backgrnd\\bubbles.gif");
        expected.BackColour = 0x00663300;
        expected.TextColour = 0x00CCFFFF;
        expected.LinkColour = 0x00FFCC66;
        expected.ActiveColour = 0x000066FF;
        expected.VisitedColour = 0x00FF99CC;
        QCOMPARE(w.Wizard().EditStyle(), expected);
        QCOMPARE(ReadAll(f.SamplePath()), ToCp1252(CreateStyleSampleHTML(expected)));

        // The viewer shows the sample: clear the picture and the page is the
        // background colour.
        Click(&w, "butClear");
        QCOMPARE(w.Wizard().EditStyle().Image, QString());
        QVERIFY(!ReadAll(f.SamplePath()).contains("BACKGROUND"));
        const QImage shown = viewer->GrabClientArea();
        QVERIFY(!shown.isNull());
        QCOMPARE(QColor(shown.pixel(shown.width() - 6, shown.height() - 6)), QColor(0x00, 0x33, 0x66));

        // Picked again from backgrnd itself: not copied onto itself.
        TDialogs::PresetFile(f.appDir + "/HTMLFiles/backgrnd/bubbles.gif");
        Click(&w, "spdImgFile");
        QCOMPARE(w.Wizard().EditStyle().Image, QStringLiteral("backgrnd\\bubbles.gif"));
        QCOMPARE(ReadAll(f.appDir + "/HTMLFiles/backgrnd/bubbles.gif"), ReadAll(picture));

        // Finish, Yes: the library gains the style at its end.
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click(&w, "FinishButt");
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::SaveStyleListQuestion));
        QCOMPARE(TDialogs::LastCaption(), LoadStr(Msg::StyleListChanged));
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Question);
        QVERIFY(w.LibraryWritten());
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(ReadAll(f.library), SerializeStyles(Library() << expected));
    }

    void addNeedsANameAndNoKeepsTheLibrary()
    {
        WizardFixture f;
        TfrmStyleWiz w(f.appDir, Library());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        Click(&w, "NextButt");
        Click(&w, "FinishButt");
        QCOMPARE(TDialogs::ShownMessages(), QStringList{LoadStr(Msg::StyleNeedsName)});
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::NoIcon);
        QVERIFY(w.isVisible());
        QCOMPARE(QApplication::focusWidget(), Find<QWidget>(&w, "txtStyleName"));

        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Sunny"));
        TDialogs::PresetAnswer(QMessageBox::No);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);   // Finish is the default button
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::SaveStyleListQuestion));
        QVERIFY(!w.isVisible());
        QVERIFY(!w.LibraryWritten());
        QCOMPARE(ReadAll(f.library), f.libraryBytes);
    }

    void cancelAtTheQuestionAddsOnlyOnce()
    {
        WizardFixture f;
        TfrmStyleWiz w(f.appDir, Library());
        w.show();
        Click(&w, "NextButt");
        QTest::keyClicks(Find<QLineEdit>(&w, "txtStyleName"), QStringLiteral("Twice?"));
        TDialogs::PresetAnswer(QMessageBox::Cancel);
        Click(&w, "FinishButt");
        QVERIFY(w.isVisible());
        QCOMPARE(ReadAll(f.library), f.libraryBytes);
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click(&w, "FinishButt");
        QVERIFY(!w.isVisible());
        QCOMPARE(LoadStyles(f.library).size(), 4);
        QCOMPARE(LoadStyles(f.library).last().Name, QStringLiteral("Twice?"));
    }

    void modifyAStyle()
    {
        WizardFixture f;
        TfrmStyleWiz w(f.appDir, Library());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        Click(&w, "radModify");
        Click(&w, "NextButt");
        QCOMPARE(w.Wizard().Page(), TWizardPage::List);
        QVERIFY(Find<QWidget>(&w, "lblModify")->isVisible());
        QVERIFY(!Find<QWidget>(&w, "butDelete")->isVisible());
        QVERIFY(!Find<QWidget>(&w, "lblMsg2")->isVisible());
        QCOMPARE(Find<QListWidget>(&w, "lstStyles")->count(), 3);

        // The list has the focus but nothing is chosen: Next asks for a choice.
        Click(&w, "NextButt");
        Click(&w, "NextButt");
        QCOMPARE(TDialogs::ShownMessages(), (QStringList{LoadStr(Msg::SelectStyleToEdit), LoadStr(Msg::SelectStyleToEdit)}));
        QCOMPARE(w.Wizard().Page(), TWizardPage::List);

        ClickRow(&w, 1);
        QCOMPARE(w.Wizard().Selected(), 1);
        Click(&w, "NextButt");
        QCOMPARE(w.Wizard().Page(), TWizardPage::Editor);
        auto *name = Find<QLineEdit>(&w, "txtStyleName");
        QCOMPARE(name->text(), QStringLiteral("Ocean"));
        QCOMPARE(Find<QLineEdit>(&w, "txtImgFilename")->text(), QString());
        QVERIFY(ReadAll(f.SamplePath()).contains("BGCOLOR=\"FFFFFF\""));
        QVERIFY(!w.Wizard().StylesChanged());   // showing a style is no change

        // Back shows the list again, without Delete; then the same style again.
        Click(&w, "BackButt");
        QCOMPARE(w.Wizard().Page(), TWizardPage::List);
        QVERIFY(!Find<QWidget>(&w, "butDelete")->isVisible());
        QCOMPARE(Find<QListWidget>(&w, "lstStyles")->currentRow(), 1);
        Click(&w, "NextButt");

        // An emptied name is written as it is (the name check is for Add only).
        name->selectAll();
        QTest::keyClick(name, Qt::Key_Delete);
        TDialogs::PresetColour(QColor(0x12, 0x34, 0x56));
        Click(&w, "pnlDoc");
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click(&w, "FinishButt");
        QVERIFY(!w.isVisible());
        StyleList expected = Library();
        expected[1].Name.clear();
        expected[1].TextColour = 0x00563412;
        QCOMPARE(ReadAll(f.library), SerializeStyles(expected));
    }

    void modifyWithNoStyles()
    {
        WizardFixture f;
        QVERIFY(WriteStylesToFile(f.appDir, {}).ok());
        TfrmStyleWiz w(f.appDir, {});
        w.show();
        Click(&w, "radModify");
        Click(&w, "NextButt");
        QCOMPARE(Find<QListWidget>(&w, "lstStyles")->count(), 0);
        for (int i = 0; i < 3; ++i)
            Click(&w, "NextButt");
        QCOMPARE(TDialogs::ShownMessages(), (QStringList{LoadStr(Msg::SelectStyleToEdit), LoadStr(Msg::SelectStyleToEdit), LoadStr(Msg::SelectStyleToEdit)}));
        QVERIFY(!Find<QWidget>(&w, "spbUp")->isEnabled());
        QVERIFY(!Find<QWidget>(&w, "spbDown")->isEnabled());
        Click(&w, "CancelButt");
        QVERIFY(!w.isVisible());
    }

    void deleteAndReorder()
    {
        WizardFixture f;
        TfrmStyleWiz w(f.appDir, Library());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        Click(&w, "radDelete");
        Click(&w, "NextButt");
        QCOMPARE(w.Wizard().Page(), TWizardPage::List);
        QVERIFY(Find<QWidget>(&w, "lblDelete")->isVisible());
        QVERIFY(Find<QWidget>(&w, "butDelete")->isVisible());
        QVERIFY(Find<QWidget>(&w, "FinishButt")->isVisible());
        QVERIFY(!Find<QWidget>(&w, "NextButt")->isVisible());
        auto *list = Find<QListWidget>(&w, "lstStyles");

        // Night Sky to the top; at the top Up is off and changes nothing.
        ClickRow(&w, 2);
        Click(&w, "spbUp");
        Click(&w, "spbUp");
        QCOMPARE(w.Wizard().Names(), (QStringList{"Night Sky", "Garden", "Ocean"}));
        QCOMPARE(list->currentItem()->text(), QStringLiteral("Night Sky"));
        QVERIFY(!Find<QWidget>(&w, "spbUp")->isEnabled());
        // The keyboard moves the selection too.
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(w.Wizard().Selected(), 1);
        Click(&w, "spbDown");
        QCOMPARE(w.Wizard().Names(), (QStringList{"Night Sky", "Ocean", "Garden"}));
        QVERIFY(!Find<QWidget>(&w, "spbDown")->isEnabled());

        // Delete Ocean: gone from the list, nothing selected, Delete off.
        ClickRow(&w, 1);
        Click(&w, "butDelete");
        QCOMPARE(list->count(), 2);
        QCOMPARE(w.Wizard().Selected(), -1);
        QVERIFY(!Find<QWidget>(&w, "butDelete")->isEnabled());

        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click(&w, "FinishButt");
        QVERIFY(!w.isVisible());
        QCOMPARE(ReadAll(f.library), SerializeStyles({Library().at(2), Library().at(0)}));
    }

    void finishWithoutChangesAsksNothing()
    {
        WizardFixture f;
        TfrmStyleWiz w(f.appDir, Library());
        w.show();
        Click(&w, "radDelete");
        Click(&w, "NextButt");
        ClickRow(&w, 0);
        QVERIFY(!Find<QWidget>(&w, "spbUp")->isEnabled());   // the first cannot go up
        Click(&w, "FinishButt");
        QCOMPARE(TDialogs::ShownMessages(), QStringList());
        QVERIFY(!w.isVisible());
        QVERIFY(!w.LibraryWritten());
        QCOMPARE(ReadAll(f.library), f.libraryBytes);
    }

    void aNameUsedTwice()
    {
        WizardFixture f;
        TfrmStyleWiz w(f.appDir, Library());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        Click(&w, "NextButt");
        auto *name = Find<QLineEdit>(&w, "txtStyleName");
        QTest::keyClicks(name, QStringLiteral("ocean"));

        // Going back to change it: nothing written, the name ready to change.
        TDialogs::PresetAnswer(QMessageBox::Yes);
        TDialogs::PresetAnswer(QMessageBox::No);
        Click(&w, "FinishButt");
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::StyleNameTaken).arg(QStringLiteral("Ocean")));
        QVERIFY(TDialogs::LastMessage().contains(QStringLiteral("\"Ocean\"")));
        QVERIFY(w.isVisible());
        QCOMPARE(ReadAll(f.library), f.libraryBytes);
        QCOMPARE(QApplication::focusWidget(), name);
        QCOMPARE(name->selectedText(), QStringLiteral("ocean"));

        // Changed: written without a further question.
        QTest::keyClicks(name, QStringLiteral("Deep Ocean"));
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click(&w, "FinishButt");
        QCOMPARE(TDialogs::ShownMessages().size(), 3);
        QVERIFY(!w.isVisible());
        QCOMPARE(LoadStyles(f.library).last().Name, QStringLiteral("Deep Ocean"));

        // Kept as it is: written with the name twice.
        TfrmStyleWiz again(f.appDir, LoadStyles(f.library));
        again.show();
        Click(&again, "NextButt");
        QTest::keyClicks(Find<QLineEdit>(&again, "txtStyleName"), QStringLiteral("GARDEN"));
        TDialogs::PresetAnswer(QMessageBox::Yes);
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click(&again, "FinishButt");
        QCOMPARE(TDialogs::LastMessage(), LoadStr(Msg::StyleNameTaken).arg(QStringLiteral("Garden")));
        QVERIFY(!again.isVisible());
        QCOMPARE(LoadStyles(f.library).last().Name, QStringLiteral("GARDEN"));
    }

    void aLibraryThatCannotBeWritten()
    {
        WizardFixture f;
        // A folder where the library file should be: the write fails.
        QVERIFY(QFile::remove(f.library));
        QVERIFY(QDir().mkpath(f.library));
        TfrmStyleWiz w(f.appDir, Library());
        w.show();
        Click(&w, "radDelete");
        Click(&w, "NextButt");
        ClickRow(&w, 0);
        Click(&w, "butDelete");
        TDialogs::PresetAnswer(QMessageBox::Yes);
        Click(&w, "FinishButt");
        const QString message = TDialogs::LastMessage();
        QVERIFY2(message.startsWith(LoadStr(Msg::StyleListNotSaved).section(QStringLiteral("%1"), 0, 0)), qPrintable(message));
        QVERIFY(message.size() > LoadStr(Msg::StyleListNotSaved).size());   // the cause is in it
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Warning);
        // The wizard stays open with the work in it.
        QVERIFY(w.isVisible());
        QVERIFY(!w.LibraryWritten());
        QCOMPARE(w.Wizard().Names(), (QStringList{"Ocean", "Night Sky"}));
        QVERIFY(QFileInfo(f.library).isDir());
        Click(&w, "CancelButt");
        QVERIFY(!w.isVisible());
    }

    void cancelWritesNothing()
    {
        WizardFixture f;
        TfrmStyleWiz w(f.appDir, Library());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        Click(&w, "NextButt");
        QTest::keyClicks(Find<QLineEdit>(&w, "txtStyleName"), QStringLiteral("Never"));
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(TDialogs::ShownMessages(), QStringList());
        QCOMPARE(ReadAll(f.library), f.libraryBytes);
    }

    void oneCallOpener()
    {
        WizardFixture f;
        // Cancelled: the caller need not read the library again.
        TDialogs::PresetDialog([](QDialog *w) { Click(w, "CancelButt"); });
        QVERIFY(!RunStyleWizard(nullptr, f.appDir, Library()));

        // Finished with Yes: it must.
        TDialogs::PresetDialog([](QDialog *w) {
            Click(w, "radDelete");
            Click(w, "NextButt");
            ClickRow(w, 0);
            Click(w, "butDelete");
            TDialogs::PresetAnswer(QMessageBox::Yes);
            Click(w, "FinishButt");
        });
        QVERIFY(RunStyleWizard(nullptr, f.appDir, Library()));
        QCOMPARE(LoadStyles(f.library), Library().mid(1));
    }
};

QTEST_MAIN(TestStyleWizard)
#include "test_style_wizard.moc"
