#pragma once
// The document the main window works on, without any widgets: the page (blocks,
// title, changed flag), the file it lives in, the chosen style, the logo
// option, the page's HTML text with its hand edits, the files to upload, and
// the document commands with their decisions: New, loading a page or a
// template, Save, Save As, Make Template, the save question, saving before
// upload and closing. What it must ask goes to a TDocumentHost; what changed
// is announced by signals, which the window mirrors into its controls.

#include "base/Result.h"
#include "document/DocumentHost.h"
#include "document/PageHistory.h"
#include "page/PageDocument.h"
#include "page/PageHtml.h"
#include "page/ResourceList.h"
#include "styles/StyleLibrary.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace wobbin {

class TDocument : public QObject
{
    Q_OBJECT
public:
    explicit TDocument(QObject *parent = nullptr);
    ~TDocument() override;

    // Who answers the questions (none: every question answers No or Cancel,
    // no dialog asks for a name, no picture and no preview).
    void SetHost(TDocumentHost *host) { m_host = host; }
    // The program folder (save, template, Styles.data, HTMLFiles below it).
    void SetAppDir(const QString &appDir);
    QString AppDir() const { return m_appDir; }
    QString HTMLFolder() const { return m_htmlFolder; }

    // The blocks, tiles, title, changed flag and current block.
    TPageDocument &Page() { return m_page; }
    const TPageDocument &Page() const { return m_page; }
    bool DocumentChanged() const { return m_page.DocumentChanged; }
    void SetDocumentChanged(bool changed) { m_page.DocumentChanged = changed; }

    // The flags that hold the panels' change handlers while the program fills
    // them (New and loading set them) live in the page: Page().SuppressFieldEvents
    // and Page().LoadingDocument.

    // ---- file and caption
    // Full path of the page file; empty for a new page or one made from a template.
    QString CurrentFileName() const { return m_currentFileName; }
    // The document now lives in that file (after a save, or when its file was renamed).
    void SetCurrentFileName(const QString &path);
    // The application title, " - ", and the file's name or "Untitled".
    QString Caption() const;
    // The HTML file of the page in HTMLFolder, empty while untitled.
    QString PageHTMLPath() const;
    // Why the last page read stopped early, empty when it read completely.
    QString LastReadProblem() const { return m_lastReadProblem; }
    // Follows a page file renamed in the page list.
    void FileRenamed(const QString &oldPath, const QString &newPath);

    // The workspace state the window shows (what a save refreshes depends on it).
    void SetWorkspaceState(int state) { m_state = state; }

    // ---- styles: entry 0 is "[None]", entry i the library's style i - 1
    void LoadStyleLibrary();
    // What is wrong with the style library as last read, in words; empty
    // when it was read completely.
    QString StyleLibraryProblemText() const { return m_styleProblem; }
    // Tells the user what is wrong with the library, once for each problem.
    void TellStyleLibraryProblem();
    const StyleList &Styles() const { return m_styles; }
    QStringList StyleEntries() const { return m_styleEntries; }
    int StyleEntry() const { return m_styleEntry; }
    QString StyleName() const { return m_styleEntries.value(m_styleEntry); }
    // The program's choice (loading, New); no other effect.
    void SelectStyleEntry(int entry);
    void SelectStyleByName(const QString &name);
    // The user chose a style: it goes into the page's BODY tag and the page changed.
    void ChooseStyle(int entry);
    // The style library was edited: read it again and keep the chosen style
    // where it still exists.
    void ReloadStyles();

    // ---- logo footer and title
    bool LogoOn() const { return m_logoOn; }
    void SetLogoOn(bool on);
    // The user switched the logo footer: one step of the history; it goes
    // into (or out of) the HTML text as it stands, the page's HTML file and
    // the preview at once.
    void ChooseLogo(bool on);
    void SetLogoFromUser(bool on) { ChooseLogo(on); }
    // The user typed a title: it goes into the page and into its HTML.
    void SetTitleFromUser(const QString &title);
    // Announces the title and the caption as they stand (the window shows them).
    void EchoTitle() { Q_EMIT titleChanged(m_page.PageTitle); }
    void EchoCaption() { Q_EMIT captionChanged(Caption()); }

    // ---- the way the page is written (one choice for all pages, kept in the
    // settings by the window): classic, or fitting phones
    HtmlForm Form() const { return m_form; }
    // The program's choice (start-up); no other effect.
    void SetHtmlForm(HtmlForm form);
    // The user's choice: a page text shown in View or Send is written afresh
    // the new way (its HTML file too, once the page has one); hand edits of
    // it are lost only when the user agrees. False when the user kept them
    // (the choice stays as it was).
    bool ChooseHtmlForm(HtmlForm form);
    // How the page is written now: the form and the page's language.
    PageWriting Writing() const;

