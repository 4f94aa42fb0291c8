// The property panels of the Build workspace: filling, typing, alignment
// groups, combo fallbacks, suppressed events and the image file picker,
// driven by clicks and keys on the controls, checked in the page document.

#include "support_gui/mouse_drag.h"

#include "shell/Dialogs.h"
#include "page/PageDocument.h"
#include "workspace/BuildWorkspace.h"
#include "workspace/WebBlockTile.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

// A small 8-bit PCX picture (run-length encoded, 256-colour palette).
QByteArray makePcx(int w, int h)
{
    QByteArray out(128, '\0');
    auto put16 = [&out](int at, int v) {
        out[at] = char(v & 0xff);
        out[at + 1] = char((v >> 8) & 0xff);
    };
    out[0] = 0x0A;
    out[1] = 5;
    out[2] = 1;
    out[3] = 8;
    put16(4, 0);
    put16(6, 0);
    put16(8, w - 1);
    put16(10, h - 1);
    put16(12, 72);
    put16(14, 72);
    out[65] = 1;
    const int bpl = (w + 1) & ~1;
    put16(66, bpl);
    put16(68, 1);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < bpl; ++x) {
            const unsigned char v = static_cast<unsigned char>((x + y) % 4);
            out.append(char(0xC1));
            out.append(char(v));
        }
    }
    out.append(char(0x0C));
    for (int i = 0; i < 256; ++i) {
        out.append(char(i * 60 % 256));
        out.append(char(i * 120 % 256));
        out.append(char(255 - i * 60 % 256));
    }
    return out;
}

} // namespace

class TestBuildPanels : public QObject
{
    Q_OBJECT

    std::unique_ptr<QWidget> pnlBuild;
    std::unique_ptr<TPageDocument> doc;
    TBuildWorkspace *ws = nullptr;
    std::unique_ptr<QTemporaryDir> tmp;

    template <class T = QWidget> T *w(const char *name)
    {
        T *found = pnlBuild->findChild<T *>(QLatin1String(name));
        if (!found)
            qWarning("no control %s", name);
        return found;
    }

    int add(int kind)
    {
        doc->Blocks.Append(NewBlock(kind));
        const int i = doc->Blocks.Count() - 1;
        doc->LoadChunk(i);
        ws->LoadChunk(i);
        return i;
    }

    // Waits for the picture being read; its outcome (failed when none came).
    TImagePickOutcome waitForPicture()
    {
        TImagePickOutcome result;
        bool done = false;
        auto c = connect(ws, &TBuildWorkspace::imagePicked, ws, [&](const TImagePickOutcome &o) {
            result = o;
            done = true;
        });
        if (!QTest::qWaitFor([&] { return done; }, 20000))
            result.error = QStringLiteral("no outcome of the picture reader");
        disconnect(c);
        return result;
    }

    // Clicks the tile of that slot, as the user picks a block.
    void select(int slot)
    {
        MouseClick(ws->Tiles().at(std::size_t(slot)), QPoint(20, 8));
    }

    void typeInto(QWidget *edit, const QString &text)
    {
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }

private Q_SLOTS:
    void initTestCase()
    {
        TBuildWorkspace::SetPointerWarp(false);
        TDialogs::SetNonInteractive(true);
    }

    void init()
    {
        TDialogs::ClearPresets();
        tmp = std::make_unique<QTemporaryDir>();
        pnlBuild = std::make_unique<QWidget>();
        pnlBuild->resize(625, 297);
        doc = std::make_unique<TPageDocument>();
        ws = new TBuildWorkspace(pnlBuild.get(), *doc, pnlBuild.get());
        ws->SetHTMLFolder(tmp->path() + QStringLiteral("/HTMLFiles"));
        QDir().mkpath(tmp->path() + QStringLiteral("/HTMLFiles/graphics"));
        pnlBuild->show();
        QVERIFY(QTest::qWaitForWindowExposed(pnlBuild.get()));
        pnlBuild->activateWindow();
    }

    void cleanup()
    {
        pnlBuild.reset();
        doc.reset();
        tmp.reset();
        ws = nullptr;
    }

