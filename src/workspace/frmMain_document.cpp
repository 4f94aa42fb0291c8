// The document commands: loading a page or template, New, Open, Save, Save As,
// Make Template, the save question, saving before upload, the page picture
// and the style list.
#include "workspace/frmMain.h"

#include "app/Dialogs_gui.h"
#include "app/ExecFile.h"
#include "base/Paths.h"
#include "app/Settings.h"
#include "app/Skin_gui.h"
#include "app/StringTable.h"
#include "page/Cp1252.h"
#include "page/PageDocument.h"
#include "page/PagePicture_gfx.h"
#include "page/PageHtml.h"
#include "page/ResourceList.h"
#include "page/ViewerText.h"
#include "styles/StyleLibrary.h"
#include "viewer/HtmlViewer.h"
#include "workspace/BuildWorkspace.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSaveFile>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>

namespace wobbin {

namespace {

QString PageFilter() { return QStringLiteral("Wobbin Express Files (*.qze)|*.qze"); }

QString NativeFolder(const QString &appDir, const QString &name)
{
    return FindPathNoCase(ToNativePath(JoinPath(appDir, name)));
}

// The folder pages or templates are saved into, made when it is missing (in
// the spelling the page list looks for), so that a save dialog opens there.
QString SaveIntoFolder(const QString &appDir, const QString &name)
{
    const QString folder = NativeFolder(appDir, name);
    if (!QDir(folder).exists()) {
        const QString made = ToNativePath(JoinPath(appDir, name.toLower()));
        QDir().mkpath(made);
        return made;
    }
    return folder;
}

} // namespace

void TfrmMain::SetCaption()
{
    const QString name = CurrentFileName.isEmpty() ? Untitled : QFileInfo(ToNativePath(CurrentFileName)).fileName();
    setWindowTitle(QApplication::applicationName() + QStringLiteral(" - ") + name);
}

void TfrmMain::DoTemplate(const QString &path, bool isPage)
{
    LoadingDocument = true;
    SuppressFieldEvents = true;
    const auto answer = AskForSave();
    // Yes followed by a cancelled (or failed) save keeps the work on screen.
    bool proceed = answer != QMessageBox::Cancel;
    if (answer == QMessageBox::Yes && !FileSaveAs())
        proceed = false;
    if (proceed) {
        // The style of the page being replaced is only reset once it is saved.
        if (lstStyles->count() > 0)
            lstStyles->setCurrentRow(0);
        if (isPage)
            LoadSavedPage(path);
        else
            LoadTemplate(path);
        if (!m_doc->Blocks.IsEmpty()) {
            m_build->ShowBlock(0);
            m_build->HighLightBlock(0);
        }
        if (!TemplateLoading)
            ShowRedPill(wsBuild);
    }
    LoadingDocument = false;
    SuppressFieldEvents = false;
}

namespace {

// Reads the page into the document and the window; returns how the read went.
PageReadResult ReadInto(TfrmMain *w, TPageDocument &doc, TBuildWorkspace *build, const QString &path)
{
    const PageReadResult r = ReadPageFile(path, doc);
    // The reader laid out the document's tile slots; the column mirrors them.
    build->SyncTiles();
    if (r.HasStyleName)
        w->SelectStyleByName(r.StyleName);
    w->TitleEcho = true;
    w->txtTitle->setText(doc.PageTitle);
    w->TitleEcho = false;
    return r;
}

// A page that could not be read completely opens untitled, so that nothing is
// written over the file unless the user saves it under a name.
QString ReadProblemText(const QString &path, const PageReadResult &r)
{
    return QStringLiteral("The file \"%1\" could not be read completely: %2. It has been opened as an "
                          "untitled page; the file itself is left as it is.")
        .arg(QFileInfo(path).fileName(), DescribeReadResult(r));
}

} // namespace

// An empty, untitled, unchanged page with the logo footer on.
void TfrmMain::emptyDocument()
{
    chkLogo->setChecked(true);
    m_doc->FreeAllBlocks();
    m_build->FreeAllBlocksView();
    CurrentFileName.clear();
    SetCaption();
    DocumentChanged = false;
    LastReadProblem.clear();
}

void TfrmMain::LoadSavedPage(const QString &path)
{
    emptyDocument();
    const QString native = FindPathNoCase(ToNativePath(path));
    if (QFileInfo::exists(native)) {
        const PageReadResult r = ReadInto(this, *m_doc, m_build, native);
        if (r.IsOk()) {
            CurrentFileName = QDir::toNativeSeparators(QFileInfo(native).absoluteFilePath());
            SetCaption();
        } else {
            LastReadProblem = ReadProblemText(native, r);
            MsgBox(this, LastReadProblem, QMessageBox::Warning, QMessageBox::Ok);
        }
        DocumentChanged = false;
    }
}

void TfrmMain::LoadTemplate(const QString &path)
{
    emptyDocument();
    const QString native = FindPathNoCase(ToNativePath(path));
    if (QFileInfo::exists(native)) {
        const PageReadResult r = ReadInto(this, *m_doc, m_build, native);
        if (!r.IsOk()) {
            LastReadProblem = ReadProblemText(native, r);
            MsgBox(this, LastReadProblem, QMessageBox::Warning, QMessageBox::Ok);
        }
        DocumentChanged = false;
    }
}

QMessageBox::StandardButton TfrmMain::AskForSave()
{
    if (!DocumentChanged)
        return QMessageBox::No;
    return MsgBox(this, Msg103, QMessageBox::Question,
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
}

namespace {

// While the page picture is taken the event loop runs (the viewer renders
// asynchronously); the user's clicks and keys wait until the save is done, so
// that no second command starts half-way through this one.
class TInputHold : public QObject
{
public:
    TInputHold() { qApp->installEventFilter(this); }
    ~TInputHold() override
    {
        qApp->removeEventFilter(this);
        // A window asked to close meanwhile closes once the save is done.
        for (const QPointer<QWidget> &w : m_closeLater)
            if (w)
                QTimer::singleShot(0, w, &QWidget::close);
    }
    static bool Active() { return s_depth > 0; }
    struct Scope {
        Scope() { ++s_depth; }
        ~Scope() { --s_depth; }
    };

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::Close:
            // Seen first by the platform window, or by the widget itself.
            if (QWidget *w = WindowWidget(watched); w && !m_closeLater.contains(w))
                m_closeLater << w;
            event->ignore();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
            event->ignore();
            return true;
        default:
            return false;
        }
    }

private:
    static inline int s_depth = 0;
    static QWidget *WindowWidget(QObject *watched)
    {
        if (auto *w = qobject_cast<QWidget *>(watched))
            return w->isWindow() ? w : nullptr;
        if (auto *window = qobject_cast<QWindow *>(watched))
            for (QWidget *w : QApplication::topLevelWidgets())
                if (w->windowHandle() == window)
                    return w;
        return nullptr;
    }

    QList<QPointer<QWidget>> m_closeLater;
};

} // namespace

