// The main window by keyboard: Ctrl+1 to Ctrl+4 choose the four steps, the
// toolbar takes the focus (Left and Right move along its tabs, Enter or Space
// chooses one), Ctrl+Q leaves, F11 enlarges the preview and back, Shift+F1
// asks What's This for the focused control, and the painted pictures that
// act on a click (the preview toggle, exit, the Send panel's rotate buttons
// and page picture) take the focus and act on Enter or Space as on a click.
// The pictures show a dotted frame while they have the focus.
#include "workspace/frmMain.h"

#include "document/Document.h"
#include "page/PageDocument.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "shell/Accessible.h"
#include "workspace/BuildWorkspace.h"
#include "workspace/Controls.h"
#include "shell/FocusFrame.h"
#include "workspace/ViewPanel.h"
#include "workspace/WhatsThis.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>

namespace wobbin {

namespace {
constexpr int kTabWidth = 140;
constexpr int kStepCount = 4;
// Where in its tab a key clicks (the Send tab is narrower than the others).
constexpr int kTabClickX = 30;

bool IsPressKey(const QKeyEvent *e)
{
    return e->modifiers() == Qt::NoModifier
           && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Space);
}

// A left click in the middle of the control, as the mouse makes it.
void ClickByKey(QWidget *control)
{
    const QPointF centre(control->width() / 2.0, control->height() / 2.0);
    const QPointF global = control->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(control, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(control, &release);
}
} // namespace

void TfrmMain::setUpKeyboard()
{
    m_focusFrame = new TFocusFrame(this);

    // The four steps, whatever has the focus.
    for (int step = 0; step < kStepCount; ++step) {
        auto *a = new QAction(this);
        a->setObjectName(QStringLiteral("actStep%1").arg(step + 1));
        a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_1 + step)));
        a->setShortcutContext(Qt::WindowShortcut);
        // The same way as a click on the tab: refused while a change runs.
        connect(a, &QAction::triggered, this,
                [this, step] { m_workspace->ToolbarClick(true, step * kTabWidth + kTabClickX); });
        addAction(a);
    }
    menFileExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    auto *enlarge = new QAction(this);
    enlarge->setObjectName(QStringLiteral("actEnlarge"));
    enlarge->setShortcut(QKeySequence(Qt::Key_F11));
    enlarge->setShortcutContext(Qt::WindowShortcut);
    connect(enlarge, &QAction::triggered, this, &TfrmMain::imgViewClick);
    addAction(enlarge);

    TFocusFrame::Mark(picToolbar);
    picToolbar->installEventFilter(this);
    // For a screen reader the toolbar is a list of the four steps' tabs.
    TabListModel steps;
    steps.Name = LoadStr(Msg::StepsName);
    for (int step = 0; step < kStepCount; ++step)
        steps.Tabs << LoadStr(832 + step);
    steps.Selected = [this] {
        const int tab = m_workspace->HighlightTab();
        return tab < kStepCount ? tab : -1;
    };
    steps.Focused = [this] { return m_toolbarFocusTab; };
    steps.TabRect = [this](int tab) { return QRect(tab * kTabWidth, 0, kTabWidth, picToolbar->height()); };
    steps.Press = [this](int tab) { m_workspace->ToolbarClick(true, tab * kTabWidth + kTabClickX); };
    MakeTabList(picToolbar, steps);
    connect(m_workspace.get(), &TWorkspace::stateChanged, this, [this](int state) {
        if (state >= 0 && state < kStepCount)
            showToolbarFocus(state);
        TabListChanged(picToolbar);
        // The focus was in a panel that went away (the page list, the
        // preview): in Build it goes to the current block's tile.
        QWidget *focus = focusWidget();
        const bool lost = !focus || !focus->isVisible() || focus == imgView || focus == imgExit;
        if (state == wsBuild && lost)
            m_build->FocusCurrentTile();
    });
    showToolbarFocus(0);

    for (const char *name : {"imgView", "imgExit", "imgUploadLeft", "imgUploadRight", "imgUpload", "imgYourPage"}) {
        if (auto *control = m_client->findChild<QWidget *>(QLatin1String(name))) {
            TFocusFrame::Mark(control);
            control->installEventFilter(this);
        }
    }
    // The bottom strip comes last in the tab order.
    QWidget::setTabOrder(imgView, imgExit);

    // What a screen reader says of the pictures.
    const struct {
        const char *name;
        QAccessible::Role role;
        int text, description;
    } pictures[] = {
        {"imgExit", QAccessible::Button, 854, 0},         {"imgView", QAccessible::Button, 855, 0},
        {"imgUploadLeft", QAccessible::Button, 849, 0},   {"imgUploadRight", QAccessible::Button, 850, 0},
        {"imgUpload", QAccessible::Button, 851, 0},       {"imgWebBack", QAccessible::Graphic, 852, 853},
        {"imgYourPage", QAccessible::Link, 859, 0},
    };
    for (const auto &p : pictures)
        if (auto *control = m_client->findChild<QWidget *>(QLatin1String(p.name)))
            MakeAccessible(control, p.role, LoadStr(p.text), p.description ? LoadStr(p.description) : QString());
    picToolbar->setAccessibleDescription(LoadStr(Msg::StepsHint));
    // The grey preview toggle is off, and no Tab stop, until View.
    SetPictureAvailable(imgView, false);
    showToolbarFocus(0);
}

void TfrmMain::showToolbarFocus(int tab)
{
    m_toolbarFocusTab = std::clamp(tab, 0, kStepCount - 1);
    picToolbar->setProperty("focusRect", QRect(m_toolbarFocusTab * kTabWidth, 0, kTabWidth, picToolbar->height()));
    if (m_focusFrame->Target() == picToolbar)
        m_focusFrame->Follow();
    TabListChanged(picToolbar);
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    return keyboardEvent(watched, event) || QMainWindow::eventFilter(watched, event);
}

bool TfrmMain::keyboardEvent(QObject *watched, QEvent *event)
{
    // A screen reader hears which tab the keys are on (after the toolbar's
    // own focus event).
    if (event->type() == QEvent::FocusIn && watched == picToolbar)
        QTimer::singleShot(0, picToolbar, [this] { TabListChanged(picToolbar); });
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *e = static_cast<QKeyEvent *>(event);
    if (watched == picToolbar) {
        if (e->modifiers() != Qt::NoModifier)
            return false;
        if (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right) {
            showToolbarFocus(m_toolbarFocusTab + (e->key() == Qt::Key_Left ? -1 : 1));
            return true;
        }
        if (IsPressKey(e)) {
            const bool wasStepping = m_stepByToolbarKey;
            m_stepByToolbarKey = true;
            m_workspace->ToolbarClick(true, m_toolbarFocusTab * kTabWidth + kTabClickX);
            m_stepByToolbarKey = wasStepping;
            return true;
        }
        return false;
    }
    if (IsPressKey(e) && !e->isAutoRepeat()) {
        ClickByKey(static_cast<QWidget *>(watched));
        return true;
    }
    return false;
}

void TfrmMain::whatsThisForFocus()
{
    QWidget *focus = focusWidget();
    int context = 0;
    if (focus && focus->objectName().startsWith(QLatin1String("imgBr")))
        context = PaletteHelpContext(TagOf(focus));
    for (QWidget *w = focus; w && w != this && !context; w = w->parentWidget())
        context = TagOf(w);
    const QWidget *at = focus ? focus : this;
    m_whatsThis->PopUp(context > 0 ? context : 1, at->mapToGlobal(QPoint(at->width() / 2, at->height() / 2)));
}

} // namespace wobbin
