// The document commands the workspace states rely on: the page list, loading
// a page or template, saving before upload, the HTML text and its preview.
#include "workspace/frmMain.h"

#include "app/Dialogs_gui.h"
#include "app/ExecFile.h"
#include "app/Paths.h"
#include "app/Settings.h"
#include "app/Skin_gui.h"
#include "app/StringTable.h"
#include "page/Cp1252.h"
#include "page/PageDocument.h"
#include "page/PageFile.h"
#include "page/PageHtml.h"
#include "page/ResourceList.h"
#include "page/ViewerText.h"
#include "styles/StyleLibrary.h"
#include "viewer/HtmlViewer.h"
#include "workspace/BuildWorkspace.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QTabWidget>

namespace wobbin {

namespace {

QString PageFilter() { return QStringLiteral("Wobbin Express Files (*.qze)|*.qze"); }

QString NativeFolder(const QString &appDir, const QString &name)
{
    return FindPathNoCase(ToNativePath(JoinPath(appDir, name)));
}

} // namespace

void TfrmMain::SetCaption()
{
    const QString name = CurrentFileName.isEmpty() ? Untitled : QFileInfo(ToNativePath(CurrentFileName)).fileName();
    setWindowTitle(QApplication::applicationName() + QStringLiteral(" - ") + name);
}

void TfrmMain::GetTemplates()
{
    lvTemplates->clear();
    const struct {
        const char *folder;
        const char *mask;
        const char *icon;
    } passes[] = {{"template", "*.qzt", "Icon_Template"}, {"save", "*.qze", "Icon_Page"}};
    for (int pass = 0; pass < 2; ++pass) {
        const QDir dir(NativeFolder(AppDir, QLatin1String(passes[pass].folder)));
        if (!dir.exists())
            continue;
        const QPixmap icon = LoadBitmap(QLatin1String(passes[pass].icon));
        const QFileInfoList files = dir.entryInfoList({QLatin1String(passes[pass].mask)},
                                                      QDir::Files | QDir::Hidden | QDir::System,
                                                      QDir::Unsorted);
        for (const QFileInfo &fi : files) {
            auto *item = new QListWidgetItem(QIcon(icon), fi.completeBaseName().isEmpty() ? fi.fileName() : fi.fileName().left(fi.fileName().lastIndexOf(QLatin1Char('.'))));
            item->setData(Qt::UserRole, QDir::toNativeSeparators(fi.absoluteFilePath()));
            item->setData(Qt::UserRole + 1, pass);
            lvTemplates->addItem(item);
        }
    }
    if (lvTemplates->count() > 0)
        lvTemplates->scrollToItem(lvTemplates->item(0));
    lvTemplates->setCurrentItem(nullptr);
    lvTemplates->clearSelection();
}

void TfrmMain::DoTemplate(const QString &path, bool isPage)
{
    LoadingDocument = true;
    SuppressFieldEvents = true;
    if (lstStyles->count() > 0)
        lstStyles->setCurrentRow(0);
    const auto answer = AskForSave();
    if (answer == QMessageBox::Yes)
        FileSaveAs();
    if (answer != QMessageBox::Cancel) {
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

static void ReadInto(TfrmMain *w, TPageDocument &doc, TBuildWorkspace *build, const QString &path)
{
    const PageReadResult r = ReadPageFile(path, doc);
    (void)r;
    // The reader laid out the document's tile slots; the column mirrors them.
    build->SyncTiles();
    if (r.HasStyleName) {
        const QList<QListWidgetItem *> found = w->lstStyles->findItems(r.StyleName, Qt::MatchFixedString);
        if (!found.isEmpty())
            w->lstStyles->setCurrentItem(found.first());
    }
    w->TitleEcho = true;
    w->txtTitle->setText(doc.PageTitle);
    w->TitleEcho = false;
}

void TfrmMain::LoadSavedPage(const QString &path)
{
    chkLogo->setChecked(true);
    m_doc->FreeAllBlocks();
    m_build->FreeAllBlocksView();
    CurrentFileName.clear();
    SetCaption();
    DocumentChanged = false;
    const QString native = FindPathNoCase(ToNativePath(path));
    if (QFileInfo::exists(native)) {
        ReadInto(this, *m_doc, m_build, native);
        CurrentFileName = QDir::toNativeSeparators(QFileInfo(native).absoluteFilePath());
        SetCaption();
        DocumentChanged = false;
    }
}

void TfrmMain::LoadTemplate(const QString &path)
{
    m_doc->FreeAllBlocks();
    m_build->FreeAllBlocksView();
    chkLogo->setChecked(true);
    CurrentFileName.clear();
    SetCaption();
    DocumentChanged = false;
    const QString native = FindPathNoCase(ToNativePath(path));
    if (QFileInfo::exists(native)) {
        ReadInto(this, *m_doc, m_build, native);
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

void TfrmMain::SaveBuilder(const QString &path)
{
    const QString styleName = lstStyles->currentRow() > 0 ? lstStyles->currentItem()->text() : QString();
    QString error;
    if (!WritePageFile(ToNativePath(path), *m_doc, styleName, QImage(), &error)) {
        MsgBox(this, error, QMessageBox::Critical, QMessageBox::Ok);
        return;
    }
    DocumentChanged = false;
    CurrentFileName = path;
    SetCaption();
    if (WorkspaceState == wsSend)
        UpdateFileList();
}

bool TfrmMain::FileSaveAs()
{
    QString dir = QFileInfo(ToNativePath(CurrentFileName)).absolutePath();
    if (CurrentFileName.isEmpty() || !QDir(dir).exists())
        dir = NativeFolder(AppDir, QStringLiteral("save"));
    const FileDialogResult r = SaveFileDialog(this, LoadStr(5065).remove(QLatin1Char('&')), dir,
                                              CurrentFileName, PageFilter(), QStringLiteral("qze"));
    if (!r.Chosen)
        return false;
    SaveBuilder(r.FileName);
    if (CurrentFileName != r.FileName)
        return false; // the page file could not be written
    SaveFromHTML(pageHTMLPath());
    UpdateFileList();
    return true;
}

bool TfrmMain::SaveChanges()
{
    const FileDialogResult r = SaveFileDialog(this, LoadStr(5064).remove(QLatin1Char('&')),
                                              NativeFolder(AppDir, QStringLiteral("save")),
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
    if (result)
        SaveFromHTML(pageHTMLPath());
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
    chkLogo->setChecked(true);
    m_doc->FreeAllBlocks();
    m_build->FreeAllBlocksView();
    CurrentFileName.clear();
    SetCaption();
    DocumentChanged = false;
    if (lstStyles->count() > 0)
        lstStyles->setCurrentRow(0);
    SuppressFieldEvents = false;
    ShowRedPill(wsBuild);
    m_build->ShowPanel(-1);
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

void TfrmMain::ShowPreview(const QString &path)
{
    const QString picture = ReadPreviewPicture(FindPathNoCase(ToNativePath(path)));
    if (picture.isEmpty())
        return;
    const QPixmap pm(picture);
    if (pm.isNull())
        return;
    imgPreView->setPixmap(pm);
    imgPreView->show();
    imgFrontPip->hide();
}

// ---------------------------------------------------------------- handlers

void TfrmMain::lvTemplatesClick()
{
    QListWidgetItem *item = lvTemplates->currentItem();
    if (item && item->isSelected())
        ShowPreview(item->data(Qt::UserRole).toString());
}

void TfrmMain::lvTemplatesDblClick()
{
    QListWidgetItem *item = lvTemplates->currentItem();
    if (item && item->isSelected())
        DoTemplate(item->data(Qt::UserRole).toString(), item->data(Qt::UserRole + 1).toInt() == 1);
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
    if (answer == QMessageBox::Yes)
        FileSaveAs();
    if (answer != QMessageBox::Cancel)
        FileNew();
}

void TfrmMain::menFileOpenClick()
{
    const FileDialogResult r = OpenFileDialog(
        this, LoadStr(5063).remove(QLatin1Char('&')), NativeFolder(AppDir, QStringLiteral("save")), QString(),
        QStringLiteral("Wobbin Express Files (*.qze)|*.qze|Wobbin Express Template (*.qzt)|*.qzt"));
    if (r.Chosen)
        DoTemplate(r.FileName, r.FilterIndex == 1);
}

void TfrmMain::menFileSaveClick()
{
    if (!CurrentFileName.isEmpty() && QFileInfo::exists(ToNativePath(CurrentFileName))) {
        SaveBuilder(CurrentFileName);
        return;
    }
    const FileDialogResult r = SaveFileDialog(this, LoadStr(5064).remove(QLatin1Char('&')),
                                              NativeFolder(AppDir, QStringLiteral("save")), QString(),
                                              PageFilter(), QStringLiteral("qze"));
    if (r.Chosen)
        SaveBuilder(r.FileName);
}

void TfrmMain::menFileSaveAsClick()
{
    FileSaveAs();
    GetTemplates();
}

void TfrmMain::menHelpAboutClick()
{
    MsgBox(this, LoadStr(5000) + QStringLiteral(" ") + QStringLiteral(WOBBIN_VERSION_TEXT),
           QMessageBox::Information, QMessageBox::Ok);
}

} // namespace wobbin
