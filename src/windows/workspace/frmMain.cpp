// The main window: construction, layout of the window's own regions, start-up
// and the window-level handlers.
#include "workspace/frmMain.h"

#include "session/Companion.h"
#include "shell/Dialogs.h"
#include "settings/ExecFile.h"
#include "shell/Palette.h"
#include "settings/Settings.h"
#include "shell/Skin.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "shell/frmAbout.h"
#include "base/Paths.h"
#include "document/Document.h"
#include "document/Messages.h"
#include "document/WebLinks.h"
#include "publish/SendWork.h"
#include "wizards/frmServerWizard.h"
#include "workspace/BuildWorkspace.h"
#include "workspace/ChoosePanel.h"
#include "workspace/Controls.h"
#include "workspace/EditKeys.h"
#include "shell/Help.h"
#include "workspace/InputGate.h"
#include "workspace/SendPanel.h"
#include "workspace/ViewPanel.h"
#include "workspace/WhatsThis.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QDir>
#include <QKeyEvent>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

namespace wobbin {

namespace {
constexpr int kClientWidth = 631;
constexpr int kClientHeight = 433;
constexpr int kBottomStripHeight = 49;
} // namespace

TfrmMain::TfrmMain(const Options &options, QWidget *parent)
    : QMainWindow(parent), m_options(options), m_doc(std::make_unique<TDocument>()),
      m_workspace(std::make_unique<TWorkspace>(*m_doc))
{
    setObjectName(QStringLiteral("frmMain"));
    m_doc->SetHost(this);
    m_workspace->SetView(this);
    buildWindow();
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    // The document goes after the widgets that show it.
    m_doc->SetHost(nullptr);
    m_workspace->SetView(nullptr);
    m_doc->disconnect(this);
    delete m_build;
    m_build = nullptr;
    delete takeCentralWidget();
}

// ---------------------------------------------------------------- layout

void TfrmMain::buildWindow()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    setFont(font);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    m_client->setFixedSize(kClientWidth, kClientHeight);
    // Silver, with every colour read against it: the same under any theme.
    UseProgramPalette(m_client);
    setCentralWidget(m_client);

    m_whatsThis = new TWhatsThis(this);
    buildMenus();
    buildTop();

    // The four state panels, stacked at the same place; each fills its own.
    pnlChoose = MakePanel(m_client, "pnlChoose", 2, 96, 629, 294);
    m_choose = new TChoosePanel(pnlChoose, *m_doc, *m_whatsThis, this);
    pnlBuild = MakePanel(m_client, "pnlBuild", 4, 95, 625, 297);
    m_build = new TBuildWorkspace(pnlBuild, m_doc->Page(), this);
    pnlView = MakePanel(m_client, "pnlView", 0, 96, 629, 295);
    m_view = new TViewPanel(pnlView, *m_doc, *m_whatsThis, this);
    pnlSend = MakePanel(m_client, "pnlSend", 2, 96, 629, 294);
    m_send = new TSendPanel(pnlSend, *m_whatsThis, this);
    for (QFrame *panel : {pnlChoose, pnlBuild, pnlView, pnlSend})
        panel->hide();

