#pragma once
// The program's document window: a painted toolbar with four tabs across the
// top (choose, build, view, send), one workspace panel per tab below it, and a
// strip with the preview-size toggle, the logo and the exit button along the
// bottom. Every state change goes through ShowRedPill, which runs the change's
// preconditions and then ChangeState.

#include "app/Dialogs_gui.h"
#include "page/ResourceList.h"
#include "styles/StyleLibrary.h"
#include "workspace/frmMain_widgets.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QImage;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolButton;

namespace wobbin {

class TBuildWorkspace;
class TExecFile;
class TPageDocument;

// Workspace states; the numbers are compared by other parts of the program.
enum WorkspaceStateNumber { wsChoose = 0, wsBuild = 1, wsView = 2, wsSend = 3, wsSent = 4 };

// Toolbar highlight of a tab (tabs 0..4).
struct RedPillPlace {
    const char *bitmap;
    const char *companionBitmap;
    int left;
    int width;
};
RedPillPlace RedPillFor(int tab);

// Start position and step of one tab's mascot walk (10 frames).
struct PipStep {
    int startLeft;
    int step;
};
PipStep PipWalkUp(int fromTab);   // walking right, fromTab 0..3
PipStep PipWalkDown(int fromTab); // walking left, fromTab 1..3

// Display name and home page of the site at a position of the web (0..6).
QString PartnerDisplayName(int position);
QString PartnerHomePage(int position);

// -- preview: the page the browser is handed an address through, and the
// address of the user's uploaded page (server address joined with the page
// file's name, ".html" in place of its extension, blanks removed).
QString RedirectPageText(const QString &address);
QString YourPageAddress(const QString &serverUrl, const QString &pageFileName);

// Help context of a palette image from its Tag (its home top).
int PaletteHelpContext(int tag);

// Tab under a toolbar click at X; -1 when the click selects nothing.
int ToolbarTabAt(int x);

class TfrmMain : public QMainWindow
{
    Q_OBJECT
    // The document comes first: the window-state references below point into it.
    std::unique_ptr<TPageDocument> m_doc;

public:
    struct Options {
        QString appDir;           // program folder (holds HTMLFiles, save, template, Help...)
        QString commandLineFile;  // page file named on the command line, may be empty
        bool detectCompanion = true;
    };