QImage TfrmMain::CapturePagePicture()
{
    auto *viewer = qobject_cast<THtmlViewer *>(ctlHTML);
    if (!viewer || !pnlMain || TInputHold::Active())
        return QImage();
    TInputHold::Scope scope;
    TInputHold hold;
    if (memHTML->toPlainText().isEmpty()) {
        const bool was = SuppressHTMLChange;
        SuppressHTMLChange = true;
        setHTMLText(BuildPageHTML(false));
        ShowRover();
        SuppressHTMLChange = was;
    }

    QWidget *oldParent = viewer->parentWidget();
    const QRect oldGeometry = viewer->geometry();
    const bool wasVisible = viewer->isVisible();
    const bool hadBorder = viewer->HasBorder();
    const bool hadScrollBars = viewer->ScrollBars();

    // The page drawn at the size of the workspace, without frame or scroll bars.
    // The workspace area is only up while the enlarged preview shows; it is
    // brought up for the capture and put back afterwards.
    const bool mainWasVisible = pnlMain->isVisible();
    pnlMain->show();
    pnlMain->raise();
    viewer->setParent(pnlMain);
    viewer->SetBorder(false);
    viewer->SetScrollBars(false);
    viewer->setGeometry(4, 0, pnlMain->width() - 4, pnlMain->height() - 10);
    viewer->show();
    viewer->raise();
    // Drawn afresh at this size, so the grab waits for this very rendering.
    loadViewerFromText(HTMLText());
    const QImage full = viewer->GrabClientArea();
    QImage picture;
    if (!full.isNull())
        picture = full.scaled(kPagePictureWidth, kPagePictureHeight, Qt::IgnoreAspectRatio,
                              Qt::SmoothTransformation);

    viewer->hide();
    if (!mainWasVisible)
        pnlMain->hide();
    viewer->setParent(oldParent);
    viewer->SetBorder(hadBorder);
    viewer->SetScrollBars(hadScrollBars);
    if (oldParent == tabWebView) {
        viewer->setGeometry(0, 0, 609, 181);
        SetHTMLView();
        viewer->setVisible(wasVisible);
    } else {
        viewer->setGeometry(oldGeometry);
        viewer->setVisible(wasVisible);
    }
    return picture;
}

