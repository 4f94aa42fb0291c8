#include "workspace/InputGate.h"

#include "document/Workspace.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace wobbin {

TInputGate::TInputGate(TWorkspace &workspace, QWidget *mainWindow, QWidget *toolbar, QWidget *previewToggle)
    : QObject(mainWindow), m_workspace(workspace), m_mainWindow(mainWindow), m_toolbar(toolbar),
      m_previewToggle(previewToggle)
{
    connect(&m_workspace, &TWorkspace::busyChanged, this, &TInputGate::busyChanged);
}

void TInputGate::busyChanged(bool busy)
{
    if (busy) {
        qApp->installEventFilter(this);
        return;
    }
    qApp->removeEventFilter(this);
    // A window asked to close meanwhile closes now.
    for (const QPointer<QWidget> &w : std::as_const(m_closeLater))
        if (w)
            QTimer::singleShot(0, w, &QWidget::close);
    m_closeLater.clear();
}

bool TInputGate::InModalWindow(QObject *watched) const
{
    const QWidget *modal = QApplication::activeModalWidget();
    if (!modal || modal == m_mainWindow)
        return false;
    const QWidget *window = nullptr;
    if (auto *w = qobject_cast<QWidget *>(watched))
        window = w->window();
    else
        window = WindowOf(watched);
    // A popup of the question (a drop-down list) belongs to it too.
    for (const QWidget *w = window; w; w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
        if (w == modal)
            return true;
    return false;
}

QWidget *TInputGate::WindowOf(QObject *watched)
{
    if (auto *w = qobject_cast<QWidget *>(watched))
        return w->isWindow() ? w : nullptr;
    if (auto *window = qobject_cast<QWindow *>(watched))
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->windowHandle() == window)
                return w;
    return nullptr;
}

bool TInputGate::eventFilter(QObject *watched, QEvent *event)
{
    InputKind kind;
    switch (event->type()) {
    case QEvent::Close:
        kind = InputKind::Close;
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        kind = watched == m_toolbar ? InputKind::ToolbarClick
               : watched == m_previewToggle ? InputKind::PreviewToggle
                                            : InputKind::Pointer;
        break;
    case QEvent::Wheel:
        kind = InputKind::Pointer;
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        kind = InputKind::Key;
        break;
    default:
        return false;
    }
    // A question shown while the window is busy (a damaged page read during
    // a tab change) takes its own input: the main window is blocked by it anyway.
    if (InModalWindow(watched))
        return false;
    switch (m_workspace.Admit(kind)) {
    case InputRule::Accept:
        return false;
    case InputRule::Refuse:
        event->ignore();
        return true;
    case InputRule::Defer:
        break;
    }
    // Closing: the main window asks the workspace itself (its close handler).
    QWidget *window = WindowOf(watched);
    if (!window || window == m_mainWindow)
        return false;
    if (!m_closeLater.contains(window))
        m_closeLater << window;
    event->ignore();
    return true;
}

} // namespace wobbin
