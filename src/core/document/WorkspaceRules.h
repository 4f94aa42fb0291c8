#pragma once
// The rules of the main window's workspace states as data: the toolbar tab
// under a click, the tab highlight, the mascot's walk, what entering each
// state shows, and what input may do while the window is busy. TWorkspace
// (document/Workspace.h) follows them; the window only draws what they say.

#include <QList>
#include <QString>

namespace wobbin {

// Workspace states; the numbers are compared by other parts of the program.
enum WorkspaceStateNumber { wsChoose = 0, wsBuild = 1, wsView = 2, wsSend = 3, wsSent = 4 };

// ---- the toolbar: four tabs 140 pixels wide, then the logo area

// Tab under a left click at X; -1 when the click selects nothing (X > 480).
int ToolbarTabAt(int x);

// Highlight of a tab (tabs 0..4; anything else counts as tab 0).
struct RedPillPlace {
    const char *bitmap;
    const char *companionBitmap;
    int left;
    int width;
};
RedPillPlace RedPillFor(int tab);
constexpr int kToolbarHeight = 96;
QString ToolbarBitmap(bool companionRunning);
QString RedPillBitmap(int tab, bool companionRunning);

// ---- the mascot walking along the toolbar

// Start position and step of one tab's walk (10 frames).
struct PipStep {
    int startLeft;
    int step;
};
PipStep PipWalkUp(int fromTab);   // walking right, fromTab 0..3
PipStep PipWalkDown(int fromTab); // walking left, fromTab 1..3

constexpr int kPipFramesPerTab = 10;
constexpr int kPipTop = 12;
struct PipFrame {
    int left = 0;
    bool facingRight = true;
    bool operator==(const PipFrame &) const = default;
};
// Every frame of the walk from one tab to another, in order; none when equal.
QList<PipFrame> PipWalk(int fromTab, int toTab);

// ---- entering a state

enum class StatePanel { Keep, Choose, Build, View, Send };
struct StateEffects {
    StatePanel Panel = StatePanel::Keep; // the one panel shown; Keep leaves them
    bool ExternalPreview = true;  // the File menu's external preview enabled
    bool PreviewToggle = false;   // the preview-size toggle enabled ("Max_Up"), else "Max_Dis"
    bool FlashPage = false;       // the upload picture flashes
    bool MascotPicture = false;   // the mascot, not a page picture, in the preview box
    bool RefillPageList = false;  // the list of templates and pages read again
    bool EnterSend = false;       // web reset, upload picture shown, servers listed
    bool HtmlOnWebTab = false;    // the viewer back on the Web tab at its size
    bool TakeFocus = false;       // the keyboard focus moves into the panel shown
    bool operator==(const StateEffects &) const = default;
};
StateEffects EffectsOf(int state);

// Whether changing from one state to another throws the HTML text away and
// makes it again (so hand edits of it would be lost): going to Build or
// Choose, and to View from anything but Send.
bool ChangeDiscardsHandEdits(int from, int to);

// ---- input while the window is busy

enum class Activity {
    Idle,
    ChangingTab,   // a tab change (the mascot walks; the event loop runs)
    SavingPicture, // the page picture is rendered for a save
};
enum class InputKind {
    ToolbarClick,  // a click on the toolbar
    Close,         // the window asked to close
    PreviewToggle, // the preview-size toggle
    Pointer,       // any other mouse or wheel input
    Key,           // keys
};
enum class InputRule {
    Accept, // handled now
    Refuse, // dropped
    Defer,  // handled once the window is idle again (closing)
};
// The one table of what input may do while the window is busy.
InputRule RuleFor(Activity activity, InputKind input);

} // namespace wobbin