    // The blinking drag hint sits above the palette and the column it talks about.
    lblBuildRight = MakeLabel(pnlBuild, "lblBuildRight", 4, 1, 326, 18);
    lblBuildRight->setAlignment(Qt::AlignCenter);
    QFont small = lblBuildRight->font();
    small.setPointSizeF(7);
    lblBuildRight->setFont(small);
    QPalette hint = lblBuildRight->palette();
    hint.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80)); // navy, as the hints are
    lblBuildRight->setPalette(hint);
    lblBuildRight->hide();

    // The work area the enlarged preview fills.
    pnlMain = MakePanel(m_client, "pnlMain", 0, 0, kClientWidth, kClientHeight);
    pnlMain->setAutoFillBackground(true);
    pnlMain->hide();

    buildBottom();
    timInit = MakeTimer(this, "timInit", 1000);
    timTopPip = MakeTimer(this, "timTopPip", 25);
    ExecFile = new TExecFile(this);
    ExecFile->setObjectName(QStringLiteral("ExecFile"));
    ExecFile->Associate = true;
    ExecFile->OnFail = [this](TExecFile *) { ExecFileFail(); };
    m_gate = new TInputGate(*m_workspace, this, picToolbar, imgView);
    connectHandlers();
    setUpKeyboard();

    setFixedSize(sizeHint());
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmMain::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto add = [](QMenu *menu, const char *name, const char *text) {
        QAction *a = menu->addAction(QString::fromLatin1(text));
        a->setObjectName(QLatin1String(name));
        return a;
    };
    menFile = bar->addMenu(QStringLiteral("&File"));
    menFile->setObjectName(QStringLiteral("menFile"));
    mnuFileNew = add(menFile, "mnuFileNew", "&New");
    menFileOpen = add(menFile, "menFileOpen", "&Open");
    menFileSave = add(menFile, "menFileSave", "&Save");
    menFileSaveAs = add(menFile, "menFileSaveAs", "Save &As");
    menFileMake = add(menFile, "menFileMake", "&Make Template");
    ExternalPreview1 = add(menFile, "ExternalPreview1", "External Preview");
    Sounds = add(menFile, "Sounds", "Sounds");
    Sounds->setCheckable(true);
    menFile->addSeparator();
    menFileExit = add(menFile, "menFileExit", "&Exit");

    // Undo and redo of the page's changes, between File and Help.
    mnuEdit = bar->addMenu(QStringLiteral("&Edit"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    mnuEditUndo = add(mnuEdit, "mnuEditUndo", "&Undo");
    mnuEditUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    mnuEditRedo = add(mnuEdit, "mnuEditRedo", "&Redo");
    mnuEditRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    for (QAction *a : {mnuEditUndo, mnuEditRedo}) {
        a->setShortcutContext(Qt::WindowShortcut);
        a->setEnabled(false);
    }

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpTopics = add(mnuHelp, "mnuHelpTopics", "&Help Topics");
    mnuHelp->addSeparator();
    menHelpAbout = add(mnuHelp, "menHelpAbout", "&About");
}

void TfrmMain::buildTop()
{
    pnlTopPip = MakePanel(m_client, "pnlTopPip", 7, 2, 620, kToolbarHeight);
    picToolbar = MakeImage(pnlTopPip, "picToolbar", 0, 0, 620, kToolbarHeight);
    picRedPill = MakeImage(pnlTopPip, "picRedPill", 0, 0, 146, kToolbarHeight);
    picRedPill->hide();
    // Clicks on the highlight count as clicks on the toolbar underneath.
    picRedPill->setAttribute(Qt::WA_TransparentForMouseEvents);
    picWindy = MakeLabel(pnlTopPip, "picWindy", 24, kPipTop, 64, 59);
    picWindy->hide();
    for (const char *sprite : {"imgWindyPip", "imgWindyPipB"})
        MakeLabel(m_client, sprite, 0, 0, 64, 59)->hide();
}

void TfrmMain::buildBottom()
{
    Panel3 = MakePanel(m_client, "Panel3", 0, kClientHeight - kBottomStripHeight, kClientWidth,
                       kBottomStripHeight);
    pnlLower = MakePanel(Panel3, "pnlLower", 11, 10, 613, 39);
    imgView = MakeImage(pnlLower, "imgView", 4, 9, 54, 20, 91);
    imgLogo = MakeImage(pnlLower, "imgLogo", 118, 2, 377, 34, 90);
    imgExit = MakeImage(pnlLower, "imgExit", 556, 10, 51, 18, 96);
    for (QWidget *w : {imgView, imgLogo, imgExit})
        m_whatsThis->Watch(w);
}

void TfrmMain::connectHandlers()
{
    connect(picToolbar, &TImage::mouseUp, this, [this](Qt::MouseButton b, QPoint p) { picToolBarMouseUp(b, p.x()); });
    connect(menFileExit, &QAction::triggered, this, &QWidget::close);
    connect(Sounds, &QAction::triggered, this, &TfrmMain::SoundsClick);
    connect(mnuHelpTopics, &QAction::triggered, this, [this] { THelp::ShowContents(this); });
    connect(menHelpAbout, &QAction::triggered, this, &TfrmMain::menHelpAboutClick);
    connect(mnuFileNew, &QAction::triggered, this, &TfrmMain::mnuFileNewClick);
    connect(menFileOpen, &QAction::triggered, this, &TfrmMain::menFileOpenClick);
    connect(menFileSave, &QAction::triggered, m_doc.get(), &TDocument::SaveCommand);
    connect(menFileSaveAs, &QAction::triggered, m_doc.get(), &TDocument::SaveAsCommand);
    connect(menFileMake, &QAction::triggered, m_doc.get(), &TDocument::MakeTemplate);
    connect(ExternalPreview1, &QAction::triggered, this, &TfrmMain::ExternalPreview1Click);
    connect(timInit, &QTimer::timeout, this, &TfrmMain::timInitTimer);
    connect(mnuEditUndo, &QAction::triggered, m_doc.get(), &TDocument::Undo);
    connect(mnuEditRedo, &QAction::triggered, m_doc.get(), &TDocument::Redo);

    connect(imgExit, &TImage::mouseDown, this, [this](Qt::MouseButton b) { imgExitMouseDown(b); });
    connect(imgExit, &TImage::mouseUp, this, [this](Qt::MouseButton b) { imgExitMouseUp(b); });
    connect(imgExit, &TImage::clicked, this, &QWidget::close);
    connect(imgView, &TImage::mouseDown, this, [this](Qt::MouseButton b) { imgViewMouseDown(b); });
    connect(imgView, &TImage::mouseUp, this, [this](Qt::MouseButton b) { imgViewMouseUp(b); });
    connect(imgView, &TImage::clicked, this, &TfrmMain::imgViewClick);

    // The panels' requests.
    connect(m_choose, &TChoosePanel::openRequested, m_workspace.get(), &TWorkspace::OpenPage);
    connect(m_view, &TViewPanel::linkClicked, this, &TfrmMain::ShowInBrowser);
    connect(m_send, &TSendPanel::openAddress, this, &TfrmMain::ShowInBrowser);
    connect(m_build, &TBuildWorkspace::firstBlockDropped, this, [this] {
        timInit->stop();
        lblBuildRight->show();
    });
    connect(m_build, &TBuildWorkspace::whatsThisRequested, this,
            [this](QWidget *, QPoint globalPos, int context) { m_whatsThis->PopUp(context, globalPos); });

    // What the document and the workspace announce.
    connect(m_doc.get(), &TDocument::captionChanged, this, &QWidget::setWindowTitle);
    connect(m_doc.get(), &TDocument::blocksEmptied, m_build, &TBuildWorkspace::FreeAllBlocksView);
    connect(m_doc.get(), &TDocument::blocksRead, m_build, &TBuildWorkspace::SyncTiles);
    connect(m_doc.get(), &TDocument::fileListChanged, m_send, &TSendPanel::SetFiles);
    // Every change of the page goes into the document's history; leaving a
    // field ends its typing step.
    connect(m_build, &TBuildWorkspace::pageEdited, m_doc.get(),
            [this](EditStep step, int kind, const QString &key) { m_doc->RecordEdit(step, kind, key); });
    connect(qApp, &QApplication::focusChanged, m_doc.get(), [this] { m_doc->EndTyping(); });
    connect(m_doc.get(), &TDocument::pageRestored, m_build, &TBuildWorkspace::ShowRestoredPage);
    connect(m_doc.get(), &TDocument::historyChanged, this, &TfrmMain::updateEditMenu);
    connect(m_workspace.get(), &TWorkspace::stateChanged, this, &TfrmMain::updateEditMenu);
    // The fields' own undo keys go to the page's undo, so that there is one history.
    m_editKeys = new TEditKeys(this);
    for (QWidget *w : m_client->findChildren<QWidget *>())
        if ((qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w))
            && w->objectName() != QLatin1String("memHTML"))
            w->installEventFilter(m_editKeys);
    connect(m_workspace.get(), &TWorkspace::closeRequested, this,
            [this] { QTimer::singleShot(0, this, &QWidget::close); });
}