void TfrmMain::SaveBuilder(const QString &path)
{
    const QString styleName = lstStyles->currentItem() ? lstStyles->currentItem()->text() : QString();
    const QImage picture = CapturePagePicture();
    if (!picture.isNull())
        imgPreView->setPixmap(QPixmap::fromImage(picture));
    QString error;
    if (!WritePageFile(ToNativePath(path), *m_doc, styleName, picture, &error)) {
        MsgBox(this, error, QMessageBox::Critical, QMessageBox::Ok);
        return;
    }
    DocumentChanged = false;
    CurrentFileName = path;
    SetCaption();
    if (WorkspaceState == wsSend)
        UpdateFileList();
}

void TfrmMain::ShowSaveInfo()
{
    if (GeneralSwitchIsOff(QStringLiteral("SaveInfo")))
        return;
    // The Save Information dialog opens here, modally, once it is part of the program.
}

namespace {

// The folder a page is saved into when the current file gives none.
QString SaveFolderFor(const QString &appDir, const QString &currentFileName)
{
    if (!currentFileName.isEmpty()) {
        const QString dir = QFileInfo(FindPathNoCase(ToNativePath(currentFileName))).absolutePath();
        if (QDir(dir).exists())
            return dir;
    }
    return SaveIntoFolder(appDir, QStringLiteral("save"));
}

} // namespace

void TfrmMain::dropBuiltText()
{
    // Outside the View and Send states the HTML editor holds no text; a save
    // there fills it for the picture and the HTML file only.
    if (WorkspaceState == wsChoose || WorkspaceState == wsBuild)
        setHTMLText(QString());
}

bool TfrmMain::FileSaveAs()
{
    ShowSaveInfo();
    const FileDialogResult r = SaveFileDialog(this, LoadStr(5065).remove(QLatin1Char('&')),
                                              SaveFolderFor(AppDir, CurrentFileName), CurrentFileName,
                                              PageFilter(), QStringLiteral("qze"));
    if (!r.Chosen)
        return false;
    SaveBuilder(r.FileName);
    if (CurrentFileName != r.FileName || DocumentChanged) {
        dropBuiltText();
        return false; // the page file could not be written
    }
    SaveFromHTML(pageHTMLPath());
    dropBuiltText();
    UpdateFileList();
    return true;
}

bool TfrmMain::SaveChanges()
{
    const FileDialogResult r = SaveFileDialog(this, LoadStr(5064).remove(QLatin1Char('&')),
                                              SaveIntoFolder(AppDir, QStringLiteral("save")),
                                              CurrentFileName, PageFilter(), QStringLiteral("qze"));
    if (!r.Chosen)
        return false;
    SaveBuilder(r.FileName);
    return CurrentFileName == r.FileName && !DocumentChanged;
}

