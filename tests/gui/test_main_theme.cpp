// The window under the user's desktop theme: with a dark palette every text
// of the window and of its dialogs stands out from the background it is
// drawn on (at least 4.5:1) and every focus frame from what lies under it
// (at least 3:1); each dialog opens centred on the window.
#include "support_gui/MainWindowDriver.h"

#include "app/Dialogs_gui.h"
#include "app/Palette_gui.h"
#include "app/frmAbout_gui.h"
#include "app/frmHTMLWarn_gui.h"
#include "app/frmSaveInfo_gui.h"
#include "document/Document.h"
#include "document/Workspace.h"
#include "publish/frmJoy_gui.h"
#include "publish/frmServerWizard_gui.h"
#include "styles/frmStyleWiz_gui.h"
#include "workspace/BuildWorkspace.h"
#include "workspace/FocusFrame.h"
#include "workspace/frmMain.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace wobbin;
using namespace wobbin::testing;

namespace {

QPalette DarkTheme()
{
    QPalette p;
    const QColor window(0x35, 0x35, 0x35), base(0x20, 0x20, 0x20), white(0xF0, 0xF0, 0xF0);
    for (auto role : {QPalette::Window, QPalette::Button, QPalette::AlternateBase})
        p.setColor(role, window);
    p.setColor(QPalette::Base, base);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText})
        p.setColor(role, white);
    p.setColor(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
    return p;
}

// The colour a widget's text is drawn on: its own background where it fills
// one, else that of the nearest widget below it that does.
QColor BackgroundOf(const QWidget *w, QPalette::ColorRole role)
{
    if (w->autoFillBackground() || role == QPalette::Base || role == QPalette::Button)
        return w->palette().color(role);
    for (const QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (p->autoFillBackground() || p->isWindow())
            return p->palette().color(QPalette::Window);
    return w->palette().color(QPalette::Window);
}

// Every text shown below root against its background, and the focus colour
// against the backgrounds a focused control sits on.
QStringList ContrastFaults(QWidget *root)
{
    QStringList faults;
    auto check = [&](const QWidget *w, const QColor &fg, const QColor &bg, double least) {
        const double ratio = ContrastRatio(fg, bg);
        if (ratio < least)
            faults << QStringLiteral("%1 (%2): %3 on %4 is %5:1")
                          .arg(w->objectName(), QLatin1String(w->metaObject()->className()), fg.name(), bg.name())
                          .arg(ratio, 0, 'f', 2);
    };
    QList<QWidget *> all = root->findChildren<QWidget *>();
    all.prepend(root);
    for (QWidget *w : std::as_const(all)) {
        if (!w->isVisible() || !w->isEnabled())
            continue;
        const QPalette &p = w->palette();
        if (auto *l = qobject_cast<QLabel *>(w); l && !l->text().isEmpty()) {
            check(w, p.color(l->foregroundRole()), BackgroundOf(w, QPalette::Window), 4.5);
        } else if (qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w)
                   || qobject_cast<QAbstractItemView *>(w)) {
            check(w, p.color(QPalette::Text), p.color(QPalette::Base), 4.5);
            if (auto *list = qobject_cast<QListWidget *>(w))
                for (int i = 0; i < list->count(); ++i)
                    if (list->item(i)->foreground().style() != Qt::NoBrush)
                        check(w, list->item(i)->foreground().color(), p.color(QPalette::Base), 4.5);
        } else if (qobject_cast<QComboBox *>(w) || qobject_cast<QTabBar *>(w)
                   || (qobject_cast<QAbstractButton *>(w) && w->inherits("QPushButton"))) {
            check(w, p.color(QPalette::ButtonText), p.color(QPalette::Button), 4.5);
        } else if (auto *b = qobject_cast<QAbstractButton *>(w); b && !b->text().isEmpty()) {
            check(w, p.color(QPalette::WindowText), BackgroundOf(w, QPalette::Window), 4.5);
        } else if (auto *g = qobject_cast<QGroupBox *>(w); g && !g->title().isEmpty()) {
            check(w, p.color(QPalette::WindowText), BackgroundOf(w, QPalette::Window), 4.5);
        }
        if (w->focusPolicy() & Qt::TabFocus)
            check(w, p.color(QPalette::Highlight), BackgroundOf(w, QPalette::Window), 3.0);
    }
    return faults;
}

