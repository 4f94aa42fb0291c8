#include "document/Workspace.h"

#include "document/Document.h"
#include "document/Messages.h"

namespace wobbin {

TWorkspace::TWorkspace(TDocument &document, QObject *parent) : QObject(parent), m_doc(document) {}
TWorkspace::~TWorkspace() = default;

void TWorkspace::SetCompanion(bool running, CompanionLink link)
{
    m_companionRunning = running;
    m_companion = std::move(link);
    if (m_view)
        m_view->ShowToolbar(ToolbarBitmap(m_companionRunning));
}

// ---------------------------------------------------------------- activities

TWorkspace::TBusy::TBusy(TWorkspace &workspace, Activity activity) : m_workspace(workspace)
{
    m_workspace.beginActivity(activity);
}

TWorkspace::TBusy::~TBusy() { m_workspace.endActivity(); }

void TWorkspace::beginActivity(Activity activity)
{
    m_activities.append(activity);
    if (m_activities.size() == 1)
        Q_EMIT busyChanged(true);
}

void TWorkspace::endActivity()
{
    if (m_activities.isEmpty())
        return;
    m_activities.removeLast();
    if (!m_activities.isEmpty())
        return;
    Q_EMIT busyChanged(false);
    if (m_closePending) {
        m_closePending = false;
        Q_EMIT closeRequested();
    }
}

bool TWorkspace::RequestClose()
{
    if (Admit(InputKind::Close) != InputRule::Defer)
        return true;
    m_closePending = true;
    return false;
}

// ---------------------------------------------------------------- tab selection

bool TWorkspace::ToolbarClick(bool leftButton, int x)
{
    if (!leftButton || m_toolbarBusy || Admit(InputKind::ToolbarClick) != InputRule::Accept)
        return false;
    const int tab = ToolbarTabAt(x);
    return tab >= 0 && SelectTab(tab);
}

void TWorkspace::loadEntry(const PageListEntry &entry)
{
    m_templateLoading = true;
    OpenPage(entry.Path, entry.IsPage());
    m_templateLoading = false;
}

bool TWorkspace::SelectTab(int tab)
{
    PageListEntry entry;
    m_entryLoaded = false;
    if (m_state == wsChoose && !m_doc.Page().SuppressFieldEvents && m_view && m_view->SelectedEntry(entry)) {
        loadEntry(entry);
        m_entryLoaded = true;
    }

    bool proceed = true;
    if (tab == wsSend && !m_doc.SaveDocument())
        proceed = false;
    if (proceed && ChangeDiscardsHandEdits(m_state, tab) && !m_doc.MayLoseHandEdits())
        proceed = false;
    if (!proceed)
        return false;

    TBusy busy(*this, Activity::ChangingTab);
    m_toolbarBusy = true;
    if (m_view)
        m_view->HideHighlight();
    walkThePip(tab);
    if (m_view) {
        m_view->LockUpdates(true);
        m_view->ShowToolbar(ToolbarBitmap(m_companionRunning));
        const RedPillPlace place = RedPillFor(tab);
        m_view->PlaceHighlight(RedPillBitmap(tab, m_companionRunning), place.left, place.width);
    }
    m_highlightTab = tab;

    if (tab == wsSend && m_companionRunning && handToCompanion()) {
        // The hand-over went back to Choose through a tab change of its own.
        m_toolbarBusy = false;
        if (m_view)
            m_view->LockUpdates(false);
        return true;
    }

    if (m_view)
        m_view->ShowHighlight();
    ChangeState(tab);
    if (m_view)
        m_view->LockUpdates(false);
    m_toolbarBusy = false;
    return true;
}

bool TWorkspace::ChangeState(int state)
{
    if (m_view)
        m_view->LockUpdates(true);
    const int previous = m_state;
    switch (state) {
    case wsChoose:
        m_doc.DropHtmlText();
        break;
    case wsBuild: {
        PageListEntry entry;
        // Not a second time: the change loaded it already, or it is being
        // opened now (a double click on it).
        if (previous == wsChoose && !m_entryLoaded && !m_doc.Page().SuppressFieldEvents && m_view
            && m_view->SelectedEntry(entry))
            loadEntry(entry);
        if (m_doc.CurrentFileName().isEmpty())
            m_doc.EchoCaption(); // "Untitled"
        m_doc.DropHtmlText();
        break;
    }
    case wsView:
        if (previous == wsSend) {
            // Hand edits made before survive: the text is shown as it stands.
            m_doc.ShowAsItStands();
        } else {
            m_doc.RegenerateHtml();
            m_doc.ShowRover();
        }
        break;
    case wsSend:
        if (m_doc.HtmlIsBare()) {
            m_doc.RegenerateHtml();
            m_doc.ShowRover();
            // Sending writes the page again and says why when it cannot;
            // here it only brings the file up to date for the preview.
            if (!m_doc.CurrentFileName().isEmpty())
                static_cast<void>(m_doc.SaveFromHTML(m_doc.PageHTMLPath()));
        }
        break;
    default:
        break;
    }
    m_entryLoaded = false;
    m_doc.SetWorkspaceState(state);
    if (state == wsSend)
        m_doc.UpdateFileList();
    if (m_view)
        m_view->ApplyEffects(state, EffectsOf(state));
    m_doc.EchoTitle();
    m_state = state;
    if (m_view)
        m_view->LockUpdates(false);
    Q_EMIT stateChanged(state);
    return true;
}

void TWorkspace::walkThePip(int tab)
{
    if (tab == m_pipTab)
        return;
    if (m_view)
        m_view->PlaySound(QStringLiteral("wavGlide"));
    for (const PipFrame &frame : PipWalk(m_pipTab, tab)) {
        if (m_view)
            m_view->DrawPipFrame(frame);
        ++m_pipFramesDrawn;
        Q_EMIT pipFrameDrawn(frame.left);
        if (m_view)
            m_view->WaitPipTick();
    }
    m_pipTab = tab;
}

bool TWorkspace::handToCompanion()
{
    auto failed = [this] {
        if (m_view)
            m_view->ReportError(TMessages::Get().CompanionUnreachable);
        // The window closes after this tab change; the save question of the
        // closing may keep it open.
        m_closePending = true;
        return false;
    };
    if (!m_companion.IsValid())
        return failed();
    bool isOpen = false;
    if (!m_companion.IsOpenDoc(isOpen))
        return failed();
    if (!isOpen && !m_companion.OpenNewFile())
        return failed();
    if (!m_companion.IsOpenDoc(isOpen))
        return failed();
    if (!isOpen)
        return false; // nothing to paste into: an ordinary Send

    // The blocks alone: no head, no body tags, no logo.
    const QString html = m_doc.Page().BuildPageHTML(true, false);
    if (!m_companion.PutTextAtCursor(html))
        return failed();
    if (m_view) {
        m_view->Inform(TMessages::Get().PastedIntoCompanion);
        m_view->SetBusyCursor(true);
    }
    m_toolbarBusy = false;
    SelectTab(wsChoose);
    if (m_view)
        m_view->SetBusyCursor(false);
    return true;
}

// ---------------------------------------------------------------- commands

void TWorkspace::NewPage()
{
    if (!m_doc.SaveOrDiscardChanges() || !m_doc.MayLoseHandEdits())
        return;
    m_doc.New();
    SelectTab(wsBuild);
    if (m_view)
        m_view->ShowBlankPanel();
}

void TWorkspace::OpenPage(const QString &path, bool isPage)
{
    m_doc.Page().LoadingDocument = true;
    m_doc.Page().SuppressFieldEvents = true;
    if (m_doc.SaveOrDiscardChanges() && m_doc.MayLoseHandEdits()) {
        // The style of the page being replaced is only reset once it is saved.
        m_doc.SelectStyleEntry(0);
        if (isPage)
            m_doc.LoadSavedPage(path);
        else
            m_doc.LoadTemplate(path);
        if (!m_doc.Page().Blocks.IsEmpty() && m_view)
            m_view->ShowFirstBlock();
        if (!m_templateLoading)
            SelectTab(wsBuild);
    }
    m_doc.Page().LoadingDocument = false;
    m_doc.Page().SuppressFieldEvents = false;
}

void TWorkspace::OpenStartPage(const QString &path)
{
    if (path.isEmpty())
        return;
    m_doc.Page().LoadingDocument = true;
    m_doc.Page().SuppressFieldEvents = true;
    m_doc.LoadSavedPage(path);
    if (!m_doc.Page().Blocks.IsEmpty() && m_view)
        m_view->ShowFirstBlock();
    m_doc.Page().LoadingDocument = false;
    if (!m_templateLoading)
        SelectTab(wsBuild);
    m_doc.Page().SuppressFieldEvents = false;
}

} // namespace wobbin
