#pragma once
// The program's document window: a painted toolbar with four tabs across the
// top (choose, build, view, send), one workspace panel per tab below it, and a
// strip with the preview-size toggle, the logo and the exit button along the
// bottom. The window only shows and forwards: the document and its commands
// are TDocument's, the states and their changes TWorkspace's (document/); the
// window answers their questions with dialogs and draws what they decide.

#include "document/DocumentHost.h"
#include "document/Workspace.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QTimer;

namespace wobbin {

class TBuildWorkspace;
class TChoosePanel;
class TDocument;
class TEditKeys;
class TExecFile;
class TSendWork;
struct TUploadOutcome;
class TImage;
class TInputGate;
class TSendPanel;
class TViewPanel;
class TWhatsThis;

class TfrmMain : public QMainWindow, private TDocumentHost, private TWorkspaceView
{
    Q_OBJECT
public:
    struct Options {
        QString appDir;           // program folder (holds HTMLFiles, save, template, Help...)
        QString commandLineFile;  // page file named on the command line, may be empty
        bool detectCompanion = true;
    };

    explicit TfrmMain(const Options &options, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // The core the window shows.
    TDocument &Document() const { return *m_doc; }
    TWorkspace &Workspace() const { return *m_workspace; }
    // The panels of the four states.
    TChoosePanel &ChoosePanel() const { return *m_choose; }
    TBuildWorkspace &BuildWorkspace() const { return *m_build; }
    TViewPanel &ViewPanel() const { return *m_view; }
    TSendPanel &SendPanel() const { return *m_send; }
    // The Send panel's decisions (page check, what the upload sends).
    TSendWork &SendWork() const { return *m_sendWork; }
    QWidget *Client() const { return m_client; }
    bool PreviewEnlarged() const;

    // Opens an address in the user's browser through the redirect page.
    void ShowInBrowser(const QString &address);

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // ---- construction (frmMain.cpp)
    void buildWindow();
    void buildMenus();
    void buildTop();
    void buildBottom();
    void connectHandlers();
    void FormCreate();
    void FormShow();
    void StringEmUp();
    void PaintEmAll();
    void WobbinRunning();
    void placeBottomStrip();
    void updateEditMenu();
    // ---- the keyboard (frmMain_keys.cpp)
    void setUpKeyboard();
    bool keyboardEvent(QObject *watched, QEvent *event);
    void showToolbarFocus(int tab);
    void whatsThisForFocus();

    // ---- handlers of the window's own controls (frmMain.cpp)
    void picToolBarMouseUp(Qt::MouseButton button, int x);
    void timInitTimer();
    void imgExitMouseDown(Qt::MouseButton button);
    void imgExitMouseUp(Qt::MouseButton button);
    void imgViewClick();
    void imgViewMouseDown(Qt::MouseButton button);
    void imgViewMouseUp(Qt::MouseButton button);
    void togglePreviewSize();
    void setPreviewEnlarged(bool enlarge);
    void mnuFileNewClick();
    void menFileOpenClick();
    void ExternalPreview1Click();
    void SoundsClick();
    void menHelpAboutClick();
    void ExecFileFail();
    void openInBrowser(const QString &file);
    void focusShownPanel();
    // The first control of a panel that Tab reaches (nullptr for none).
    QWidget *FirstTabStop(QWidget *panel);

    // ---- the Send panel: servers, page check, flight and upload (frmMain_send.cpp)
    void SendCreate();
    void FillServerCombo();
    void cmbServersChange();
    void spdEditWWWClick();
    void CheckPageForSend();
    void ShowSendCheck();
    void lstProblemsDblClick(int row);
    void imgUploadClick();
    void flightLanded();
    bool UploadFiles(TUploadOutcome &outcome);

    // ---- the document's questions (frmMain_host.cpp)
    Answer AskSaveChanges(const QString &question) override;
    void TellSaveFirst(const QString &text) override;
    bool ConfirmSaveChangesFirst(const QString &text) override;
    bool ConfirmLoseHandEdits(const QString &text) override;
    bool ConfirmHandEdit() override;
    void ShowSaveInfo() override;
    QString AskSaveFileName(const FileDialogSetup &setup) override;
    void ShowWarning(const QString &text) override;
    void ShowError(const QString &text) override;
    QByteArray PagePicture() override;
    void RenderPreview(const QString &viewerText, const QString &previewFile) override;

    // ---- what the workspace has shown (frmMain_host.cpp)
    bool SelectedEntry(PageListEntry &entry) const override;
    void PlaySound(const QString &name) override;
    void DrawPipFrame(const PipFrame &frame) override;
    void WaitPipTick() override;
    void LockUpdates(bool on) override;
    void ShowToolbar(const QString &bitmap) override;
    void HideHighlight() override;
    void PlaceHighlight(const QString &bitmap, int left, int width) override;
    void ShowHighlight() override;
    void ApplyEffects(int state, const StateEffects &effects) override;
    void ShowFirstBlock() override;
    void ShowBlankPanel() override;
    void Inform(const QString &text) override;
    void ReportError(const QString &text) override;
    void SetBusyCursor(bool on) override;

    Options m_options;
    std::unique_ptr<TDocument> m_doc;
    std::unique_ptr<TWorkspace> m_workspace;
    std::unique_ptr<TSendWork> m_sendWork;
    QWidget *m_client = nullptr;
    TWhatsThis *m_whatsThis = nullptr;
    TChoosePanel *m_choose = nullptr;
    TBuildWorkspace *m_build = nullptr;
    TViewPanel *m_view = nullptr;
    TSendPanel *m_send = nullptr;
    TInputGate *m_gate = nullptr;
    TEditKeys *m_editKeys = nullptr;
    class TFocusFrame *m_focusFrame = nullptr;
    int m_toolbarFocusTab = 0;
    bool m_stepByToolbarKey = false; // a step chosen on the toolbar by key: the focus stays there
    TExecFile *ExecFile = nullptr;
    QPointer<QWidget> m_flightFocus; // where the keyboard was when the page took off
    QString m_imgViewHint;
    bool m_shown = false;
    QPoint m_normalPos; // where the window was before the preview was enlarged
    bool m_closing = false;

    // The window's own controls (the panels hold theirs).
    QFrame *pnlTopPip = nullptr;
    TImage *picToolbar = nullptr;
    TImage *picRedPill = nullptr;
    QLabel *picWindy = nullptr;
    QFrame *pnlChoose = nullptr, *pnlBuild = nullptr, *pnlView = nullptr, *pnlSend = nullptr;
    QFrame *pnlMain = nullptr;
    QFrame *Panel3 = nullptr;
    QFrame *pnlLower = nullptr;
    TImage *imgView = nullptr, *imgLogo = nullptr, *imgExit = nullptr;
    QLabel *lblBuildRight = nullptr;
    QMenu *menFile = nullptr, *mnuEdit = nullptr, *mnuHelp = nullptr;
    QAction *mnuEditUndo = nullptr, *mnuEditRedo = nullptr;
    QAction *mnuFileNew = nullptr, *menFileOpen = nullptr, *menFileSave = nullptr,
            *menFileSaveAs = nullptr, *menFileMake = nullptr, *ExternalPreview1 = nullptr,
            *Sounds = nullptr, *menFileExit = nullptr, *mnuHelpTopics = nullptr,
            *menHelpAbout = nullptr;
    QTimer *timInit = nullptr, *timTopPip = nullptr;
};

} // namespace wobbin
