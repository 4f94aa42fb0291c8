#include "document/WorkspaceRules.h"

#include <QtGlobal>

namespace wobbin {

int ToolbarTabAt(int x)
{
    if (x < 0 || x > 480)
        return -1;
    return x / 140;
}

RedPillPlace RedPillFor(int tab)
{
    static const RedPillPlace places[] = {
        {"Toolbutt1", "Toolbutt1", 0, 146},
        {"Toolbutt2", "Toolbutt2", 103, 170},
        {"Toolbutt3", "QZ4Toolbutt3", 230, 170},
        {"Toolbutt4", "QZ4Toolbutt4", 354, 170},
        {"Toolbutt5", "QZ4Toolbutt5", 481, 140},
    };
    if (tab < 0 || tab > 4)
        tab = 0;
    return places[tab];
}

QString ToolbarBitmap(bool companionRunning)
{
    return companionRunning ? QStringLiteral("QZ4Toolbar") : QStringLiteral("Toolbar");
}

QString RedPillBitmap(int tab, bool companionRunning)
{
    const RedPillPlace place = RedPillFor(tab);
    return QLatin1String(companionRunning ? place.companionBitmap : place.bitmap);
}

PipStep PipWalkUp(int fromTab)
{
    static const PipStep steps[] = {{24, 13}, {156, 12}, {284, 12}, {408, 12}};
    return steps[qBound(0, fromTab, 3)];
}

PipStep PipWalkDown(int fromTab)
{
    static const PipStep steps[] = {{24, -13}, {156, -13}, {284, -12}, {408, -12}};
    return steps[qBound(0, fromTab, 3)];
}

QList<PipFrame> PipWalk(int fromTab, int toTab)
{
    QList<PipFrame> frames;
    const bool right = toTab > fromTab;
    for (int tab = fromTab; tab != toTab; tab += right ? 1 : -1) {
        const PipStep s = right ? PipWalkUp(tab) : PipWalkDown(tab);
        int left = s.startLeft;
        for (int frame = 0; frame < kPipFramesPerTab; ++frame) {
            left += s.step;
            frames.append({left, right});
        }
    }
    return frames;
}

StateEffects EffectsOf(int state)
{
    StateEffects e;
    switch (state) {
    case 0: // Choose
        e.Panel = StatePanel::Choose;
        e.ExternalPreview = false;
        e.MascotPicture = true;
        e.RefillPageList = true;
        break;
    case 1: // Build
        e.Panel = StatePanel::Build;
        break;
    case 2: // View
        e.Panel = StatePanel::View;
        e.PreviewToggle = true;
        e.HtmlOnWebTab = true;
        break;
    case 3: // Send
        e.Panel = StatePanel::Send;
        e.FlashPage = true;
        e.EnterSend = true;
        break;
    default: // Sent and any other number: the Send panel stays in front
        break;
    }
    // Typing never goes into a panel that is no longer shown.
    e.TakeFocus = e.Panel != StatePanel::Keep;
    return e;
}

bool ChangeDiscardsHandEdits(int from, int to)
{
    switch (to) {
    case wsChoose:
    case wsBuild:
        return true;
    case wsView:
        return from != wsSend;
    default:
        return false;
    }
}

InputRule RuleFor(Activity activity, InputKind input)
{
    switch (activity) {
    case Activity::Idle:
        return InputRule::Accept;
    case Activity::ChangingTab:
        // Another tab change waits for none: the click is dropped. The window
        // closes once the change is over.
        if (input == InputKind::ToolbarClick)
            return InputRule::Refuse;
        if (input == InputKind::Close)
            return InputRule::Defer;
        // The preview would be enlarged over the state being left.
        if (input == InputKind::PreviewToggle)
            return InputRule::Refuse;
        return InputRule::Accept;
    case Activity::SavingPicture:
        // No second command starts half-way through a save.
        return input == InputKind::Close ? InputRule::Defer : InputRule::Refuse;
    }
    return InputRule::Accept;
}

} // namespace wobbin