void TfrmMain::updateEditMenu()
{
    // The page is shown for changing in Build, View and Send.
    const bool pageShown = m_workspace->State() != wsChoose;
    mnuEditUndo->setText(m_doc->UndoText());
    mnuEditRedo->setText(m_doc->RedoText());
    mnuEditUndo->setEnabled(pageShown && m_doc->CanUndo());
    mnuEditRedo->setEnabled(pageShown && m_doc->CanRedo());
}

// ---------------------------------------------------------------- start-up

void TfrmMain::FormCreate()
{
    // The application's message hook (message 1148) and exception handler are
    // installed by the application object at start-up.
    if (m_options.detectCompanion)
        WobbinRunning();

    const QString appDir = m_options.appDir.isEmpty() ? QCoreApplication::applicationDirPath() : m_options.appDir;
    m_doc->SetAppDir(appDir);
    WriteSetting(QStringLiteral("General"), QStringLiteral("Path"),
                 QDir::toNativeSeparators(QCoreApplication::applicationFilePath()));
    THelp::SetHelpFolder(ToNativePath(JoinPath(appDir, QStringLiteral("Help"))));
    m_view->SetHTMLFolder(m_doc->HTMLFolder());
    m_build->SetHTMLFolder(m_doc->HTMLFolder());

    Sounds->setChecked(StartSoundSwitch());

    m_build->AssignHelpContext();
    StringEmUp();
    PaintEmAll();

    const QString nativeHtml = ToNativePath(m_doc->HTMLFolder());
    if (QDir(nativeHtml).exists())
        QDir::setCurrent(nativeHtml);
    m_doc->RemovePreviewFile();
    m_doc->LoadStyleLibrary();

    SendCreate();

    m_workspace->SelectTab(wsChoose);
    timInit->start();
}

