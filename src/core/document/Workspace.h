#pragma once
// The main window's workspace states as a state machine without widgets. Every
// state change goes through SelectTab, which runs the change's preconditions
// (loading the page-list entry selected in Choose, saving before Send,
// confirming the loss of hand edits before Build), walks the mascot to the
// tab, places the tab highlight, hands the page to the companion editor when
// one runs, and then ChangeState, which does what entering the state does to
// the document and tells the window what to show (StateEffects). The window
// follows through TWorkspaceView.

#include "document/PageList.h"
#include "document/WorkspaceRules.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

namespace wobbin {

class TDocument;

// What the workspace asks of the window.
class TWorkspaceView
{
public:
    virtual ~TWorkspaceView() = default;
    // The page list's selected entry; false when no entry is selected.
    virtual bool SelectedEntry(PageListEntry &entry) const = 0;
    virtual void PlaySound(const QString &name) = 0;
    // One frame of the mascot over the toolbar, then a wait of one tick
    // (about 25 ms) that keeps the window responsive.
    virtual void DrawPipFrame(const PipFrame &frame) = 0;
    virtual void WaitPipTick() = 0;
    // The window-update lock: true suspends drawing, false releases it.
    virtual void LockUpdates(bool on) = 0;
    // The toolbar drawn clean, and the tab highlight hidden, placed, shown.
    virtual void ShowToolbar(const QString &bitmap) = 0;
    virtual void HideHighlight() = 0;
    virtual void PlaceHighlight(const QString &bitmap, int left, int width) = 0;
    virtual void ShowHighlight() = 0;
    // Entering a state: the panels, timers and menu items the effects name.
    virtual void ApplyEffects(int state, const StateEffects &effects) = 0;
    // After loading a page: its first block shown and highlighted.
    virtual void ShowFirstBlock() = 0;
    // After New: the empty property panel.
    virtual void ShowBlankPanel() = 0;
    // Messages of the hand-over to the companion editor.
    virtual void Inform(const QString &text) = 0;
    virtual void ReportError(const QString &text) = 0;
    virtual void SetBusyCursor(bool on) = 0;
};

// The three calls the hand-over makes on the companion editor. Each returns
// false when the call failed (the editor did not answer or raised an error).
struct CompanionLink {
    std::function<bool(bool &isOpen)> IsOpenDoc;
    std::function<bool()> OpenNewFile;
    std::function<bool(const QString &html)> PutTextAtCursor;
    bool IsValid() const { return IsOpenDoc && OpenNewFile && PutTextAtCursor; }
};

class TWorkspace : public QObject
{
    Q_OBJECT
public:
    explicit TWorkspace(TDocument &document, QObject *parent = nullptr);
    ~TWorkspace() override;

    void SetView(TWorkspaceView *view) { m_view = view; }
    TDocument &Document() const { return m_doc; }

    // The state shown (0 Choose, 1 Build, 2 View, 3 Send, 4 Sent); 0 before the first change.
    int State() const { return m_state; }
    // The tab the highlight is on, and the tab the mascot stands on.
    int HighlightTab() const { return m_highlightTab; }
    int PipTab() const { return m_pipTab; }
    // Frames the mascot has walked so far.
    int PipFramesDrawn() const { return m_pipFramesDrawn; }
    // Set while a tab change is in progress.
    bool ToolbarBusy() const { return m_toolbarBusy; }
    // Set while a change loads the selected page-list entry itself.
    bool TemplateLoading() const { return m_templateLoading; }

    // The companion editor, as the detection at start finds it.
    void SetCompanion(bool running, CompanionLink link);
    bool CompanionRunning() const { return m_companionRunning; }

    // ---- input while busy: what the window is doing decides what input may do
    Activity CurrentActivity() const { return m_activities.isEmpty() ? Activity::Idle : m_activities.last(); }
    InputRule Admit(InputKind input) const { return RuleFor(CurrentActivity(), input); }
    // Marks an activity for the life of the scope (the window marks saving).
    class TBusy
    {
    public:
        TBusy(TWorkspace &workspace, Activity activity);
        ~TBusy();
        TBusy(const TBusy &) = delete;
        TBusy &operator=(const TBusy &) = delete;

    private:
        TWorkspace &m_workspace;
    };
    // The preview-size toggle acts only in View with the Web tab shown.
    bool PreviewToggleAllowed(bool webTabShown) const
    {
        return m_state == wsView && webTabShown && Admit(InputKind::PreviewToggle) == InputRule::Accept;
    }
    // The window asks to close: true when it may close now; otherwise it is
    // deferred and closeRequested follows once the window is idle again.
    bool RequestClose();

    // ---- tab selection
    // A toolbar click: the left button on a tab selects it, unless busy.
    bool ToolbarClick(bool leftButton, int x);
    // The one entry for changing state; false when a precondition refused it.
    bool SelectTab(int tab);
    // Switches the workspace (called by SelectTab); always true.
    bool ChangeState(int state);

    // ---- document commands that move between states
    // File > New: the save question, an empty page, Build with the blank panel.
    void NewPage();
    // Opens a page-list entry or a chosen file: the save question, the page or
    // template, its first block, then Build (unless a change is loading it).
    void OpenPage(const QString &path, bool isPage);
    // The page named on the command line, opened in Build.
    void OpenStartPage(const QString &path);

Q_SIGNALS:
    // After every completed ChangeState.
    void stateChanged(int state);
    // One frame of the mascot walk was drawn.
    void pipFrameDrawn(int left);
    // Busy begins (true) or ends (false).
    void busyChanged(bool busy);
    // The window should close now: a deferred close, or after the companion failed.
    void closeRequested();

private:
    void walkThePip(int tab);
    void loadEntry(const PageListEntry &entry);
    bool handToCompanion();
    void beginActivity(Activity activity);
    void endActivity();

    TDocument &m_doc;
    TWorkspaceView *m_view = nullptr;
    int m_state = 0;
    int m_highlightTab = 0;
    int m_pipTab = 0;
    int m_pipFramesDrawn = 0;
    bool m_toolbarBusy = false;
    bool m_templateLoading = false;
    bool m_companionRunning = false;
    bool m_closePending = false;
    bool m_entryLoaded = false; // this change has loaded the selected page-list entry
    CompanionLink m_companion;
    QList<Activity> m_activities;
};

} // namespace wobbin