// Share of the pixels under the focus frame's band that its ink stands out from.
double FrameVisibility(const TFocusFrame *frame)
{
    QWidget *t = frame->Target();
    const QRect part = t->property("focusRect").toRect();
    const QRect local = part.isValid() ? part : t->rect();
    // What shows there without the frame.
    const_cast<TFocusFrame *>(frame)->hide();
    const QImage under = t->window()->grab(QRect(t->mapTo(t->window(), local.topLeft()), local.size())).toImage();
    const_cast<TFocusFrame *>(frame)->show();
    int seen = 0, all = 0;
    for (int y = 0; y < under.height(); ++y)
        for (int x = 0; x < under.width(); ++x)
            if (x < 3 || y < 3 || x >= under.width() - 3 || y >= under.height() - 3) {
                ++all;
                seen += ContrastRatio(frame->Ink(), under.pixelColor(x, y)) >= 3.0;
            }
    return all ? double(seen) / all : 0.0;
}

} // namespace

class TestMainTheme : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_app;

    // Opens a dialog through open(), checks it once it is up, and closes it.
    static void WhileOpen(QWidget *window, const std::function<void()> &open, QStringList &faults)
    {
        bool seen = false;
        QTimer poll;
        poll.setInterval(20);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            if (!dialog || dialog == window || !dialog->isVisible())
                return;
            poll.stop();
            seen = true;
            faults << ContrastFaults(dialog);
            // Centred on the window it belongs to.
            const QPoint off = dialog->frameGeometry().center() - window->frameGeometry().center();
            if (off.manhattanLength() > 8)
                faults << QStringLiteral("%1 is off the window's centre by %2,%3")
                              .arg(dialog->objectName()).arg(off.x()).arg(off.y());
            static_cast<QDialog *>(dialog)->reject();
        });
        poll.start();
        open();
        if (!seen)
            faults << QStringLiteral("a dialog did not open");
    }

private Q_SLOTS:
    void initTestCase()
    {
        TDialogs::SetNonInteractive(true);
        QApplication::setPalette(DarkTheme());
    }

    void init() { FreshStart(m_dir, m_app); }

    void textsReadUnderADarkTheme()
    {
        auto w = MakeMainWindow(m_app);
        w->Workspace().OpenPage(m_app + QStringLiteral("/template/Family News.qzt"), false);
        TDialogs::PresetAnswer(QMessageBox::Ok);
        TDialogs::PresetFile(m_app + QStringLiteral("/save/Dark.qze"));
        QStringList faults;
        for (int step : {wsChoose, wsBuild, wsView, wsSend}) {
            QVERIFY(w->Workspace().SelectTab(step));
            faults << ContrastFaults(w.get());
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    void dialogsReadAndOpenOnTheWindow()
    {
        auto w = MakeMainWindow(m_app);
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->move(0, 0); // away from the screen's centre
        QStringList faults;
        QWidget *win = w.get();
        const auto shown = [](QDialog *) {};
        TDialogs::PresetDialog(shown);
        WhileOpen(win, [&] { AskHTMLWarning(win); }, faults);
        TDialogs::PresetDialog(shown);
        WhileOpen(win, [&] { ShowSaveInformation(win, {}); }, faults);
        TDialogs::PresetDialog(shown);
        WhileOpen(win, [&] { ShowAbout(win); }, faults);
        TDialogs::PresetDialog(shown);
        WhileOpen(win, [&] { RunStyleWizard(win, m_app, w->Document().Styles()); }, faults);
        WhileOpen(win, [&] { EditServerList(win); }, faults);
        WhileOpen(win, [&] { ShowJoyUnlessSwitchedOff(win); }, faults);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(QLatin1Char('\n'))));
    }

    // The frame of the painted controls stands out from (most of) the
    // picture under it: the dark blue toolbar, and a blue palette image on silver.
    void focusFramesStandOut()
    {
        auto w = MakeMainWindow(m_app);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        auto *frame = w->findChild<TFocusFrame *>(QStringLiteral("FocusFrame"));
        QTRY_COMPARE(frame->Target(), Named(w.get(), "picToolbar"));
        QVERIFY2(FrameVisibility(frame) > 0.66, qPrintable(QString::number(FrameVisibility(frame))));
        QTest::keyClick(w.get(), Qt::Key_2, Qt::ControlModifier);
        w->BuildWorkspace().PaletteImage(bkLink)->setFocus(Qt::TabFocusReason);
        QCOMPARE(frame->Target(), w->BuildWorkspace().PaletteImage(bkLink));
        QVERIFY2(FrameVisibility(frame) > 0.66, qPrintable(QString::number(FrameVisibility(frame))));
    }
};

QTEST_MAIN(TestMainTheme)
#include "test_main_theme.moc"
