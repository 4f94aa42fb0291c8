// The page preview: the rendered page in the HTML viewer, the hand-edited
// HTML, the external browser preview and the hand-off of addresses to the
// user's browser.
#include "workspace/frmMain.h"

#include "app/Dialogs_gui.h"
#include "app/ExecFile.h"
#include "app/Paths.h"
#include "app/Settings.h"
#include "app/StringTable.h"
#include "page/ViewerText.h"
#include "viewer/HtmlViewer.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>

namespace wobbin {

void TfrmMain::loadViewerFromText(const QString &html)
{
    tmpMemo->setPlainText(ToViewerText(html));
    if (auto *viewer = qobject_cast<THtmlViewer *>(ctlHTML))
        viewer->LoadFromText(tmpMemo->toPlainText());
}

void TfrmMain::ShowRover()
{
    RenderingPreview = true;
    if (lstStyles->count() > 0 && lstStyles->currentRow() < 0)
        lstStyles->setCurrentRow(0);
    AddBodyDef();
    SaveFromHTML(JoinPath(HTMLFolder, QStringLiteral("~tmpprvw.html")));
    loadViewerFromText(HTMLText());
    HTMLEdited = false;
    RenderingPreview = false;
}

void TfrmMain::SetHTMLView()
{
    pagePreview->setCurrentWidget(tabWebView);
    ctlHTML->setParent(tabWebView);
    ctlHTML->setGeometry(0, 0, 609, 181);
    ctlHTML->show();
    ctlHTML->raise();
}

void TfrmMain::memHTMLChange()
{
    if (SuppressHTMLChange || UndoingHTMLChange || HTMLEdited)
        return;
    // The warning dialog before the first hand edit is shown by the preview
    // code; without it, the first edit simply marks the text as edited.
    if (ReadSetting(QStringLiteral("General"), QStringLiteral("ShowHTMLWarning")) == QLatin1String("No"))
        return;
    HTMLEdited = true;
}

void TfrmMain::pagePreviewChange(int)
{
    if (pagePreview->currentWidget() == tabWebView && !m_previewEnlarged)
        loadViewerFromText(HTMLText());
}

void TfrmMain::ExternalPreview1Click()
{
    QString target = JoinPath(HTMLFolder, QStringLiteral("~tmpprvw.html"));
    if (WorkspaceState == wsChoose || WorkspaceState == wsBuild)
        setHTMLText(BuildPageHTML(false));
    else if (!CurrentFileName.isEmpty())
        target = pageHTMLPath();
    SaveFromHTML(target);
    setProperty("ExternalPreviewFile", target);
    ExecFile->SetCommandLine(ToNativePath(target));
    ExecFile->SetParameters(QString());
    ExecFile->Wait = false;
    ExecFile->Execute();
}

void TfrmMain::ExecFileFail()
{
    MsgBox(this, LoadStr(5079), QMessageBox::NoIcon, QMessageBox::Ok);
}

} // namespace wobbin
