#include "document/Document.h"

#include "settings/PageWritingSetting.h"
#include "settings/Settings.h"
#include "settings/StartupCheck.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "base/Paths.h"
#include "base/SafeFile.h"
#include "document/Messages.h"
#include "document/WorkspaceRules.h"
#include "page/Cp1252.h"
#include "page/PageFile.h"
#include "page/PageHtml.h"
#include "page/PageText.h"
#include "page/PhoneHtml.h"
#include "page/ViewerText.h"
#include "styles/StyleSheet.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace wobbin {

namespace {

const char kPreviewFile[] = "~tmpprvw.html";

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

QString CrLf(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

// A page that could not be read completely opens untitled, so that nothing is
// written over the file unless the user saves it under a name.
QString ReadProblemText(const QString &path, const PageReadResult &r)
{
    return QStringLiteral("The file \"%1\" could not be read completely: %2. It has been opened as an "
                          "untitled page; the file itself is left as it is.")
        .arg(QFileInfo(path).fileName(), DescribeReadResult(r));
}

// Sets a flag for the life of the scope and puts back what it was.
class TFlagScope
{
public:
    TFlagScope(bool &flag, bool on) : m_flag(flag), m_was(flag) { m_flag = on; }
    ~TFlagScope() { m_flag = m_was; }

private:
    bool &m_flag;
    bool m_was;
};

} // namespace

TDocument::TDocument(QObject *parent) : QObject(parent)
{
    m_history.Reset(Snapshot());
    markSaved();
}
TDocument::~TDocument() = default;

void TDocument::SetAppDir(const QString &appDir)
{
    m_appDir = appDir;
    m_htmlFolder = JoinPath(appDir, QStringLiteral("HTMLFiles"));
}

// ---------------------------------------------------------------- file and caption

void TDocument::SetCurrentFileName(const QString &path)
{
    m_currentFileName = path;
    Q_EMIT captionChanged(Caption());
}

QString TDocument::Caption() const
{
    const QString name = m_currentFileName.isEmpty() ? TMessages::Get().Untitled
                                                     : QFileInfo(ToNativePath(m_currentFileName)).fileName();
    return QCoreApplication::applicationName() + QStringLiteral(" - ") + name;
}

QString TDocument::PageHTMLPath() const
{
    return PageHtmlPath(m_currentFileName, m_htmlFolder);
}

void TDocument::FileRenamed(const QString &oldPath, const QString &newPath)
{
    if (m_currentFileName.isEmpty())
        return;
    const QString current = QFileInfo(FindPathNoCase(ToNativePath(m_currentFileName))).absoluteFilePath();
    if (current == QFileInfo(ToNativePath(oldPath)).absoluteFilePath())
        SetCurrentFileName(QDir::toNativeSeparators(newPath));
}

// ---------------------------------------------------------------- styles

void TDocument::LoadStyleLibrary()
{
    const QString path = ToNativePath(JoinPath(m_appDir, QStringLiteral("Styles.data")));
    StyleLoadStatus status = StyleLoadStatus::Complete;
    m_styles = LoadStyles(path, &status);
    m_styleProblem = StyleLibraryProblem(path, status, int(m_styles.size()));
    m_styleEntries = StyleListEntries(m_styles, TMessages::Get().NoStyle);
    m_styleEntry = -1;
    Q_EMIT stylesChanged(m_styleEntries);
}

void TDocument::TellStyleLibraryProblem()
{
    if (m_styleProblem.isEmpty() || m_styleProblem == m_toldStyleProblem || !m_host)
        return;
    m_toldStyleProblem = m_styleProblem;
    m_host->ShowWarning(m_styleProblem);
}

void TDocument::SelectStyleEntry(int entry)
{
    if (entry < 0 || entry >= m_styleEntries.size())
        return;
    m_styleEntry = entry;
    Q_EMIT styleSelected(entry);
}

void TDocument::SelectStyleByName(const QString &name)
{
    SelectStyleEntry(FindStyleEntry(m_styleEntries, name));
}

void TDocument::ChooseStyle(int entry)
{
    if (m_page.SuppressFieldEvents || entry < 0 || entry >= m_styleEntries.size())
        return;
    const int was = m_styleEntry;
    SelectStyleEntry(entry);
    AddBodyDef();
    m_page.DocumentChanged = true;
    if (entry != was)
        RecordEdit(EditStep::Style);
}

void TDocument::ReloadStyles()
{
    if (!m_styleEntries.isEmpty() && m_styleEntry < 0)
        SelectStyleEntry(0);
    const QString remembered = StyleName();
    // The style wizard has written the library; read it again.
    LoadStyleLibrary();
    {
        TFlagScope quiet(m_page.SuppressFieldEvents, true);
        SelectStyleEntry(0);
        SelectStyleByName(remembered);
    }
    AddBodyDef();
    TellStyleLibraryProblem();
}

// ---------------------------------------------------------------- logo and title

void TDocument::SetLogoOn(bool on)
{
    if (m_logoOn == on)
        return;
    m_logoOn = on;
    Q_EMIT logoChanged(on);
}

void TDocument::ChooseLogo(bool on)
{
    if (m_page.SuppressFieldEvents || m_logoOn == on)
        return;
    SetLogoOn(on);
    RecordEdit(EditStep::Logo);
    if (m_html.isEmpty())
        return;
    // The text as it stands is edited in place, so hand edits stay.
    SetHtmlText(on ? InsertLogoFooter(m_html, textForm()) : RemoveLogoFooter(m_html, textForm()));
    if (!m_currentFileName.isEmpty())
        WritePageHtml();
    ShowAsItStands();
    UpdateFileList();
}

void TDocument::SetTitleFromUser(const QString &title)
{
    if (m_page.SuppressFieldEvents)
        return;
    m_page.PageTitle = title;
    SetHtmlText(retitled(m_html));
    m_page.DocumentChanged = true;
    RecordEdit(EditStep::Title, -1, QStringLiteral("title"));
}

// ---------------------------------------------------------------- undo and redo

TPageState TDocument::Snapshot() const
{
    TPageState s;
    s.Blocks.reserve(std::size_t(m_page.Blocks.Count()));
    for (const auto &b : m_page.Blocks)
        s.Blocks.push_back(CopyBlock(*b));
    s.Title = m_page.PageTitle;
    s.StyleEntry = m_styleEntry;
    s.LogoOn = m_logoOn;
    s.CurrentBlock = m_page.CurrentBlockIndex;
    s.FirstVisible = m_page.FirstVisibleBlock();
    return s;
}

void TDocument::RecordEdit(EditStep step, int kind, const QString &typingKey)
{
    if (m_history.Record(Snapshot(), step, kind, typingKey))
        Q_EMIT historyChanged();
}

void TDocument::startHistory()
{
    m_history.Reset(Snapshot());
    markSaved();
    Q_EMIT historyChanged();
}

void TDocument::markSaved() { m_savedBytes = PageFileBytes(m_page, StyleName()); }

QString TDocument::UndoText() const
{
    return m_history.CanUndo() ? LoadStr(Msg::MenuUndoStep).arg(m_history.UndoName()) : LoadStr(Msg::MenuUndo);
}

QString TDocument::RedoText() const
{
    return m_history.CanRedo() ? LoadStr(Msg::MenuRedoStep).arg(m_history.RedoName()) : LoadStr(Msg::MenuRedo);
}

bool TDocument::Undo()
{
    const TPageState *target = m_history.UndoTarget();
    if (!target || !mayReplacePage(*target))
        return false;
    return restore(m_history.Undo());
}

bool TDocument::Redo()
{
    const TPageState *target = m_history.RedoTarget();
    if (!target || !mayReplacePage(*target))
        return false;
    return restore(m_history.Redo());
}

bool TDocument::pageTextFollows() const { return m_state == wsView || m_state == wsSend || m_state == wsSent; }

bool TDocument::mayReplacePage(const TPageState &target)
{
    // A new page text replaces hand edits of the old one only with the user's consent.
    const TPageState &now = m_history.Current();
    if (pageTextFollows() && (!target.SameBlocks(now) || target.LogoOn != now.LogoOn))
        return MayLoseHandEdits();
    return true;
}

bool TDocument::restore(const TPageState *state)
{
    if (!state)
        return false;
    const bool blocksChanged = !state->SameBlocks(Snapshot()) || state->LogoOn != m_logoOn;
    const bool titleChanged = state->Title != m_page.PageTitle;
    const bool styleChanged = state->StyleEntry != m_styleEntry;
    {
        TFlagScope quiet(m_page.SuppressFieldEvents, true);
        std::vector<std::unique_ptr<TWebChunk>> blocks;
        blocks.reserve(state->Blocks.size());
        for (const auto &b : state->Blocks)
            blocks.push_back(CopyBlock(*b));
        m_page.RestoreBlocks(std::move(blocks), state->FirstVisible, state->CurrentBlock);
        m_page.PageTitle = state->Title;
        SetLogoOn(state->LogoOn);
        if (state->StyleEntry >= 0)
            SelectStyleEntry(state->StyleEntry);
        else
            m_styleEntry = -1;
        EchoTitle();
        Q_EMIT pageRestored();
    }
    m_page.DocumentChanged = PageFileBytes(m_page, StyleName()) != m_savedBytes;
    if (pageTextFollows()) {
        // The page's text shows what was put back, as entering View makes it.
        if (blocksChanged) {
            RegenerateHtml();
            ShowRover();
        } else {
            if (titleChanged)
                SetHtmlText(retitled(m_html));
            if (styleChanged || titleChanged)
                AddBodyDef();
        }
    }
    Q_EMIT historyChanged();
    return true;
}

// ---------------------------------------------------------------- HTML text

void TDocument::SetHtmlText(const QString &text)
{
    const QString crlf = CrLf(text);
    if (crlf == m_html)
        return;
    m_html = crlf;
    Q_EMIT htmlChanged(m_html);
}

void TDocument::DropHtmlText()
{
    SetHtmlText(QString());
    m_htmlEdited = false;
}

QString TDocument::ViewerText() const { return ToViewerText(m_html); }

QString TDocument::BuildPageHTML(bool bodyOnly)
{
    return wobbin::BuildPageHTML(m_page.Blocks, m_page.PageTitle, bodyOnly, m_logoOn, Writing());
}

HtmlForm TDocument::textForm() const { return IsModernPage(m_html) ? HtmlForm::FitsPhones : HtmlForm::Classic; }

QString TDocument::retitled(const QString &html) const
{
    const HtmlForm form = textForm();
    const QString title = form == HtmlForm::FitsPhones ? PhoneTitleText(m_page.PageTitle, m_page.Blocks)
                                                       : m_page.PageTitle;
    return ReplaceTitle(html, title, form);
}

void TDocument::SetHtmlForm(HtmlForm form)
{
    if (m_form == form)
        return;
    m_form = form;
    Q_EMIT htmlFormChanged(form);
}

bool TDocument::ChooseHtmlForm(HtmlForm form)
{
    if (m_form == form)
        return true;
    const bool shown = !m_html.isEmpty();
    if (shown && !MayLoseHandEdits()) {
        Q_EMIT htmlFormChanged(m_form);
        return false;
    }
    SetHtmlForm(form);
    if (!shown)
        return true;
    RegenerateHtml();
    ShowRover();
    if (!m_currentFileName.isEmpty()) {
        WritePageHtml();
        UpdateFileList();
    }
    return true;
}

PageWriting TDocument::Writing() const { return {m_form, PageLanguage()}; }

void TDocument::RegenerateHtml()
{
    SetHtmlText(BuildPageHTML(false));
    m_htmlEdited = false;
}

bool TDocument::HtmlIsBare() const
{
    return m_html.isEmpty() || m_html == QLatin1String("<BODY>");
}

TDocument::HandEdit TDocument::TakeHandEdit(const QString &text)
{
    if (!m_htmlEdited && !GeneralSwitchIsOff(QStringLiteral("ShowHTMLWarning"))) {
        if (!m_host || !m_host->ConfirmHandEdit())
            return HandEdit::Refused;
    }
    // Whether the warning showed or is switched off, the text is now the
    // user's own: leaving it for Build asks first.
    m_htmlEdited = true;
    m_html = CrLf(text);
    return HandEdit::Taken;
}

bool TDocument::MayLoseHandEdits()
{
    if (!m_htmlEdited)
        return true;
    return m_host && m_host->ConfirmLoseHandEdits(TMessages::Get().HandEditsWillBeLost);
}

void TDocument::AddBodyDef()
{
    if (m_styleEntry < 0)
        return;
    SetHtmlText(ApplyStyleEntry(m_html, m_styles, m_styleEntry, textForm()));
    if (!m_renderingPreview)
        ShowRover();
}

void TDocument::ShowRover()
{
    TFlagScope rendering(m_renderingPreview, true);
    if (!m_styleEntries.isEmpty() && m_styleEntry < 0)
        SelectStyleEntry(0);
    AddBodyDef();
    const QString previewFile = JoinPath(m_htmlFolder, QLatin1String(kPreviewFile));
    const bool written = SaveFromHTML(previewFile).ok();
    // The viewer shows the text with its DIVs made paragraphs; the file keeps them.
    if (m_host)
        m_host->RenderPreview(ViewerText(), written ? ToNativePath(previewFile) : QString());
}

void TDocument::ShowAsItStands()
{
    if (m_host)
        m_host->RenderPreview(ViewerText(), QString());
}

TResult<void> TDocument::SaveFromHTML(const QString &path)
{
    if (path.isEmpty())
        return TError(Msg::SaveBeforeUpload);
    return WriteFileSafely(ToNativePath(path), EncodePageText(m_html));
}

bool TDocument::WritePageHtml()
{
    const QString path = PageHTMLPath();
    if (path.isEmpty())
        return false;
    QString text = m_html;
    if (text.isEmpty())
        text = ApplyStyleEntry(BuildPageHTML(false), m_styles, m_styleEntry, m_form);
    const TResult<void> written = WriteFileSafely(ToNativePath(path), EncodePageText(text));
    if (written.ok())
        return true;
    if (m_host)
        m_host->ShowError(QStringLiteral("The web page \"%1\" cannot be written: %2")
                              .arg(QFileInfo(ToNativePath(path)).fileName(), written.error().Text()));
    return false;
}

QString TDocument::WriteExternalPreview()
{
    QString target = JoinPath(m_htmlFolder, QLatin1String(kPreviewFile));
    if (m_state == wsChoose || m_state == wsBuild)
        RegenerateHtml();
    else if (!m_currentFileName.isEmpty())
        target = PageHTMLPath();
    // A page that could not be written is not previewed from an old file.
    if (!SaveFromHTML(target).ok())
        return QString();
    return ToNativePath(target);
}

void TDocument::RemovePreviewFile()
{
    const QString folder = FindPathNoCase(ToNativePath(m_htmlFolder));
    if (QDir(folder).exists())
        QFile::remove(QDir(folder).filePath(QLatin1String(kPreviewFile)));
}

void TDocument::dropBuiltText()
{
    // Outside the View and Send states the HTML text is empty; a save there
    // fills it for the picture and the HTML file only.
    if (m_state == wsChoose || m_state == wsBuild)
        SetHtmlText(QString());
}

// ---------------------------------------------------------------- files to upload

void TDocument::UpdateFileList()
{
    m_uploadFileNames.clear();
    m_uploadImages = LocaliseImages(m_currentFileName, m_htmlFolder, m_uploadImages, &m_refused);
    for (const ResourceDetail &d : m_uploadImages)
        m_uploadFileNames << d.RefName;
    if (!m_currentFileName.isEmpty())
        m_uploadFileNames << QFileInfo(ToNativePath(m_currentFileName)).completeBaseName() + QStringLiteral(".html");
    Q_EMIT fileListChanged(m_uploadFileNames);
}

// ---------------------------------------------------------------- loading

void TDocument::Empty()
{
    SetLogoOn(true);
    // Hand edits belong to the page being replaced.
    m_htmlEdited = false;
    m_page.FreeAllBlocks();
    Q_EMIT blocksEmptied();
    SetCurrentFileName(QString());
    m_page.DocumentChanged = false;
    m_lastReadProblem.clear();
}

void TDocument::New()
{
    TFlagScope quiet(m_page.SuppressFieldEvents, true);
    Empty();
    SelectStyleEntry(0);
    startHistory();
}

void TDocument::readInto(const QString &native, bool isPage)
{
    const PageReadResult r = ReadPageFile(native, m_page);
    // The reader laid out the document's tile slots; the column follows them.
    Q_EMIT blocksRead();
    if (r.HasStyleName)
        SelectStyleByName(r.StyleName);
    EchoTitle();
    if (r.IsOk()) {
        if (isPage)
            SetCurrentFileName(QDir::toNativeSeparators(QFileInfo(native).absoluteFilePath()));
    } else {
        m_lastReadProblem = ReadProblemText(native, r);
        if (m_host)
            m_host->ShowWarning(m_lastReadProblem);
    }
    m_page.DocumentChanged = false;
}

void TDocument::LoadSavedPage(const QString &path)
{
    Empty();
    const QString native = FindPathNoCase(ToNativePath(path));
    if (QFileInfo::exists(native)) {
        readInto(native, true);
    } else {
        // Named, never a silent empty page.
        m_lastReadProblem = LoadStr(Msg::PageNotFoundUntitled).arg(QDir::toNativeSeparators(native));
        if (m_host)
            m_host->ShowWarning(m_lastReadProblem);
    }
    startHistory();
}

void TDocument::LoadTemplate(const QString &path)
{
    Empty();
    const QString native = FindPathNoCase(ToNativePath(path));
    if (QFileInfo::exists(native))
        readInto(native, false);
    startHistory();
}

// ---------------------------------------------------------------- saving

TDocumentHost::Answer TDocument::AskForSave()
{
    if (!m_page.DocumentChanged)
        return TDocumentHost::Answer::No;
    return m_host ? m_host->AskSaveChanges(TMessages::Get().SaveChangesQuestion) : TDocumentHost::Answer::Cancel;
}

bool TDocument::SaveOrDiscardChanges()
{
    switch (AskForSave()) {
    case TDocumentHost::Answer::Cancel:
        return false;
    case TDocumentHost::Answer::Yes:
        // Yes followed by a cancelled (or failed) save keeps the work.
        return FileSaveAs();
    case TDocumentHost::Answer::No:
        break;
    }
    return true;
}

void TDocument::showSaveInfo()
{
    if (m_host && !GeneralSwitchIsOff(QStringLiteral("SaveInfo")))
        m_host->ShowSaveInfo();
}

FileDialogSetup TDocument::saveDialog(int titleId, const QString &folder, const QString &fileName) const
{
    return {LoadStr(titleId).remove(QLatin1Char('&')), folder, fileName, PageFilter(), QStringLiteral("qze")};
}

bool TDocument::SaveBuilder(const QString &path)
{
    // The picture is of the page as it shows: made from the blocks when there
    // is no HTML text yet.
    if (m_html.isEmpty()) {
        RegenerateHtml();
        ShowRover();
    }
    const QByteArray picture = m_host ? m_host->PagePicture() : QByteArray();
    const TResult<void> written = WritePageFile(ToNativePath(path), m_page, StyleName(), picture);
    if (!written.ok()) {
        if (m_host)
            m_host->ShowError(written.error().Text());
        return false;
    }
    m_page.DocumentChanged = false;
    markSaved();
    SetCurrentFileName(path);
    if (m_state == wsSend)
        UpdateFileList();
    return true;
}

bool TDocument::FileSaveAs()
{
    showSaveInfo();
    const QString chosen = m_host ? m_host->AskSaveFileName(saveDialog(
                                        Msg::MenuSaveAs, SaveFolderFor(m_appDir, m_currentFileName), m_currentFileName))
                                  : QString();
    if (chosen.isEmpty())
        return false;
    if (!SaveBuilder(chosen)) {
        dropBuiltText();
        return false;
    }
    // The page file is saved; without its HTML file it cannot be sent.
    const bool htmlWritten = WritePageHtml();
    dropBuiltText();
    UpdateFileList();
    return htmlWritten;
}

bool TDocument::SaveChanges()
{
    const QString chosen = m_host ? m_host->AskSaveFileName(saveDialog(
                                        Msg::MenuSave, SaveIntoFolder(m_appDir, QStringLiteral("save")), m_currentFileName))
                                  : QString();
    return !chosen.isEmpty() && SaveBuilder(chosen);
}

bool TDocument::SaveDocument()
{
    bool result = false;
    if (m_currentFileName.isEmpty()) {
        if (m_host)
            m_host->TellSaveFirst(TMessages::Get().SaveBeforeContinuing);
        result = FileSaveAs();
    } else if (!m_page.DocumentChanged) {
        result = true;
    } else {
        result = m_host && m_host->ConfirmSaveChangesFirst(TMessages::Get().SaveChangesBeforeContinuing)
                 && SaveChanges();
    }
    // Send goes on only with the page's HTML file as it is now.
    if (result)
        result = WritePageHtml();
    dropBuiltText();
    return result;
}

void TDocument::SaveCommand()
{
    if (!m_currentFileName.isEmpty() && QFileInfo::exists(FindPathNoCase(ToNativePath(m_currentFileName)))) {
        SaveBuilder(m_currentFileName);
        dropBuiltText();
        return;
    }
    // Untitled, or its file was deleted behind the program's back: ask for a name.
    showSaveInfo();
    const QString chosen =
        m_host ? m_host->AskSaveFileName(saveDialog(Msg::MenuSave, SaveFolderFor(m_appDir, m_currentFileName), QString()))
               : QString();
    if (!chosen.isEmpty())
        SaveBuilder(chosen);
    dropBuiltText();
}

void TDocument::SaveAsCommand()
{
    FileSaveAs();
    Q_EMIT pageListChanged();
}

void TDocument::MakeTemplate()
{
    const FileDialogSetup setup{LoadStr(Msg::MenuMakeTemplate).remove(QLatin1Char('&')),
                                SaveIntoFolder(m_appDir, QStringLiteral("Template")), QString(),
                                QStringLiteral("Wobbin Express Template (*.qzt)|*.qzt"), QStringLiteral("qzt")};
    const QString chosen = m_host ? m_host->AskSaveFileName(setup) : QString();
    if (!chosen.isEmpty())
        SaveBuilder(chosen);
    dropBuiltText();
    Q_EMIT pageListChanged();
}

bool TDocument::MayClose()
{
    if (!SaveOrDiscardChanges())
        return false;
    RemovePreviewFile();
    return true;
}

FileDialogSetup TDocument::OpenDialog() const
{
    return {LoadStr(Msg::MenuOpen).remove(QLatin1Char('&')), NativeFolder(m_appDir, QStringLiteral("save")), QString(),
            QStringLiteral("Wobbin Express Files (*.qze)|*.qze|Wobbin Express Template (*.qzt)|*.qzt"),
            QString()};
}

} // namespace wobbin
