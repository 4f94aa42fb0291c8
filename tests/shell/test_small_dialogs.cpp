// The small dialogs: the warning before hand edits of the HTML, the note
// before the first save and the About box, driven with mouse and keys; the
// "Don''t show this screen again." switches survive a restart of the
// settings store.

#include "settings/Settings.h"
#include "shell/Skin.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "shell/frmAbout.h"
#include "shell/frmHTMLWarn.h"
#include "shell/frmSaveInfo.h"

#include <QCheckBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

using namespace wobbin;

namespace {

// Runs action on the next modal window that appears (within the timeout).
// Deleting the returned timer stops the watch.
QTimer *WhenModal(std::function<void(QWidget *)> action, bool *seen = nullptr)
{
    auto *timer = new QTimer;
    auto started = std::make_shared<QElapsedTimer>();
    started->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, action, started, seen] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            if (seen)
                *seen = true;
            action(modal);
        } else if (started->elapsed() > 10000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
    return timer;
}

template <typename T>
T *Find(QWidget *window, const char *name)
{
    T *w = window->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qWarning("no control %s", name);
    return w;
}

void Restart()
{
    // What a new start of the program reads: the settings file, afresh.
    ReleaseSettingsStore();
}

} // namespace

class TestSmallDialogs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        SettingsStore().DeleteProgramKey();
        QVERIFY(SettingsStore().OpenKey(QString(), false));   // a started program has its key
        SettingsStore().CloseKey();
    }

    void htmlWarningLooksAsDesigned()
    {
        TfrmHTMLWarn w;
        QCOMPARE(w.windowTitle(), QStringLiteral("HTML Change Alert"));
        QCOMPARE(w.size(), QSize(387, 140));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(w.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(w.font().family(), QStringLiteral("Arial"));
        QCOMPARE(Find<QLabel>(&w, "lbl1")->text(), LoadStr(Msg::HtmlChangeAlert));
        QCOMPARE(Find<QLabel>(&w, "lbl2")->text(), LoadStr(Msg::HtmlChangeQuestion));
        QVERIFY(Find<QLabel>(&w, "lbl1")->alignment() & Qt::AlignHCenter);
        QVERIFY(Find<QLabel>(&w, "lbl2")->alignment() & Qt::AlignHCenter);
        // The doubled apostrophe as stored.
        QCOMPARE(Find<QCheckBox>(&w, "chkHTML")->text(), QStringLiteral("Don't show this screen again."));
        QCOMPARE(Find<QPushButton>(&w, "butYes")->text(), QStringLiteral("&Yes"));
        QCOMPARE(Find<QPushButton>(&w, "butNo")->text(), QStringLiteral("&No"));
        QVERIFY(!w.ShowResult);
    }

    void htmlWarningAnswers()
    {
        // Yes without the box: the edit stays, the warning stays on.
        {
            TfrmHTMLWarn w;
            w.show();
            QTest::mouseClick(Find<QPushButton>(&w, "butYes"), Qt::LeftButton);
            QVERIFY(w.ShowResult);
            QVERIFY(!w.isVisible());
            QCOMPARE(ReadSetting("General", "ShowHTMLWarning"), QStringLiteral("ERROR"));
        }
        // Escape answers No and leaves the switch alone.
        {
            TfrmHTMLWarn w;
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            QTest::keyClick(&w, Qt::Key_Escape);
            QVERIFY(!w.ShowResult);
            QVERIFY(!w.isVisible());
            QCOMPARE(ReadSetting("General", "ShowHTMLWarning"), QStringLiteral("ERROR"));
        }
        // No with the box checked: the edit is undone and the warning is off
        // for good, also after a restart.
        bool seen = false;
        WhenModal([](QWidget *m) {
            QTest::mouseClick(Find<QCheckBox>(m, "chkHTML"), Qt::LeftButton);
            QTest::mouseClick(Find<QPushButton>(m, "butNo"), Qt::LeftButton);
        }, &seen);
        QVERIFY(!AskHTMLWarning(nullptr));
        QVERIFY(seen);
        Restart();
        QCOMPARE(ReadSetting("General", "ShowHTMLWarning"), QStringLiteral("No"));
        // Switched off: no window, the edit stays.
        seen = false;
        QPointer<QTimer> watch = WhenModal([](QWidget *m) { m->close(); }, &seen);
        QVERIFY(AskHTMLWarning(nullptr));
        QVERIFY(!seen);
        QVERIFY(!QApplication::activeModalWidget());
        delete watch;
    }

    void saveInformation()
    {
        QList<QPair<QWidget *, int>> asked;
        TfrmSaveInfo w(nullptr, [&asked](QWidget *over, int topic) { asked << qMakePair(over, topic); });
        QCOMPARE(w.windowTitle(), QStringLiteral("File Save Information"));
        QCOMPARE(w.size(), QSize(349, 144));
        QVERIFY(!(w.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(w.font().family(), QStringLiteral("Arial"));
        QLabel *msg = Find<QLabel>(&w, "lblMsg");
        QCOMPARE(msg->text(), LoadStr(Msg::FirstPageIndexHint));
        QVERIFY(msg->alignment() & Qt::AlignHCenter);
        QLabel *link = Find<QLabel>(&w, "lblLink");
        QCOMPARE(link->text(), QStringLiteral("Click here for a tutorial creating links."));
        QCOMPARE(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(link->cursor().shape(), LoadCursorNumber(5).shape());
        QCOMPARE(Find<QCheckBox>(&w, "chkShow")->text(), LoadStr(Msg::DontShowAgain));
        QPushButton *ok = Find<QPushButton>(&w, "btnJoy");
        QCOMPARE(ok->text(), QStringLiteral("&OK"));
        QVERIFY(ok->isDefault());

        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), ok);
        // The link opens the tutorial over the dialog, which stays open.
        QTest::mouseClick(link, Qt::LeftButton);
        QCOMPARE(asked, (QList<QPair<QWidget *, int>>{{&w, 102}}));
        QVERIFY(w.isVisible());
        // OK without the box: the note stays on.
        QTest::keyClick(&w, Qt::Key_Return);
        QVERIFY(!w.isVisible());
        QCOMPARE(ReadSetting("General", "SaveInfo"), QStringLiteral("ERROR"));

        // Through the caller's call: checked and OK switches it off for good.
        bool seen = false;
        WhenModal([](QWidget *m) {
            QTest::mouseClick(Find<QCheckBox>(m, "chkShow"), Qt::LeftButton);
            QTest::mouseClick(Find<QPushButton>(m, "btnJoy"), Qt::LeftButton);
        }, &seen);
        ShowSaveInformation(nullptr, {});
        QVERIFY(seen);
        Restart();
        QCOMPARE(ReadSetting("General", "SaveInfo"), QStringLiteral("No"));
        seen = false;
        QPointer<QTimer> watch = WhenModal([](QWidget *m) { m->close(); }, &seen);
        ShowSaveInformation(nullptr, {});
        QVERIFY(!seen);
        QVERIFY(!QApplication::activeModalWidget());
        delete watch;
    }

    void aboutBox()
    {
        TfrmAbout w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Wobbin Express"));
        QCOMPARE(w.size(), QSize(370, 230));
        QCOMPARE(w.font().family(), QStringLiteral("Arial"));
        QLabel *picture = Find<QLabel>(&w, "imgAbout");
        QCOMPARE(picture->geometry(), QRect(2, 18, 366, 139));
        QCOMPARE(picture->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                 LoadBitmap(QStringLiteral("About")).toImage().convertToFormat(QImage::Format_RGB32));
        QCOMPARE(Find<QLabel>(&w, "lblVersion")->text(), QStringLiteral("Version 1.07"));
        QCOMPARE(Find<QLabel>(&w, "lblNotice")->text(), LoadStr(Msg::Copyright));

        // The secret word, typed blind, shows the hidden picture; other
        // typing does nothing.
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("wind"));
        QVERIFY(!w.SecretShown());
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Y"));
        QVERIFY(w.SecretShown());
        QCOMPARE(picture->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                 LoadBitmap(QStringLiteral("About_Secret")).toImage().convertToFormat(QImage::Format_RGB32));
        QVERIFY(w.isVisible());

        // A click on the picture closes it, and so does one on the window.
        QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(100, 60));
        QVERIFY(!w.isVisible());
        TfrmAbout again;
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QTest::mouseClick(&again, Qt::LeftButton, {}, QPoint(20, 8));
        QVERIFY(!again.isVisible());
    }
};

QTEST_MAIN(TestSmallDialogs)
#include "test_small_dialogs.moc"