    void panelsAreStackedWithTheirControls()
    {
        for (const char *p : {"pnlPara", "pnlLink", "pnlImage", "pnlHeading", "pnlEmail", "pnlLine", "pnlBlank"}) {
            QFrame *f = w<QFrame>(p);
            QVERIFY(f);
            QCOMPARE(f->geometry(), QRect(338, 20, 281, 273));
        }
        for (const char *b : {"imgParagraphT", "imgLinkT", "imgImageT", "imgHeadingT", "imgEmailT", "imgLineT"})
            QVERIFY(w(b));
        QCOMPARE(w<QComboBox>("cmbHeadSize")->count(), 6);
        QCOMPARE(w<QComboBox>("cmbLineThick")->count(), 6);
        QCOMPARE(w<QComboBox>("cmbHeadSize")->itemText(0), QStringLiteral("1 (Largest)"));
        QCOMPARE(w<QComboBox>("cmbLineThick")->itemText(0), QStringLiteral("6 (Thickest)"));
        QCOMPARE(w<QComboBox>("cmbLineThick")->itemText(5), QStringLiteral("1 (Thinnest)"));
        QCOMPARE(w("txtLinkPre")->property("HelpContext").toInt(), 52);
        QCOMPARE(w("cmbLineThick")->property("HelpContext").toInt(), 48);
        QCOMPARE(w("txtImgLink")->property("Tag").toInt(), 53);
        QCOMPARE(w("spdEmailCenter")->property("Tag").toInt(), 94);
        QCOMPARE(w("spdHeadRight")->property("Tag").toInt(), 93);
        QCOMPARE(w("spdImageReturn")->property("Tag").toInt(), 95);
        QCOMPARE(w("spdParaLeft")->toolTip(), QStringLiteral("Align Left"));
        QCOMPARE(w("spdLinkReturn")->toolTip(), QStringLiteral("Start new line for next block"));
        QVERIFY(w("pnlBlank")->isVisible());
    }

