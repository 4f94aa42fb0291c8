#pragma once
// Input that arrives while the window is busy (a tab change, a save that
// renders the page picture, both of which let the event loop run) is put to
// the workspace's one table of what input may do (RuleFor): accepted, dropped,
// or, for closing a window, done once the window is idle again. The gate
// watches the whole application only while the workspace is busy.

#include <QList>
#include <QObject>
#include <QPointer>

class QWidget;

namespace wobbin {

class TWorkspace;

class TInputGate : public QObject
{
    Q_OBJECT
public:
    // mainWindow closes through its own close handler (which asks the
    // workspace); toolbar and previewToggle are the controls with rules of their own.
    TInputGate(TWorkspace &workspace, QWidget *mainWindow, QWidget *toolbar, QWidget *previewToggle);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void busyChanged(bool busy);
    // The watched object is in the modal window open over the main window.
    bool InModalWindow(QObject *watched) const;
    static QWidget *WindowOf(QObject *watched);

    TWorkspace &m_workspace;
    QWidget *m_mainWindow;
    QWidget *m_toolbar;
    QWidget *m_previewToggle;
    QList<QPointer<QWidget>> m_closeLater;
};

} // namespace wobbin