void TfrmMain::FormShow()
{
    // A damaged or missing style library is told once the window is up.
    m_doc->TellStyleLibraryProblem();
    m_workspace->OpenStartPage(m_options.commandLineFile);
    // The keyboard starts on the toolbar (in Build, with a page named on the
    // command line, on its first block), with its focus frame showing.
    setAttribute(Qt::WA_KeyboardFocusChange);
    const QWidget *focus = focusWidget();
    if (m_workspace->State() == wsChoose || !focus || !focus->isVisible())
        picToolbar->setFocus(Qt::TabFocusReason);
    // What loading the server list had to say (a damaged password, where passwords are kept).
    ShowServerListNotices(this);
}

void TfrmMain::StringEmUp()
{
    const QString fontName = LoadStr(Msg::DefaultFontName);
    QFont f = font();
    f.setFamily(fontName);
    setFont(f);
    QApplication::setApplicationName(LoadStr(Msg::ProgramName));
    setWindowTitle(LoadStr(Msg::ProgramName));

    SetText(lblBuildRight, Msg::DragBlocksHint);
    m_imgViewHint = LoadStr(Msg::ZoomPreview);
    imgExit->setToolTip(LoadStr(Msg::LeaveProgram));
    menFile->setTitle(LoadStr(Msg::MenuFile));
    mnuFileNew->setText(LoadStr(Msg::MenuNew));
    menFileOpen->setText(LoadStr(Msg::MenuOpen));
    menFileSave->setText(LoadStr(Msg::MenuSave));
    menFileSaveAs->setText(LoadStr(Msg::MenuSaveAs));
    menFileMake->setText(LoadStr(Msg::MenuMakeTemplate));
    ExternalPreview1->setText(LoadStr(Msg::ExternalPreview));
    menFileExit->setText(LoadStr(Msg::MenuExit));
    mnuEdit->setTitle(LoadStr(Msg::MenuEdit));
    updateEditMenu();
    mnuHelp->setTitle(LoadStr(Msg::MenuHelp));
    mnuHelpTopics->setText(LoadStr(Msg::MenuHelpTopics));
    menHelpAbout->setText(LoadStr(Msg::MenuAbout));
    m_whatsThis->Item()->setText(LoadStr(Msg::WhatsThis));
    m_choose->StringEmUp();
    m_view->StringEmUp();
    m_send->StringEmUp();
}