bool TfrmMain::SaveDocument()
{
    bool result;
    if (CurrentFileName.isEmpty()) {
        MsgBox(this, Msg100, QMessageBox::Warning, QMessageBox::Ok);
        result = FileSaveAs();
    } else if (!DocumentChanged) {
        result = true;
    } else {
        const auto answer = MsgBox(this, Msg101, QMessageBox::Warning,
                                   QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
        result = answer == QMessageBox::Ok && SaveChanges();
    }
    if (result && !HTMLText().isEmpty())
        SaveFromHTML(pageHTMLPath());
    dropBuiltText();
    return result;
}

bool TfrmMain::SaveFromHTML(const QString &path)
{
    if (path.isEmpty())
        return false;
    QSaveFile f(ToNativePath(path));
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(ToCp1252(HTMLText()));
    return f.commit();
}

void TfrmMain::UpdateFileList()
{
    lstFiles->clear();
    UploadFileNames.clear();
    UploadImages = LocaliseImages(CurrentFileName, HTMLFolder, UploadImages);
    for (const ResourceDetail &d : UploadImages)
        UploadFileNames << d.RefName;
    if (!CurrentFileName.isEmpty())
        UploadFileNames << QFileInfo(ToNativePath(CurrentFileName)).completeBaseName() + QStringLiteral(".html");
    lstFiles->addItems(UploadFileNames);
}

void TfrmMain::FileNew()
{
    SuppressFieldEvents = true;
    emptyDocument();
    if (lstStyles->count() > 0)
        lstStyles->setCurrentRow(0);
    SuppressFieldEvents = false;
    ShowRedPill(wsBuild);
    m_build->ShowPanel(-1);
}

bool TfrmMain::FormClose()
{
    const auto answer = AskForSave();
    if (answer == QMessageBox::Cancel)
        return false;
    // Yes and then a cancelled Save As: the user wants the work kept.
    if (answer == QMessageBox::Yes && !FileSaveAs())
        return false;
    const QString folder = FindPathNoCase(ToNativePath(HTMLFolder));
    if (QDir(folder).exists())
        QFile::remove(QDir(folder).filePath(QStringLiteral("~tmpprvw.html")));
    return true;
}

// ---------------------------------------------------------------- styles

void TfrmMain::ShowStyles()
{
    lstStyles->clear();
    lstStyles->addItems(StyleListEntries(Styles, LoadStr(31)));
}

void TfrmMain::SelectStyleByName(const QString &name)
{
    QStringList entries;
    for (int i = 0; i < lstStyles->count(); ++i)
        entries << lstStyles->item(i)->text();
    const int entry = FindStyleEntry(entries, name);
    if (entry >= 0)
        lstStyles->setCurrentRow(entry);
}

void TfrmMain::btnEditStyleClick()
{
    if (lstStyles->count() > 0 && lstStyles->currentRow() < 0)
        lstStyles->setCurrentRow(0);
    const QString remembered = lstStyles->currentItem() ? lstStyles->currentItem()->text() : QString();
    // The style wizard runs here, modally; the library is read again afterwards.
    Styles = LoadStyles(ToNativePath(JoinPath(AppDir, QStringLiteral("Styles.data"))));
    const bool was = SuppressFieldEvents;
    SuppressFieldEvents = true;
    ShowStyles();
    lstStyles->setCurrentRow(0);
    SelectStyleByName(remembered);
    SuppressFieldEvents = was;
    AddBodyDef();
}

QString TfrmMain::BuildPageHTML(bool bodyOnly)
{
    return m_doc->BuildPageHTML(bodyOnly, chkLogo->isChecked());
}

QString TfrmMain::HTMLText() const
{
    QString text = memHTML->toPlainText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void TfrmMain::AddBodyDef()
{
    const int entry = lstStyles->currentRow();
    if (entry < 0)
        return;
    const QString tag = BodyTagForEntry(Styles, entry);
    if (!tag.isEmpty()) {
        const QString text = HTMLText();
        const QString withStyle = ReplaceBodyTag(text, tag);
        if (withStyle != text)
            setHTMLText(withStyle);
    }
    if (!RenderingPreview)
        ShowRover();
}

void TfrmMain::lstStylesClick()
{
    if (SuppressFieldEvents)
        return;
    lstStyles->setEnabled(false);
    AddBodyDef();
    DocumentChanged = true;
    lstStyles->setEnabled(true);
    lstStyles->setFocus();
}

void TfrmMain::txtTitleChange()
{
    if (SuppressFieldEvents || TitleEcho)
        return;
    SuppressHTMLChange = true;
    PageTitle = txtTitle->text();
    setHTMLText(ReplaceTitle(HTMLText(), PageTitle));
    SuppressHTMLChange = false;
    DocumentChanged = true;
}

void TfrmMain::mnuFileNewClick()
{
    const auto answer = AskForSave();
    if (answer == QMessageBox::Cancel)
        return;
    if (answer == QMessageBox::Yes && !FileSaveAs())
        return;
    FileNew();
}

void TfrmMain::menFileOpenClick()
{
    const FileDialogResult r = OpenFileDialog(
        this, LoadStr(5063).remove(QLatin1Char('&')), NativeFolder(AppDir, QStringLiteral("save")), QString(),
        QStringLiteral("Wobbin Express Files (*.qze)|*.qze|Wobbin Express Template (*.qzt)|*.qzt"));
    // The filter chosen decides the kind, not the file's extension.
    if (r.Chosen)
        DoTemplate(r.FileName, r.FilterIndex == 1);
}

void TfrmMain::menFileSaveClick()
{
    if (!CurrentFileName.isEmpty() && QFileInfo::exists(FindPathNoCase(ToNativePath(CurrentFileName)))) {
        SaveBuilder(CurrentFileName);
        dropBuiltText();
        return;
    }
    ShowSaveInfo();
    const FileDialogResult r = SaveFileDialog(this, LoadStr(5064).remove(QLatin1Char('&')),
                                              SaveFolderFor(AppDir, CurrentFileName), QString(),
                                              PageFilter(), QStringLiteral("qze"));
    if (r.Chosen)
        SaveBuilder(r.FileName);
    dropBuiltText();
}

void TfrmMain::menFileSaveAsClick()
{
    FileSaveAs();
    GetTemplates();
}

void TfrmMain::menFileMakeClick()
{
    const FileDialogResult r = SaveFileDialog(
        this, LoadStr(5066).remove(QLatin1Char('&')), SaveIntoFolder(AppDir, QStringLiteral("Template")), QString(),
        QStringLiteral("Wobbin Express Template (*.qzt)|*.qzt"), QStringLiteral("qzt"));
    if (r.Chosen)
        SaveBuilder(r.FileName);
    dropBuiltText();
    GetTemplates();
}

void TfrmMain::menHelpAboutClick()
{
    MsgBox(this, LoadStr(5000) + QStringLiteral(" ") + QStringLiteral(WOBBIN_VERSION_TEXT),
           QMessageBox::Information, QMessageBox::Ok);
}

} // namespace wobbin