    // ---- the page's HTML text (CR LF line breaks)
    QString HtmlText() const { return m_html; }
    // The program replaces the text (never a hand edit).
    void SetHtmlText(const QString &text);
    // The text is let go (leaving View or Send for Choose or Build): hand
    // edits in it are gone with it, and asked about no more.
    void DropHtmlText();
    // The text with its DIVs made paragraphs, as the viewer is given it.
    QString ViewerText() const;
    QString BuildPageHTML(bool bodyOnly);
    // The complete page HTML replaces the text (hand edits of it are gone).
    void RegenerateHtml();
    // Empty, or exactly "<BODY>": entering Send makes the HTML again.
    bool HtmlIsBare() const;
    // Set by the first accepted hand edit, cleared when the text is made
    // afresh from the blocks (not by a preview of the text as it stands).
    bool HTMLEdited() const { return m_htmlEdited; }
    enum class HandEdit { Taken, Refused };
    // The user edited the text: the first edit is confirmed first (unless the
    // warning is switched off); Refused leaves the text as it was.
    HandEdit TakeHandEdit(const QString &text);
    // True when no hand edits would be lost, or the user agrees to lose them.
    bool MayLoseHandEdits();
    // The chosen style into the BODY tag; renders the preview unless rendering.
    void AddBodyDef();
    // The preview made afresh: style inserted, "~tmpprvw.html" written, rendered.
    void ShowRover();
    // The preview of the text as it stands (nothing written or inserted).
    void ShowAsItStands();
    // Writes the text to a file, exactly; fails, with the cause, when it could
    // not be written.
    TResult<void> SaveFromHTML(const QString &path);
    // Writes the page's HTML file (the text, or the page made from its
    // blocks while there is none); says why when it cannot, and is false then.
    bool WritePageHtml();
    // The file the external preview opens (written first): "~tmpprvw.html",
    // or in View and Send the page's own HTML file once it has one. Empty when
    // the file could not be written.
    QString WriteExternalPreview();
    // Deletes a leftover temporary preview file.
    void RemovePreviewFile();

    // ---- undo and redo of the page's changes
    // The window changed the page for the user (after the change): one step
    // of the history, named by what it did to which kind of block. Changes
    // with the same typing key merge into one step until EndTyping.
    void RecordEdit(EditStep step, int kind = -1, const QString &typingKey = QString());
    // The focus left the field typed into.
    void EndTyping() { m_history.EndTyping(); }
    bool CanUndo() const { return m_history.CanUndo(); }
    bool CanRedo() const { return m_history.CanRedo(); }
    // The Edit menu's texts: "&Undo Move Heading", or "&Undo" when there is nothing to undo.
    QString UndoText() const;
    QString RedoText() const;
    // Puts back the page as it stood before the last step (after it, for
    // redo). In View and Send the page's HTML is made again; hand edits of it
    // are lost only when the user agrees. False when nothing changed.
    bool Undo();
    bool Redo();
    const TPageHistory &History() const { return m_history; }
    // The page as the history keeps it.
    TPageState Snapshot() const;

    // ---- files to upload
    void UpdateFileList();
    const UploadImageList &UploadImages() const { return m_uploadImages; }
    const QStringList &UploadFileNames() const { return m_uploadFileNames; }
    // Picture references of the saved HTML that are never sent (outside the
    // HTML folder), with the reason; not part of the files to upload.
    const RefusedReferenceList &RefusedReferences() const { return m_refused; }

    // ---- commands
    // An empty, untitled, unchanged page with the logo footer on.
    void Empty();
    // A new page: empty, untitled, the first style.
    void New();
    void LoadSavedPage(const QString &path);
    void LoadTemplate(const QString &path);
    // Message 103 when the page changed; No without asking otherwise.
    TDocumentHost::Answer AskForSave();
    // The save question before the page is replaced or closed: false keeps the
    // work (Cancel, or Yes and then no save).
    bool SaveOrDiscardChanges();
    // Makes sure the page is saved before upload; writes its HTML file.
    bool SaveDocument();
    bool FileSaveAs();
    bool SaveChanges();
    // Writes the page file with its picture; the file becomes the document's.
    bool SaveBuilder(const QString &path);
    // File > Save, File > Save As and File > Make Template.
    void SaveCommand();
    void SaveAsCommand();
    void MakeTemplate();
    // The close question; false keeps the window open.
    bool MayClose();
    // The Open dialog's set-up.
    FileDialogSetup OpenDialog() const;

Q_SIGNALS:
    void captionChanged(const QString &caption);
    // The program replaced the HTML text.
    void htmlChanged(const QString &text);
    void titleChanged(const QString &title);
    void stylesChanged(const QStringList &entries);
    void styleSelected(int entry);
    void logoChanged(bool on);
    void htmlFormChanged(HtmlForm form);
    // The blocks were emptied, or read from a file: the tiles follow the document.
    void blocksEmptied();
    void blocksRead();
    void fileListChanged(const QStringList &names);
    // Files of the page list were written.
    void pageListChanged();
    // What undo and redo would do changed.
    void historyChanged();
    // Undo or redo put back the page: the column, the panel, the title, the
    // style and the logo show it afresh.
    void pageRestored();

private:
    void dropBuiltText();
    void readInto(const QString &nativePath, bool isPage);
    FileDialogSetup saveDialog(int titleId, const QString &folder, const QString &fileName) const;
    void showSaveInfo();
    void startHistory();
    void markSaved();
    bool restore(const TPageState *state);
    bool mayReplacePage(const TPageState &target);
    bool pageTextFollows() const;
    // The form of the page text as it stands (a hand edit may change it).
    HtmlForm textForm() const;
    QString retitled(const QString &html) const;

    TPageDocument m_page;
    TDocumentHost *m_host = nullptr;
    QString m_appDir;
    QString m_htmlFolder;
    QString m_currentFileName;
    QString m_lastReadProblem;
    QString m_styleProblem;
    QString m_toldStyleProblem;
    int m_state = 0;
    StyleList m_styles;
    QStringList m_styleEntries;
    int m_styleEntry = -1;
    bool m_logoOn = true;
    HtmlForm m_form = HtmlForm::Classic;
    QString m_html;
    bool m_htmlEdited = false;
    bool m_renderingPreview = false;
    UploadImageList m_uploadImages;
    QStringList m_uploadFileNames;
    RefusedReferenceList m_refused;
    TPageHistory m_history;
    QByteArray m_savedBytes; // the page file as it was last loaded or saved
};

} // namespace wobbin
