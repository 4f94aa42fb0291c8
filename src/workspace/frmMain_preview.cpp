// The page preview: the rendered page in the HTML viewer, the hand-edited
// HTML, the external browser preview and the hand-off of addresses to the
// user's browser (the logo links of the Send panel and links clicked in the
// preview).
#include "workspace/frmMain.h"

#include "app/Dialogs_gui.h"
#include "app/ExecFile.h"
#include "base/Paths.h"
#include "app/Settings.h"
#include "app/StringTable.h"
#include "page/Cp1252.h"
#include "page/ViewerText.h"
#include "viewer/HtmlViewer.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTabWidget>

namespace wobbin {

namespace {

const char kPreviewFile[] = "~tmpprvw.html";
const char kRedirectFile[] = "~qzxpreview.html";

} // namespace

QString RedirectPageText(const QString &address)
{
    // A double quote would end the attribute early and line breaks would
    // split the line: both are kept out of the address as the browser reads it.
    QString target = address;
    target.replace(QLatin1Char('"'), QStringLiteral("%22"));
    target.remove(QLatin1Char('\r'));
    target.remove(QLatin1Char('\n'));
    const QString lineBreak = QStringLiteral("\r\n");
    QString text;
    text += QStringLiteral("<html>") + lineBreak;
    text += QStringLiteral("<head><meta http-equiv=\"refresh\" content=\"0; URL=") + target
            + QStringLiteral("\">") + lineBreak;
    text += QStringLiteral("<title>Preview</title>") + lineBreak;
    text += QStringLiteral("</head>") + lineBreak;
    text += QStringLiteral("<BODY>") + lineBreak;
    text += QStringLiteral("</body>") + lineBreak;
    text += QStringLiteral("</html>") + lineBreak;
    text += lineBreak;
    return text;
}

QString YourPageAddress(const QString &serverUrl, const QString &pageFileName)
{
    const QString name = QFileInfo(ToNativePath(pageFileName)).fileName();
    QString address = serverUrl;
    if (!address.endsWith(QLatin1Char('/')))
        address += QLatin1Char('/');
    address += name;
    const int dot = address.lastIndexOf(QLatin1Char('.'));
    // Only a dot of the file name starts an extension, not one of the host.
    if (dot > address.lastIndexOf(QLatin1Char('/')))
        address.truncate(dot);
    address += QStringLiteral(".html");
    address.remove(QLatin1Char(' '));
    return address;
}

void TfrmMain::connectPreviewHandlers()
{
    connect(imgQuorPage, &TImage::clicked, this, &TfrmMain::imgQuorPageClick);
    connect(imgOrtexPage, &TImage::clicked, this, &TfrmMain::imgOrtexPageClick);
    connect(imgPartner2Page, &TImage::clicked, this, &TfrmMain::imgPartner2PageClick);
    connect(imgPartner3Page, &TImage::clicked, this, &TfrmMain::imgPartner3PageClick);
    connect(imgPartner4Page, &TImage::clicked, this, &TfrmMain::imgPartner4PageClick);
    connect(imgPartner5Page, &TImage::clicked, this, &TfrmMain::imgPartner5PageClick);
    connect(imgPartner6Page, &TImage::clicked, this, &TfrmMain::imgPartner6PageClick);
    connect(imgYourPage, &TImage::clicked, this, &TfrmMain::imgYourPageClick);
    // A link clicked in the preview opens in the browser; the preview stays.
    if (auto *viewer = qobject_cast<THtmlViewer *>(ctlHTML))
        connect(viewer, &THtmlViewer::linkClicked, this,
                [this](const QUrl &url) { ShowInBrowser(url.toString(QUrl::FullyEncoded)); });
}

void TfrmMain::loadViewerFromText(const QString &html)
{
    tmpMemo->setPlainText(ToViewerText(html));
    if (auto *viewer = qobject_cast<THtmlViewer *>(ctlHTML)) {
        viewer->SetBaseFolder(HTMLFolder);
        viewer->LoadFromText(tmpMemo->toPlainText());
    }
}

void TfrmMain::ShowRover()
{
    RenderingPreview = true;
    if (lstStyles->count() > 0 && lstStyles->currentRow() < 0)
        lstStyles->setCurrentRow(0);
    AddBodyDef();
    const QString previewFile = JoinPath(HTMLFolder, QLatin1String(kPreviewFile));
    if (SaveFromHTML(previewFile))
        if (auto *viewer = qobject_cast<THtmlViewer *>(ctlHTML))
            viewer->LoadFromFile(ToNativePath(previewFile));
    // The viewer shows the text with its DIVs made paragraphs; the file keeps them.
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

bool TfrmMain::ShowHTMLWarning()
{
    if (HTMLWarningPrompt)
        return HTMLWarningPrompt();
    // Until the warning dialog is part of the program the edit is accepted,
    // so that going back to Build still asks before it is lost.
    return true;
}

void TfrmMain::memHTMLChange()
{
    if (SuppressHTMLChange || UndoingHTMLChange || HTMLEdited)
        return;
    if (GeneralSwitchIsOff(QStringLiteral("ShowHTMLWarning")))
        return;
    if (ShowHTMLWarning()) {
        HTMLEdited = true;
        return;
    }
    // Answered No: the change just made is taken back.
    UndoingHTMLChange = true;
    memHTML->undo();
    UndoingHTMLChange = false;
}

void TfrmMain::pagePreviewChange(int)
{
    if (pagePreview->currentWidget() == tabWebView && !m_previewEnlarged)
        loadViewerFromText(HTMLText());
}

void TfrmMain::ExternalPreview1Click()
{
    QString target = JoinPath(HTMLFolder, QLatin1String(kPreviewFile));
    if (WorkspaceState == wsChoose || WorkspaceState == wsBuild)
        setHTMLText(BuildPageHTML(false));
    else if (!CurrentFileName.isEmpty())
        target = pageHTMLPath();
    // A page that could not be written is not previewed from an old file.
    if (!SaveFromHTML(target)) {
        ExecFileFail();
        return;
    }
    LastBrowserFile = ToNativePath(target);
    ExecFile->SetCommandLine(LastBrowserFile);
    ExecFile->SetParameters(QString());
    ExecFile->Wait = false;
    ExecFile->Execute();
}

void TfrmMain::ShowInBrowser(const QString &address)
{
    const QString path = QDir(QDir::tempPath()).filePath(QLatin1String(kRedirectFile));
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(ToCp1252(RedirectPageText(address))) < 0 || !f.commit()) {
        ExecFileFail();
        return;
    }
    LastBrowserFile = path;
    ExecFile->SetCommandLine(path);
    ExecFile->SetParameters(QString());
    ExecFile->Wait = false;
    ExecFile->Execute();
}

void TfrmMain::ExecFileFail()
{
    MsgBox(this, LoadStr(5079), QMessageBox::NoIcon, QMessageBox::Ok);
}

// ---------------------------------------------------------------- logo links

void TfrmMain::imgQuorPageClick() { ShowInBrowser(PartnerHomePage(0)); }
void TfrmMain::imgOrtexPageClick() { ShowInBrowser(PartnerHomePage(1)); }
void TfrmMain::imgPartner2PageClick() { ShowInBrowser(PartnerHomePage(2)); }
void TfrmMain::imgPartner3PageClick() { ShowInBrowser(PartnerHomePage(3)); }
void TfrmMain::imgPartner4PageClick() { ShowInBrowser(PartnerHomePage(4)); }
void TfrmMain::imgPartner5PageClick() { ShowInBrowser(PartnerHomePage(5)); }
void TfrmMain::imgPartner6PageClick() { ShowInBrowser(PartnerHomePage(6)); }

void TfrmMain::imgYourPageClick()
{
    if (!PageUploaded)
        return;
    // The address is the selected server's URL joined with the page's file
    // name (YourPageAddress); until the server list is part of the window
    // there is no server to take it from, so nothing opens.
}

} // namespace wobbin
