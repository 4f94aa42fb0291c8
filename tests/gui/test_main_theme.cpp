// The window under the user's desktop theme: with a dark palette every text
// of the window and of its dialogs stands out from the background it is
// drawn on (at least 4.5:1) and every focus frame from what lies under it
// (at least 3:1); each dialog opens centred on the window.
#include "support_gui/MainWindowDriver.h"

#include "shell/Dialogs.h"
#include "shell/Palette.h"
#include "shell/frmAbout.h"
#include "shell/frmHTMLWarn.h"
#include "shell/frmSaveInfo.h"
#include "document/Document.h"
#include "document/Workspace.h"
#include "upload/frmJoy.h"
#include "wizards/frmServerWizard.h"
#include "wizards/frmStyleWiz.h"
#include "workspace/BuildWorkspace.h"
#include "shell/FocusFrame.h"
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
    QPalette p(QColor(0x35, 0x35, 0x35)); // a dark button and window colour, light text
    p.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(role, QColor(0xF0, 0xF0, 0xF0));
    p.setColor(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
    return p;
}

// The colour the widget's text is drawn on: its own field or button, else the
// background of the nearest widget below it that fills one.
QColor BackgroundOf(const QWidget *w, QPalette::ColorRole role)
{
    if (role != QPalette::Window || w->autoFillBackground())
        return w->palette().color(role);
    while (w->parentWidget() && !w->autoFillBackground() && !w->isWindow())
        w = w->parentWidget();
    return w->palette().color(QPalette::Window);
}

// Every text below root against its background (4.5:1), and the focus colour
// against the window (3:1).
QStringList ContrastFaults(QWidget *root)
{
    QStringList faults;
    QList<QWidget *> all = root->findChildren<QWidget *>();
    all.prepend(root);
    for (const QWidget *w : std::as_const(all)) {
        if (!w->isVisible() || !w->isEnabled())
            continue;
        const bool field = qobject_cast<const QLineEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w)
                           || qobject_cast<const QAbstractItemView *>(w);
        const bool button = qobject_cast<const QComboBox *>(w) || qobject_cast<const QTabBar *>(w)
                            || w->inherits("QPushButton") || w->inherits("QToolButton");
        const bool text = (qobject_cast<const QLabel *>(w) && !static_cast<const QLabel *>(w)->text().isEmpty())
                          || qobject_cast<const QAbstractButton *>(w) || qobject_cast<const QGroupBox *>(w);
        const QPalette &p = w->palette();
        QList<std::pair<QColor, QColor>> pairs;
        if (field)
            pairs << std::pair{p.color(QPalette::Text), p.color(QPalette::Base)};
        else if (button)
            pairs << std::pair{p.color(QPalette::ButtonText), p.color(QPalette::Button)};
        else if (text)
            pairs << std::pair{p.color(w->foregroundRole()), BackgroundOf(w, QPalette::Window)};
        if (auto *list = qobject_cast<const QListWidget *>(w))
            for (int i = 0; i < list->count(); ++i)
                if (list->item(i)->foreground().style() != Qt::NoBrush)
                    pairs << std::pair{list->item(i)->foreground().color(), p.color(QPalette::Base)};
        for (const auto &[fg, bg] : pairs)
            if (ContrastRatio(fg, bg) < 4.5)
                faults << QStringLiteral("%1: %2 on %3").arg(w->objectName(), fg.name(), bg.name());
        if ((w->focusPolicy() & Qt::TabFocus) && ContrastRatio(p.color(QPalette::Highlight), BackgroundOf(w, QPalette::Window)) < 3)
            faults << QStringLiteral("%1: focus %2").arg(w->objectName(), p.color(QPalette::Highlight).name());
    }
    return faults;
}

// Share of the pixels under the focus frame's line that its ink stands out from.
double FrameVisibility(TFocusFrame *frame)
{
    QWidget *t = frame->Target();
    const QRect part = t->property("focusRect").toRect();
    const QRect local = part.isValid() ? part : t->rect();
    frame->hide(); // what shows there without the frame
    const QImage under = t->window()->grab(QRect(t->mapTo(t->window(), local.topLeft()), local.size())).toImage();
    frame->show();
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
        QWidget *shown = nullptr;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            if (!dialog || dialog == window || !dialog->isVisible())
                return;
            poll.stop();
            shown = dialog;
            faults << ContrastFaults(dialog);
            const QPoint off = dialog->frameGeometry().center() - window->frameGeometry().center();
            if (off.manhattanLength() > 8) // centred on the window it belongs to
                faults << dialog->objectName() + QStringLiteral(" is off centre");
            static_cast<QDialog *>(dialog)->reject();
        });
        poll.start(20);
        open();
        if (!shown)
            faults << QStringLiteral("a dialog did not open");
    }

private Q_SLOTS:
    void initTestCase()
    {
        TDialogs::SetNonInteractive(true);
        QApplication::setPalette(DarkTheme());
    }

    void init() { FreshStart(m_dir, m_app); }

    void windowAndDialogsReadUnderADarkTheme()
    {
        auto w = MakeMainWindow(m_app);
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->Workspace().OpenPage(m_app + QStringLiteral("/template/Family News.qzt"), false);
        TDialogs::PresetAnswer(QMessageBox::Ok);
        TDialogs::PresetFile(m_app + QStringLiteral("/save/Dark.qze"));
        QStringList faults;
        for (int step : {wsChoose, wsBuild, wsView, wsSend}) {
            QVERIFY(w->Workspace().SelectTab(step));
            faults << ContrastFaults(w.get());
        }
        QWidget *win = w.get();
        win->move(0, 0); // away from the screen's centre
        const auto opens = std::initializer_list<std::function<void()>>{
            [&] { AskHTMLWarning(win); }, [&] { ShowSaveInformation(win, {}); }, [&] { ShowAbout(win); },
            [&] { RunStyleWizard(win, m_app, w->Document().Styles()); }, [&] { EditServerList(win); },
            [&] { ShowJoyUnlessSwitchedOff(win); }};
        for (const auto &open : opens) {
            TDialogs::PresetDialog([](QDialog *) {}); // shown for real (not all ask through the presets)
            WhileOpen(win, open, faults);
        }
        TDialogs::ClearPresets();
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