void TfrmMain::PaintEmAll()
{
    ShowToolbar(ToolbarBitmap(m_workspace->CompanionRunning()));
    ShowImage(imgLogo, QStringLiteral("Logo"));
    ShowImage(imgView, QStringLiteral("Max_Dis"));
    ShowImage(imgExit, QStringLiteral("Exit_Up"));
    m_choose->PaintEmAll();
    m_send->PaintEmAll();
    // The Build workspace paints its own palette, tiles and shredder.
}

void TfrmMain::WobbinRunning()
{
    const CompanionState state = ::wobbin::WobbinRunning();
    if (!state.running)
        return;
    CompanionLink link;
    if (std::shared_ptr<TCompanionServer> server = state.server) {
        link.IsOpenDoc = [server](bool &isOpen) { return server->IsOpenDoc(isOpen); };
        link.OpenNewFile = [server] { return server->OpenNewFile(); };
        link.PutTextAtCursor = [server](const QString &html) { return server->PutTextAtCursor(html); };
    }
    // Without an automation object the editor counts as running and the
    // hand-over reports that it cannot talk to it.
    m_workspace->SetCompanion(true, std::move(link));
}

// ---------------------------------------------------------------- window handlers

void TfrmMain::picToolBarMouseUp(Qt::MouseButton button, int x)
{
    m_workspace->ToolbarClick(button == Qt::LeftButton, x);
}

void TfrmMain::keyPressEvent(QKeyEvent *event)
{
    // A running upload is cancelled with Escape in its own (modal) dialog.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_F1 && (event->modifiers() & Qt::ShiftModifier)) {
        whatsThisForFocus();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_F1) {
        // The help key opens the topic of the focused control (or of the
        // nearest control around it that has one), else the contents.
        int context = 0;
        for (QWidget *w = focusWidget(); w && w != this && !context; w = w->parentWidget())
            if (!w->objectName().startsWith(QStringLiteral("imgBr")))
                context = TagOf(w);
        if (context > 0)
            THelp::ShowTopic(context, this);
        else
            THelp::ShowContents(this);
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void TfrmMain::timInitTimer()
{
    const bool shown = !lblBuildRight->isHidden();
    lblBuildRight->setVisible(!shown);
    timInit->setInterval(shown ? 500 : 1000);
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    // Open a page named on the command line once the window is on screen.
    QTimer::singleShot(0, this, &TfrmMain::FormShow);
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    // Busy (a tab change, a save): the window closes once that is done.
    if (!m_closing && (!m_workspace->RequestClose() || !m_doc->MayClose())) {
        event->ignore();
        return;
    }
    m_closing = true;
    timInit->stop();
    m_send->StopFlashing();
    event->accept();
}

void TfrmMain::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    placeBottomStrip();
}

void TfrmMain::placeBottomStrip()
{
    if (!m_client || !Panel3)
        return;
    const int w = m_client->width();
    const int h = m_client->height();
    Panel3->setGeometry(0, h - kBottomStripHeight, w, kBottomStripHeight);
    pnlLower->move((w - pnlLower->width()) / 2, pnlLower->y());
    pnlMain->setGeometry(0, 0, w, h - kBottomStripHeight);
    m_view->FitEnlarged(QRect(2, 2, pnlMain->width() - 4, pnlMain->height() - 2));
}

// ---------------------------------------------------------------- bottom strip

void TfrmMain::imgExitMouseDown(Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        ShowImage(imgExit, QStringLiteral("Exit_Dn"));
}

void TfrmMain::imgExitMouseUp(Qt::MouseButton button)
{
    if (button == Qt::LeftButton)
        ShowImage(imgExit, QStringLiteral("Exit_Up"));
}

bool TfrmMain::PreviewEnlarged() const { return m_view->Enlarged(); }