    explicit TfrmMain(const Options &options, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // ---- window state (names as the rest of the program uses them) ----
    int WorkspaceState = 0;
    QString CurrentFileName;
    // Kept in the page document, shared with the Build workspace.
    int &CurrentBlockIndex;
    int &CurrentSlot;
    QString &PageTitle;
    bool &DocumentChanged;
    bool SuppressFieldEvents = false;
    bool LoadingDocument = false;
    bool TemplateLoading = false;
    bool ToolbarBusy = false;
    bool HTMLEdited = false;
    bool SuppressHTMLChange = false;
    bool UndoingHTMLChange = false;
    bool RenderingPreview = false;
    bool TitleEcho = false;
    bool CompanionRunning = false;
    bool PaletteBusy = false;
    bool PaletteMode = false;
    bool PageUploaded = false;
    QString AppDir;
    QString HTMLFolder;
    QString HelpFile;
    QString LineBreak = QStringLiteral("\r\n");
    int WhatsThisContext = 1;

    // Mascot and web
    int PipTab = 0;
    int PipFramesDrawn = 0;      // frames drawn by all walks so far
    int WebFrame = 0;
    bool WebDirection = false;   // true turns left
    int WebIndex = -1;

    // Message texts loaded at start.
    QString Msg34, Msg35, Msg100, Msg101, Msg102, Msg103, Msg5082, Msg5083, Msg5084;
    QString AlignLeft, AlignCenter, AlignRight, Untitled;

    // The style library (entries of lstStyles after "[None]"), the page's
    // images to upload and the names shown in lstFiles.
    StyleList Styles;
    UploadImageList UploadImages;
    QStringList UploadFileNames;

    // ---- operations ----
    void FormCreate();
    void FormShow();
    bool ShowRedPill(int tab);
    bool ChangeState(int state);
    void LockWindow(QWidget *window);
    void RealisePalette();
    void WobbinRunning();
    bool HandToCompanion();

    void PaintEmAll();
    void StringEmUp();
    void WalkThePip(int tab);
    void MovePipUp(int fromTab, int toTab);
    void MovePipDown(int fromTab, int toTab);
    void MoveWebRight();
    void MoveWebLeft();
    void turnWebOneStep(bool left);
    void DisplayMagnifier();
    void SoundsClick();

    void ShowWhatsThis(QWidget *control, QPoint localPos);
    void ShowPaletteWhatsThis(QWidget *image, QPoint localPos);
    void PopUpWhatsThis(int context, QPoint globalPos);
    void popMenWhatsThisClick();

    // Document commands used by the state changes.
    void GetTemplates();
    void DoTemplate(const QString &path, bool isPage);
    void emptyDocument();
    void LoadSavedPage(const QString &path);
    void LoadTemplate(const QString &path);
    bool SaveDocument();
    bool FileSaveAs();
    bool SaveChanges();
    void SaveBuilder(const QString &path);
    bool SaveFromHTML(const QString &path);
    QMessageBox::StandardButton AskForSave();
    void UpdateFileList();
    void FileNew();
    QString BuildPageHTML(bool bodyOnly);
    // The text of memHTML with every line break as CR LF (the editor itself
    // keeps bare line feeds). Read the page text through this, never the editor.
    QString HTMLText() const;
    // Replaces memHTML's text as the program (not the user) does.
    void SetHTMLText(const QString &text) { setHTMLText(text); }
    void ShowRover();
    void AddBodyDef();
    void lstStylesClick();
    void SetHTMLView();
    void SetCaption();
    void ShowPreview(const QString &path);

    // -- documents: page list, saving with the page picture, style list --
    void ShowStyles();
    void SelectStyleByName(const QString &name);
    void btnEditStyleClick();
    void menFileMakeClick();
    void Delete1Click();
    void Rename1Click();
    // Finishes an in-place rename once the caption editor has closed.
    void lvTemplatesEdited();
    bool Renaming() const { return m_renaming; }
    // The Save Information dialog before a save asks for a name (shows nothing
    // while General "SaveInfo" is "No").
    void ShowSaveInfo();
    // The rendered page, 196 x 229, for the picture beside the page file.
    QImage CapturePagePicture();
    // The close question; false keeps the window open.
    bool FormClose();
    // The outcome of the last page read (a damaged file opens untitled).
    QString LastReadProblem;

    // The three calls the hand-over makes on the companion editor. Each returns
    // false when the call failed (the editor did not answer or raised an error).
    struct CompanionLink {
        std::function<bool(bool &isOpen)> IsOpenDoc;
        std::function<bool()> OpenNewFile;
        std::function<bool(const QString &html)> PutTextAtCursor;
        bool IsValid() const { return IsOpenDoc && OpenNewFile && PutTextAtCursor; }
    };
    // Sets CompanionRunning and the link, as the detection at start does.
    void SetCompanion(bool running, CompanionLink link);

    // Escape cancels a running upload through this hook (set by the upload).
    void SetUploadCancel(std::function<void()> cancel) { m_uploadCancel = std::move(cancel); }

    // -- preview: hand edits, the browser hand-off, the logo links --
    void connectPreviewHandlers();
    // Opens an address in the user's browser through the redirect page.
    void ShowInBrowser(const QString &address);
    // Asks before the first hand edit of the HTML; true keeps the edit.
    bool ShowHTMLWarning();
    // Stands in for the warning dialog when set (answer true keeps the edit).
    std::function<bool()> HTMLWarningPrompt;
    void imgQuorPageClick();
    void imgOrtexPageClick();
    void imgPartner2PageClick();
    void imgPartner3PageClick();
    void imgPartner4PageClick();
    void imgPartner5PageClick();
    void imgPartner6PageClick();
    void imgYourPageClick();
    void mnuHelpClick() {}
    // The file last handed to the browser (external preview or redirect page).
    QString LastBrowserFile;

    // Window controls, named as everywhere else in the program.
    QWidget *Client() const { return m_client; }
    TPageDocument *Document() const { return m_doc.get(); }
    TBuildWorkspace *BuildWorkspace() const { return m_build; }
    bool PreviewEnlarged() const { return m_previewEnlarged; }

    QFrame *pnlTopPip = nullptr;
    TImage *picToolbar = nullptr;
    TImage *picRedPill = nullptr;
    QLabel *picWindy = nullptr;
    QLabel *imgWindyPip = nullptr;
    QLabel *imgWindyPipB = nullptr;

    QFrame *pnlChoose = nullptr;
    QFrame *pnlBuild = nullptr;
    QFrame *pnlView = nullptr;
    QFrame *pnlSend = nullptr;
    QFrame *pnlMain = nullptr;

    QFrame *Panel3 = nullptr;
    QFrame *pnlLower = nullptr;
    TImage *imgView = nullptr;
    TImage *imgLogo = nullptr;
    TImage *imgExit = nullptr;

    // Choose
    QLabel *lblChooseDesc1 = nullptr, *lblChooseDesc2 = nullptr, *lblChoosePages = nullptr,
           *lblChoosePreview = nullptr;
    QListWidget *lvTemplates = nullptr;
    QFrame *Panel2 = nullptr;
    TImage *imgPreView = nullptr;
    TImage *imgFrontPip = nullptr;

    // Build (contents by TBuildWorkspace)
    QLabel *lblBuildRight = nullptr;

    // View
    QTabWidget *pagePreview = nullptr;
    QWidget *tabWebView = nullptr;
    QWidget *tabHTML = nullptr;
    QWidget *ctlHTML = nullptr;
    QPlainTextEdit *memHTML = nullptr;
    QPlainTextEdit *tmpMemo = nullptr;
    TExecFile *ExecFile = nullptr;
    QLabel *lblPreStyle = nullptr, *lblPreDesc = nullptr;
    QListWidget *lstStyles = nullptr;
    QPushButton *btnEditStyle = nullptr;
    QFrame *pnlTitle = nullptr;
    QLabel *lblTitleCaption = nullptr;
    QLineEdit *txtTitle = nullptr;
    QCheckBox *chkLogo = nullptr;

    // Send
    TImage *imgWebBack = nullptr;
    TImage *imgUpload = nullptr;
    TImage *imgUploadLeft = nullptr, *imgUploadRight = nullptr;
    TImage *imgQuorPage = nullptr, *imgOrtexPage = nullptr, *imgPartner2Page = nullptr,
           *imgPartner3Page = nullptr, *imgPartner4Page = nullptr, *imgPartner5Page = nullptr,
           *imgPartner6Page = nullptr, *imgYourPage = nullptr;
    QLabel *lblMag = nullptr;
    QComboBox *cmbServers = nullptr;
    QToolButton *spdEditWWW = nullptr;
    QListWidget *lstFiles = nullptr;
    QLabel *lblUpServer = nullptr, *lblUpRotate1 = nullptr, *lblUpRotate2 = nullptr,
           *lblUpDesc = nullptr, *lblUploadFiles = nullptr;

    // Menus
    QMenu *menFile = nullptr, *mnuHelp = nullptr;
    QAction *mnuFileNew = nullptr, *menFileOpen = nullptr, *menFileSave = nullptr,
            *menFileSaveAs = nullptr, *menFileMake = nullptr, *ExternalPreview1 = nullptr,
            *Sounds = nullptr, *menFileExit = nullptr, *mnuHelpTopics = nullptr,
            *menHelpAbout = nullptr;
    QMenu *popWhatsThis = nullptr;
    QAction *popMenWhatsThis = nullptr;
    QMenu *popFiles = nullptr;
    QAction *Delete1 = nullptr, *Rename1 = nullptr, *WhatsThis1 = nullptr;

    // Timers
    QTimer *timInit = nullptr, *timAnim = nullptr, *timUp = nullptr, *timDown = nullptr,
           *timShredder = nullptr, *timTopPip = nullptr, *timWebAn = nullptr,
           *timUpload = nullptr, *timFlashPage = nullptr;

    // ---- event handlers ----
    void picToolBarMouseUp(Qt::MouseButton button, int x, int y);
    void FormKeyPress(int key);
    void menFileExitClick();
    void timInitTimer();
    void timTopPipTimer();
    void timWebAnTimer();
    void timFlashPageTimer();
    void imgExitMouseDown(Qt::MouseButton button, QPoint pos);
    void imgExitMouseUp(Qt::MouseButton button, QPoint pos);
    void imgExitClick();
    void imgViewClick();
    void imgViewMouseDown(Qt::MouseButton button, QPoint pos);
    void imgViewMouseUp(Qt::MouseButton button, QPoint pos);
    void imgUploadLeftClick();
    void imgUploadRightClick();
    void lvTemplatesClick();
    void lvTemplatesDblClick();
    void txtTitleChange();
    void memHTMLChange();
    void pagePreviewChange(int index);
    void mnuHelpTopicsClick();
    void menHelpAboutClick();
    void mnuFileNewClick();
    void menFileOpenClick();
    void menFileSaveClick();
    void menFileSaveAsClick();
    void ExternalPreview1Click();
    void WhatsThis1Click();
    void ExecFileFail();

signals:
    // Emitted after every completed ChangeState.
    void stateChanged(int state);
    // One frame of the mascot walk was drawn.
    void pipFrameDrawn(int left);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildWindow();
    void buildMenus();
    void buildTop();
    void buildChoose();
    void buildBuild();
    void buildView();
    void buildSend();
    void buildBottom();
    void buildTimers();
    void buildHelpers();
    void connectHandlers();
    void drawToolbar(bool withSprite);
    void drawPipFrame(int left, bool facingRight);
    void waitForPipTick();
    void drawWebFrame(const QString &bitmap, int x, int y);
    void setHTMLText(const QString &text);
    void loadViewerFromText(const QString &html);
    void placeBottomStrip();
    void attachRightClickHelp(QWidget *control);
    void togglePreviewSize();
    QList<TImage *> magnifierImages() const;
    QString toolbarBitmap() const;
    QString pageHTMLPath() const;
    bool hasSelectedTemplate() const;
    void loadSelectedTemplate();

    Options m_options;
    QWidget *m_client = nullptr;
    TBuildWorkspace *m_build = nullptr;
    CompanionLink m_companion;
    std::function<void()> m_uploadCancel;
    bool m_previewEnlarged = false;
    bool m_closePending = false;
    bool m_closing = false;
    bool m_shown = false;
    int m_lockDepth = 0;
    QString m_imgViewHint;
    QStringList m_partnerNames;
    // -- documents: in-place rename of a page list entry --
    void connectDocumentHandlers();
    void dropBuiltText();
    bool m_renaming = false;
    int m_renameRow = -1;
    QString m_renameCaption;
    QString m_renamePath;
};

} // namespace wobbin