    void pressedButtonsLookPressed()
    {
        select(add(bkPara));
        auto *left = w<QToolButton>("spdParaLeft");
        auto *right = w<QToolButton>("spdParaRight");
        auto *newLine = w<QToolButton>("spdParaReturn");
        QTest::mouseClick(left, Qt::LeftButton);
        QVERIFY(left->isChecked() && !right->isChecked());
        if (newLine->isChecked())
            QTest::mouseClick(newLine, Qt::LeftButton);
        QVERIFY(!newLine->isChecked());
        // The mean colour of a pressed button differs clearly from a released one.
        auto mean = [](QWidget *b) {
            const QImage img = b->grab().toImage();
            double sum = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    const QColor c = img.pixelColor(x, y);
                    sum += c.red() + c.green() + 2 * c.blue();
                }
            return sum / (img.width() * img.height());
        };
        const double pressed = mean(left), released = mean(right);
        QVERIFY2(std::abs(pressed - released) > 60, qPrintable(QStringLiteral("%1 / %2").arg(pressed).arg(released)));
        QTest::mouseClick(newLine, Qt::LeftButton);
        QVERIFY(newLine->isChecked());
        QVERIFY(std::abs(mean(newLine) - released) > 60);
    }

    void typingFillsEveryPanel()
    {
        QSignalSpy changed(ws, &TBuildWorkspace::documentChanged);
        const int para = add(bkPara), link = add(bkLink), image = add(bkImage), head = add(bkHeading),
                  email = add(bkEmail), line = add(bkLine);
        doc->DocumentChanged = false;

        select(para);
        QVERIFY(w("pnlPara")->isVisible());
        typeInto(w("txtParagraph"), QStringLiteral("one"));
        QTest::keyClick(w("txtParagraph"), Qt::Key_Return);
        QTest::keyClicks(w("txtParagraph"), QStringLiteral("two"));
        QCOMPARE(doc->Blocks.At(para).Para->Text, QStringLiteral("one\r\ntwo"));
        QVERIFY(doc->DocumentChanged);
        // Every keystroke is a change of the page: "one", Return, "two".
        QCOMPARE(changed.count(), 7);

        select(link);
        QCOMPARE(w<QLineEdit>("txtLinkURL")->text(), QStringLiteral("http://"));
        QCOMPARE(pnlBuild->focusWidget(), w("txtLinkURL"));
        typeInto(w("txtLinkURL"), QStringLiteral("a.com"));
        typeInto(w("txtLinkPre"), QStringLiteral("See "));
        typeInto(w("txtLinkLink"), QStringLiteral("here"));
        typeInto(w("txtLinkPost"), QStringLiteral("."));
        const TBlockLink &l = *doc->Blocks.At(link).Link;
        QCOMPARE(l.URL, QStringLiteral("http://a.com"));
        QCOMPARE(l.PreText + l.LinkText + l.PostText, QStringLiteral("See here."));

        select(image);
        typeInto(w("txtImgFileName"), QStringLiteral("graphics\\x.gif"));
        typeInto(w("txtImgHeight"), QStringLiteral("40"));
        typeInto(w("txtImgWidth"), QStringLiteral("wide")); // stored as typed
        typeInto(w("txtImgDesc"), QStringLiteral("alt"));
        typeInto(w("txtImgLink"), QStringLiteral("b.org"));
        const TBlockImage &im = *doc->Blocks.At(image).Image;
        QCOMPARE(im.FileName, QStringLiteral("graphics\\x.gif"));
        QCOMPARE(im.ImgHeight, QStringLiteral("40"));
        QCOMPARE(im.ImgWidth, QStringLiteral("wide"));
        QCOMPARE(im.AltText, QStringLiteral("alt"));
        QCOMPARE(im.LinkURL, QStringLiteral("http://b.org"));

        select(head);
        typeInto(w("txtHeading"), QStringLiteral("Title"));
        auto *size = w<QComboBox>("cmbHeadSize");
        size->setFocus();
        QTest::keyClick(size, Qt::Key_Down);
        QCOMPARE(doc->Blocks.At(head).Heading->Text, QStringLiteral("Title"));
        QCOMPARE(doc->Blocks.At(head).Heading->SizeText, QStringLiteral("2 (Larger)"));

        select(email);
        typeInto(w("txtEmail"), QStringLiteral("me@x.net"));
        typeInto(w("txtEmailPre"), QStringLiteral("Mail "));
        typeInto(w("txtEmailLink"), QStringLiteral("me"));
        typeInto(w("txtEmailPost"), QStringLiteral("!"));
        const TBlockEmail &e = *doc->Blocks.At(email).Email;
        QCOMPARE(e.Address + e.PreText + e.LinkText + e.PostText, QStringLiteral("me@x.netMail me!"));

        select(line);
        typeInto(w("txtLineWidth"), QStringLiteral("50%"));
        auto *thick = w<QComboBox>("cmbLineThick");
        thick->setFocus();
        QTest::keyClick(thick, Qt::Key_End);
        QCOMPARE(doc->Blocks.At(line).Line->LineWidth, QStringLiteral("50%"));
        QCOMPARE(doc->Blocks.At(line).Line->ThickText, QStringLiteral("1 (Thinnest)"));

        // Going back shows the values typed before.
        select(para);
        QCOMPARE(w<QPlainTextEdit>("txtParagraph")->toPlainText(), QStringLiteral("one\ntwo"));
        select(link);
        QCOMPARE(w<QLineEdit>("txtLinkPre")->text(), QStringLiteral("See "));
    }

    void typingGoesOnlyIntoTheShownBlock()
    {
        const int a = add(bkLink), b = add(bkLink);
        select(a);
        typeInto(w("txtLinkLink"), QStringLiteral("first"));
        select(b);
        QCOMPARE(w<QLineEdit>("txtLinkLink")->text(), QString());
        typeInto(w("txtLinkLink"), QStringLiteral("second"));
        QCOMPARE(doc->Blocks.At(a).Link->LinkText, QStringLiteral("first"));
        QCOMPARE(doc->Blocks.At(b).Link->LinkText, QStringLiteral("second"));
        // A block made current behind the panel's back gets nothing typed into it.
        doc->ShowBlock(a);
        typeInto(w("txtLinkLink"), QStringLiteral("X"));
        QCOMPARE(doc->Blocks.At(a).Link->LinkText, QStringLiteral("first"));
        QCOMPARE(doc->Blocks.At(b).Link->LinkText, QStringLiteral("second"));
    }

    void alignmentGroupsToggle()
    {
        const int p = add(bkPara);
        select(p);
        auto *left = w<QToolButton>("spdParaLeft");
        auto *center = w<QToolButton>("spdParaCenter");
        auto *ret = w<QToolButton>("spdParaReturn");
        QTest::mouseClick(left, Qt::LeftButton);
        QVERIFY(left->isChecked());
        QCOMPARE(doc->Blocks.At(p).Para->Align, 1);
        QTest::mouseClick(center, Qt::LeftButton);
        QVERIFY(center->isChecked());
        QVERIFY(!left->isChecked());
        QCOMPARE(doc->Blocks.At(p).Para->Align, 2);
        QTest::mouseClick(center, Qt::LeftButton); // the down button again: no alignment
        QVERIFY(!center->isChecked());
        QCOMPARE(doc->Blocks.At(p).Para->Align, 0);
        QTest::mouseClick(ret, Qt::LeftButton);
        QCOMPARE(doc->Blocks.At(p).Para->NewLine, 1);
        QTest::mouseClick(ret, Qt::LeftButton);
        QCOMPARE(doc->Blocks.At(p).Para->NewLine, 0);

        // Each kind's buttons write their own record.
        const int e = add(bkEmail);
        select(e);
        QTest::mouseClick(w<QToolButton>("spdEmailRight"), Qt::LeftButton);
        QTest::mouseClick(w<QToolButton>("spdEmailReturn"), Qt::LeftButton);
        QCOMPARE(doc->Blocks.At(e).Email->Align, 3);
        QCOMPARE(doc->Blocks.At(e).Email->NewLine, 1);
        QCOMPARE(doc->Blocks.At(p).Para->Align, 0);
        // Showing the paragraph again puts its buttons as its record says.
        doc->Blocks.At(p).Para->Align = 3;
        select(p);
        QVERIFY(w<QToolButton>("spdParaRight")->isChecked());
        QVERIFY(!w<QToolButton>("spdParaLeft")->isChecked());
    }

    void headingNewLineFollowsItsRecord()
    {
        const int h1 = add(bkHeading), h2 = add(bkHeading);
        doc->Blocks.At(h1).Heading->NewLine = 1;
        select(h1);
        QVERIFY(w<QToolButton>("spdHeadReturn")->isChecked());
        select(h2);
        QVERIFY(!w<QToolButton>("spdHeadReturn")->isChecked());
    }

    void comboFallbackStoresFirstItem()
    {
        const int h = add(bkHeading), l = add(bkLine);
        doc->Blocks.At(h).Heading->SizeText.clear();
        doc->Blocks.At(l).Line->ThickText = QStringLiteral("9 (Huge)");
        doc->DocumentChanged = false;
        select(h);
        QCOMPARE(w<QComboBox>("cmbHeadSize")->currentText(), QStringLiteral("1 (Largest)"));
        QCOMPARE(doc->Blocks.At(h).Heading->SizeText, QStringLiteral("1 (Largest)"));
        QVERIFY(doc->DocumentChanged);
        select(l);
        QCOMPARE(w<QComboBox>("cmbLineThick")->currentText(), QStringLiteral("6 (Thickest)"));
        QCOMPARE(doc->Blocks.At(l).Line->ThickText, QStringLiteral("6 (Thickest)"));
        // A known value is selected as it is.
        doc->Blocks.At(l).Line->ThickText = QStringLiteral("3 (Thin)");
        select(h);
        select(l);
        QCOMPARE(w<QComboBox>("cmbLineThick")->currentText(), QStringLiteral("3 (Thin)"));
    }

    void suppressedEventsDuringLoad()
    {
        const int a = add(bkEmail), b = add(bkEmail);
        doc->Blocks.At(a).Email->Address = QStringLiteral("a@a");
        doc->Blocks.At(b).Email->Address = QStringLiteral("b@b");
        doc->Blocks.At(b).Email->Align = 2;
        QWidget *focusBefore = pnlBuild->focusWidget();
        // The program shows a block while it loads a page, as the main window does.
        doc->SuppressFieldEvents = true;
        doc->LoadingDocument = true;
        doc->DocumentChanged = false;
        ws->ShowBlock(a);
        ws->HighLightBlock(1);
        QCOMPARE(w<QLineEdit>("txtEmail")->text(), QStringLiteral("b@b"));
        QVERIFY(w<QToolButton>("spdEmailCenter")->isChecked());
        QVERIFY(!doc->DocumentChanged);
        QCOMPARE(doc->Blocks.At(a).Email->Address, QStringLiteral("a@a"));
        QCOMPARE(pnlBuild->focusWidget(), focusBefore); // no focus move while loading
        // A click while suppressed writes nothing either.
        QTest::mouseClick(w<QToolButton>("spdEmailLeft"), Qt::LeftButton);
        QCOMPARE(doc->Blocks.At(b).Email->Align, 2);
        QVERIFY(!doc->DocumentChanged);
        doc->SuppressFieldEvents = false;
        doc->LoadingDocument = false;
        // Selecting another block whose texts differ from those shown marks a change.
        select(0);
        QVERIFY(doc->DocumentChanged);
        QCOMPARE(pnlBuild->focusWidget(), w("txtEmail"));
    }

    void blockWithoutItsRecordShowsBlank()
    {
        const int p = add(bkPara);
        doc->Blocks.At(p).Para.reset();
        select(p);
        QVERIFY(w("pnlBlank")->isVisible());
        QVERIFY(w("pnlPara")->isHidden());
        typeInto(w("txtParagraph"), QStringLiteral("x")); // hidden, writes nowhere
        QVERIFY(!doc->Blocks.At(p).Para);
    }

    void theDocumentsFlagHoldsTyping()
    {
        const int p = add(bkPara);
        select(p);
        doc->SuppressFieldEvents = true;
        doc->DocumentChanged = false;
        typeInto(w("txtParagraph"), QStringLiteral("x"));
        QCOMPARE(doc->Blocks.At(p).Para->Text, QString());
        QVERIFY(!doc->DocumentChanged);
        doc->SuppressFieldEvents = false;
        typeInto(w("txtParagraph"), QStringLiteral("y"));
        QCOMPARE(doc->Blocks.At(p).Para->Text, QStringLiteral("xy"));
        QVERIFY(doc->DocumentChanged);
    }

    void rightClickHelpOfPanels()
    {
        qRegisterMetaType<QWidget *>();
        QSignalSpy help(ws, &TBuildWorkspace::whatsThisRequested);
        add(bkEmail);
        select(0);
        MouseClick(w("txtEmailPre"), QPoint(5, 5), Qt::RightButton);
        QCOMPARE(help.count(), 1);
        QCOMPARE(help.last().at(2).toInt(), 61);
        MouseClick(w("spdEmailRight"), QPoint(5, 5), Qt::RightButton);
        QCOMPARE(help.last().at(2).toInt(), 93);
        MouseClick(w("spdEmailReturn"), QPoint(5, 5), Qt::RightButton);
        QCOMPARE(help.last().at(2).toInt(), 95);
        MouseClick(w("lblEmailDesc"), QPoint(5, 5), Qt::RightButton);
        MouseClick(w("pnlEmail"), QPoint(270, 100), Qt::RightButton);
        QCOMPARE(help.count(), 5);
        MouseClick(w("spdImgFile"), QPoint(5, 5), Qt::RightButton);
        QCOMPARE(help.last().at(2).toInt(), 56);
        // A left click gives no help.
        MouseClick(w("lblEmailDesc"), QPoint(5, 5), Qt::LeftButton);
        QCOMPARE(help.count(), 6);
    }

    void pickBigPhotoBmp()
    {
        const int i = add(bkImage);
        select(i);
        QImage img(30, 20, QImage::Format_RGB32);
        img.fill(Qt::red);
        const QString src = tmp->path() + QStringLiteral("/Big Photo.bmp");
        QVERIFY(img.save(src, "BMP"));
        TDialogs::PresetFile(src);
        QTest::mouseClick(w<QToolButton>("spdImgFile"), Qt::LeftButton);
        QCOMPARE(TDialogs::PendingPresets(), 0);
        // Read on a thread of its own: the window goes on meanwhile, and a
        // second pick waits until the first is done.
        QVERIFY(!w<QToolButton>("spdImgFile")->isEnabled());
        const TImagePickOutcome out = waitForPicture();
        QVERIFY2(out.ok, qPrintable(out.error));
        QVERIFY(w<QToolButton>("spdImgFile")->isEnabled());
        const TBlockImage &r = *doc->Blocks.At(i).Image;
        QCOMPARE(r.FileName, QStringLiteral("graphics\\bigphoto.jpg"));
        QCOMPARE(r.ImgHeight, QStringLiteral("20"));
        QCOMPARE(r.ImgWidth, QStringLiteral("30"));
        QCOMPARE(w<QLineEdit>("txtImgFileName")->text(), QStringLiteral("graphics\\bigphoto.jpg"));
        const QDir graphics(tmp->path() + QStringLiteral("/HTMLFiles/graphics"));
        QVERIFY(graphics.exists(QStringLiteral("bigphoto.bmp")));
        QStringList jpegs = graphics.entryList({QStringLiteral("bigphoto.*")});
        QVERIFY2(jpegs.size() == 2, qPrintable(jpegs.join(',')));
        QVERIFY(doc->DocumentChanged);
    }

    void pickPcxIsConverted()
    {
        const int i = add(bkImage);
        select(i);
        const QString src = tmp->path() + QStringLiteral("/Scan.PCX");
        QFile f(src);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(makePcx(12, 7));
        f.close();
        TDialogs::PresetFile(src);
        w("spdImgFile")->setFocus(Qt::TabFocusReason); // picked by the keyboard
        QTest::keyClick(w("spdImgFile"), Qt::Key_Space);
        QCOMPARE(TDialogs::PendingPresets(), 0);
        const TImagePickOutcome out = waitForPicture();
        QVERIFY2(out.ok, qPrintable(out.error));
        // The button was off while the picture was read; the keys are on it again.
        QCOMPARE(w("spdImgFile")->window()->focusWidget(), w("spdImgFile"));
        const TBlockImage &r = *doc->Blocks.At(i).Image;
        QCOMPARE(r.FileName, QStringLiteral("graphics\\scan.jpg"));
        QCOMPARE(r.ImgWidth, QStringLiteral("12"));
        QCOMPARE(r.ImgHeight, QStringLiteral("7"));
    }

    void unreadablePictureLeavesFieldsAndSays()
    {
        const int i = add(bkImage);
        select(i);
        typeInto(w("txtImgFileName"), QStringLiteral("graphics\\old.gif"));
        const QString src = tmp->path() + QStringLiteral("/broken.bmp");
        QFile f(src);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("this is no picture");
        f.close();
        TDialogs::PresetAnswer(QMessageBox::Ok);
        TDialogs::PresetFile(src);
        QTest::mouseClick(w<QToolButton>("spdImgFile"), Qt::LeftButton);
        QVERIFY(!waitForPicture().ok);
        const TBlockImage &r = *doc->Blocks.At(i).Image;
        QCOMPARE(r.FileName, QStringLiteral("graphics\\old.gif"));
        QCOMPARE(r.ImgHeight, QString());
        QVERIFY(!TDialogs::LastMessage().isEmpty());
        QCOMPARE(TDialogs::LastIcon(), QMessageBox::Critical);
    }

    void cancelledPickerChangesNothing()
    {
        const int i = add(bkImage);
        select(i);
        doc->DocumentChanged = false;
        TDialogs::PresetCancel();
        QTest::mouseClick(w<QToolButton>("spdImgFile"), Qt::LeftButton);
        QVERIFY(w("spdImgFile")->isEnabled()); // no picture being read
        QCOMPARE(doc->Blocks.At(i).Image->FileName, QString());
        QVERIFY(!doc->DocumentChanged);
        QVERIFY(TDialogs::ShownMessages().isEmpty());
    }
};

QTEST_MAIN(TestBuildPanels)
#include "test_build_panels.moc"