void TfrmMain::imgViewClick()
{
    if (m_workspace->PreviewToggleAllowed(m_view->WebTabShown()))
        togglePreviewSize();
}

void TfrmMain::imgViewMouseDown(Qt::MouseButton button)
{
    if (button == Qt::LeftButton && m_workspace->PreviewToggleAllowed(m_view->WebTabShown()))
        ShowImage(imgView, PreviewEnlarged() ? QStringLiteral("Min_Dn") : QStringLiteral("Max_Dn"));
}

void TfrmMain::imgViewMouseUp(Qt::MouseButton button)
{
    if (button == Qt::LeftButton && m_workspace->PreviewToggleAllowed(m_view->WebTabShown()))
        ShowImage(imgView, PreviewEnlarged() ? QStringLiteral("Min_Up") : QStringLiteral("Max_Up"));
}

void TfrmMain::togglePreviewSize()
{
    setPreviewEnlarged(!PreviewEnlarged());
    m_doc->ShowRover();
}

void TfrmMain::setPreviewEnlarged(bool enlarge)
{
    if (enlarge == PreviewEnlarged())
        return;
    menFile->setEnabled(!enlarge);
    menFile->menuAction()->setEnabled(!enlarge);
    if (enlarge) {
        m_normalPos = pos();
        // The fixed window grows to the screen's available area, its frame
        // included; the bottom strip and the enlarged viewer follow its size
        // (placeBottomStrip).
        layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        m_client->setMinimumSize(kClientWidth, kClientHeight);
        m_client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        pnlMain->show();
        pnlMain->raise();
        Panel3->raise();
        m_view->Enlarge(pnlMain);
        const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                             frameGeometry().right() - geometry().right(),
                             frameGeometry().bottom() - geometry().bottom());
        showMaximized();
        if (const QScreen *s = screen())
            setGeometry(s->availableGeometry().marginsRemoved(frame));
    } else {
        showNormal();
        m_client->setFixedSize(kClientWidth, kClientHeight);
        layout()->setSizeConstraint(QLayout::SetFixedSize);
        setFixedSize(sizeHint());
        pnlMain->hide();
        m_view->Restore();
        move(m_normalPos);
    }
    placeBottomStrip();
    ShowImage(imgView, enlarge ? QStringLiteral("Min_Up") : QStringLiteral("Max_Up"));
    imgView->repaint();
}

// ---------------------------------------------------------------- commands

void TfrmMain::mnuFileNewClick() { m_workspace->NewPage(); }

void TfrmMain::menFileOpenClick()
{
    const FileDialogSetup setup = m_doc->OpenDialog();
    const FileDialogResult r = OpenFileDialog(this, setup.Title, setup.Folder, setup.FileName, setup.Filter);
    // The filter chosen decides the kind, not the file's extension.
    if (r.Chosen)
        m_workspace->OpenPage(r.FileName, r.FilterIndex == 1);
}

void TfrmMain::ExternalPreview1Click()
{
    const QString file = m_doc->WriteExternalPreview();
    if (file.isEmpty())
        ExecFileFail();
    else
        openInBrowser(file);
}

void TfrmMain::ShowInBrowser(const QString &address)
{
    const TResult<QString> page = WriteRedirectPage(address);
    if (!page.ok())
        ExecFileFail();
    else
        openInBrowser(page.value());
}

void TfrmMain::openInBrowser(const QString &file)
{
    ExecFile->SetCommandLine(file);
    ExecFile->SetParameters(QString());
    ExecFile->Wait = false;
    ExecFile->Execute();
}

void TfrmMain::ExecFileFail()
{
    MsgBox(this, TMessages::Get().PreviewFailed, QMessageBox::NoIcon, QMessageBox::Ok);
}

void TfrmMain::SoundsClick()
{
    // The action has toggled its check mark already; the setting follows it.
    SetSoundSwitch(Sounds->isChecked());
}

void TfrmMain::menHelpAboutClick()
{
    QCoreApplication::processEvents();
    ShowAbout(this);
}

} // namespace wobbin
