// The main window: construction, layout of every region, start-up and the
// window-level handlers.
#include "workspace/frmMain.h"

#include "app/ExecFile.h"
#include "base/Paths.h"
#include "app/Settings.h"
#include "app/Skin_gui.h"
#include "app/StringTable.h"
#include "page/PageDocument.h"
#include "styles/StyleLibrary.h"
#include "viewer/HtmlViewer.h"
#include "workspace/BuildWorkspace.h"
#include "workspace/Help.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace wobbin {

namespace {

constexpr int kClientWidth = 631;
constexpr int kClientHeight = 433;
constexpr int kBottomStripHeight = 49;

QFrame *MakePanel(QWidget *parent, const char *name, int x, int y, int w, int h,
                  QFrame::Shape shape = QFrame::NoFrame)
{
    auto *p = new QFrame(parent);
    p->setObjectName(QLatin1String(name));
    p->setGeometry(x, y, w, h);
    p->setFrameShape(shape);
    if (shape != QFrame::NoFrame)
        p->setFrameShadow(QFrame::Sunken);
    return p;
}

TImage *MakeImage(QWidget *parent, const char *name, int x, int y, int w, int h, int tag = 0)
{
    auto *img = new TImage(parent);
    img->setObjectName(QLatin1String(name));
    img->setGeometry(x, y, w, h);
    img->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SetTag(img, tag);
    return img;
}

QLabel *MakeLabel(QWidget *parent, const char *name, int x, int y, int w, int h, bool wrap = false)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setGeometry(x, y, w, h);
    l->setWordWrap(wrap);
    l->setAlignment(Qt::AlignLeft | (wrap ? Qt::AlignTop : Qt::AlignVCenter));
    return l;
}

QTimer *MakeTimer(QObject *parent, const char *name, int interval)
{
    auto *t = new QTimer(parent);
    t->setObjectName(QLatin1String(name));
    t->setInterval(interval);
    return t;
}

} // namespace

void ShowImage(QLabel *image, const QString &bitmapName)
{
    if (!image)
        return;
    const QPixmap pm = LoadBitmap(bitmapName);
    if (pm.isNull())
        return;
    image->setPixmap(pm);
    image->setProperty("Bitmap", bitmapName);
    image->update();
}

TfrmMain::TfrmMain(const Options &options, QWidget *parent)
    : QMainWindow(parent), m_doc(std::make_unique<TPageDocument>()),
      CurrentBlockIndex(m_doc->CurrentBlockIndex), CurrentSlot(m_doc->CurrentSlot),
      PageTitle(m_doc->PageTitle), DocumentChanged(m_doc->DocumentChanged), m_options(options)
{
    setObjectName(QStringLiteral("frmMain"));
    buildWindow();
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    // The document is a member and goes before Qt deletes the child widgets:
    // take down the workspace and the panels that refer to it first.
    if (m_build) {
        m_build->disconnect(this);
        delete m_build;
        m_build = nullptr;
    }
    delete takeCentralWidget();
}

// ---------------------------------------------------------------- layout

void TfrmMain::buildWindow()
{
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                   | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(8);
    setFont(font);

    m_client = new QWidget(this);
    m_client->setObjectName(QStringLiteral("ClientArea"));
    m_client->setFixedSize(kClientWidth, kClientHeight);
    m_client->setAutoFillBackground(true);
    QPalette pal = m_client->palette();
    pal.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0)); // silver
    pal.setColor(QPalette::Button, QColor(0xC0, 0xC0, 0xC0));
    m_client->setPalette(pal);
    setCentralWidget(m_client);

    buildMenus();
    buildTop();
    buildChoose();
    buildBuild();
    buildView();
    buildSend();
    buildBottom();
    buildTimers();
    buildHelpers();
    connectHandlers();

    setFixedSize(sizeHint());
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmMain::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    menFile = bar->addMenu(QStringLiteral("&File"));
    menFile->setObjectName(QStringLiteral("menFile"));
    auto add = [this](QMenu *menu, const char *name, const char *text) {
        QAction *a = menu->addAction(QString::fromLatin1(text));
        a->setObjectName(QLatin1String(name));
        return a;
    };
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

    mnuHelp = bar->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpTopics = add(mnuHelp, "mnuHelpTopics", "&Help Topics");
    mnuHelp->addSeparator();
    menHelpAbout = add(mnuHelp, "menHelpAbout", "&About");

    popWhatsThis = new QMenu(this);
    popWhatsThis->setObjectName(QStringLiteral("popWhatsThis"));
    popMenWhatsThis = add(popWhatsThis, "popMenWhatsThis", "What's This?");

    popFiles = new QMenu(this);
    popFiles->setObjectName(QStringLiteral("popFiles"));
    Delete1 = add(popFiles, "Delete1", "Delete");
    Rename1 = add(popFiles, "Rename1", "Rename");
    WhatsThis1 = add(popFiles, "WhatsThis1", "What's This?");
}

void TfrmMain::buildTop()
{
    pnlTopPip = MakePanel(m_client, "pnlTopPip", 7, 2, 620, 96);
    picToolbar = MakeImage(pnlTopPip, "picToolbar", 0, 0, 620, 96);
    picRedPill = MakeImage(pnlTopPip, "picRedPill", 0, 0, 146, 96);
    picRedPill->hide();
    // Clicks on the highlight count as clicks on the toolbar underneath.
    picRedPill->setAttribute(Qt::WA_TransparentForMouseEvents);
    picWindy = MakeLabel(pnlTopPip, "picWindy", 24, 12, 64, 59);
    picWindy->hide();
    imgWindyPip = MakeLabel(m_client, "imgWindyPip", 0, 0, 64, 59);
    imgWindyPip->hide();
    imgWindyPipB = MakeLabel(m_client, "imgWindyPipB", 0, 0, 64, 59);
    imgWindyPipB->hide();
}

void TfrmMain::buildChoose()
{
    pnlChoose = MakePanel(m_client, "pnlChoose", 2, 96, 629, 294);
    pnlChoose->hide();
    lblChooseDesc1 = MakeLabel(pnlChoose, "lblChooseDesc1", 12, 6, 400, 16);
    lblChooseDesc2 = MakeLabel(pnlChoose, "lblChooseDesc2", 12, 22, 400, 30, true);
    lblChoosePages = MakeLabel(pnlChoose, "lblChoosePages", 12, 54, 200, 16);
    QFont bold = lblChoosePages->font();
    bold.setBold(true);
    lblChoosePages->setFont(bold);

    lvTemplates = new QListWidget(pnlChoose);
    lvTemplates->setObjectName(QStringLiteral("lvTemplates"));
    lvTemplates->setGeometry(12, 72, 390, 214);
    lvTemplates->setViewMode(QListView::ListMode);
    lvTemplates->setFlow(QListView::TopToBottom);
    lvTemplates->setWrapping(true);
    lvTemplates->setResizeMode(QListView::Adjust);
    lvTemplates->setIconSize(QSize(32, 32));
    lvTemplates->setSpacing(2);
    lvTemplates->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SetTag(lvTemplates, 20);

    lblChoosePreview = MakeLabel(pnlChoose, "lblChoosePreview", 418, 54, 200, 16);
    lblChoosePreview->setFont(bold);
    Panel2 = MakePanel(pnlChoose, "Panel2", 418, 70, 200, 223, QFrame::Panel);
    SetTag(Panel2, 11);
    imgPreView = MakeImage(Panel2, "imgPreView", 2, 2, 196, 219, 11);
    imgPreView->setScaledContents(true);
    imgPreView->hide();
    imgFrontPip = MakeImage(Panel2, "imgFrontPip", (200 - 83) / 2, (223 - 98) / 2, 83, 98, 11);
}

void TfrmMain::buildBuild()
{
    pnlBuild = MakePanel(m_client, "pnlBuild", 4, 95, 625, 297);
    pnlBuild->hide();
    m_build = new TBuildWorkspace(pnlBuild, *m_doc, this);
    m_build->BindFlags(&SuppressFieldEvents, &LoadingDocument);
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
}

void TfrmMain::buildView()
{
    pnlView = MakePanel(m_client, "pnlView", 0, 96, 629, 295);
    pnlView->hide();

    pagePreview = new QTabWidget(pnlView);
    pagePreview->setObjectName(QStringLiteral("pagePreview"));
    pagePreview->setGeometry(8, 2, 615, 207);
    pagePreview->setDocumentMode(false);
    tabWebView = new QWidget;
    tabWebView->setObjectName(QStringLiteral("tabWebView"));
    tabHTML = new QWidget;
    tabHTML->setObjectName(QStringLiteral("tabHTML"));
    pagePreview->addTab(tabWebView, QStringLiteral("Web"));
    pagePreview->addTab(tabHTML, QStringLiteral("HTML"));

    auto *viewer = new THtmlViewer(tabWebView, THtmlViewer::Variant::Preview);
    viewer->setObjectName(QStringLiteral("ctlHTML"));
    viewer->setGeometry(0, 0, 609, 181);
    ctlHTML = viewer;
    SetTag(ctlHTML, 21);

    memHTML = new QPlainTextEdit(tabHTML);
    memHTML->setObjectName(QStringLiteral("memHTML"));
    memHTML->setGeometry(0, 0, 609, 181);
    memHTML->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono(QStringLiteral("Courier New"));
    mono.setStyleHint(QFont::TypeWriter);
    mono.setPointSize(9);
    memHTML->setFont(mono);
    SetTag(memHTML, 32);

    lblPreStyle = MakeLabel(pnlView, "lblPreStyle", 10, 212, 150, 16);
    lstStyles = new QListWidget(pnlView);
    lstStyles->setObjectName(QStringLiteral("lstStyles"));
    lstStyles->setGeometry(10, 228, 160, 62);
    SetTag(lstStyles, 31);
    btnEditStyle = new QPushButton(pnlView);
    btnEditStyle->setObjectName(QStringLiteral("btnEditStyle"));
    btnEditStyle->setGeometry(176, 228, 92, 24);
    SetTag(btnEditStyle, 31);

    pnlTitle = MakePanel(pnlView, "pnlTitle", 280, 212, 340, 44, QFrame::Panel);
    SetTag(pnlTitle, 30);
    lblTitleCaption = MakeLabel(pnlTitle, "lblTitleCaption", 6, 3, 200, 14);
    txtTitle = new QLineEdit(pnlTitle);
    txtTitle->setObjectName(QStringLiteral("txtTitle"));
    txtTitle->setGeometry(6, 18, 328, 21);
    SetTag(txtTitle, 30);

    chkLogo = new QCheckBox(pnlView);
    chkLogo->setObjectName(QStringLiteral("chkLogo"));
    chkLogo->setGeometry(176, 258, 200, 18);
    chkLogo->setChecked(true);
    SetTag(chkLogo, 33);

    lblPreDesc = MakeLabel(pnlView, "lblPreDesc", 382, 258, 238, 34, true);

    pnlMain = MakePanel(m_client, "pnlMain", 0, 0, kClientWidth, kClientHeight);
    pnlMain->setAutoFillBackground(true);
    pnlMain->hide();
}

void TfrmMain::buildSend()
{
    pnlSend = MakePanel(m_client, "pnlSend", 2, 96, 629, 294);
    pnlSend->hide();

    lblUpServer = MakeLabel(pnlSend, "lblUpServer", 10, 4, 176, 28, true);
    cmbServers = new QComboBox(pnlSend);
    cmbServers->setObjectName(QStringLiteral("cmbServers"));
    cmbServers->setGeometry(10, 34, 172, 22);
    SetTag(cmbServers, 42);
    spdEditWWW = new QToolButton(pnlSend);
    spdEditWWW->setObjectName(QStringLiteral("spdEditWWW"));
    spdEditWWW->setGeometry(10, 60, 172, 24);
    SetTag(spdEditWWW, 43);
    lblUploadFiles = MakeLabel(pnlSend, "lblUploadFiles", 10, 92, 170, 16);
    lstFiles = new QListWidget(pnlSend);
    lstFiles->setObjectName(QStringLiteral("lstFiles"));
    lstFiles->setGeometry(10, 108, 172, 138);
    SetTag(lstFiles, 41);
    lblUpDesc = MakeLabel(pnlSend, "lblUpDesc", 10, 250, 176, 42, true);

    imgWebBack = MakeImage(pnlSend, "imgWebBack", 192, 70, 420, 210, 46);
    // The seven partner logos and the user's page sit under the magnifier.
    const char *names[] = {"imgQuorPage", "imgOrtexPage", "imgPartner2Page", "imgPartner3Page",
                           "imgPartner4Page", "imgPartner5Page", "imgPartner6Page", "imgYourPage"};
    TImage **targets[] = {&imgQuorPage, &imgOrtexPage, &imgPartner2Page, &imgPartner3Page,
                        &imgPartner4Page, &imgPartner5Page, &imgPartner6Page, &imgYourPage};
    for (int i = 0; i < 8; ++i) {
        *targets[i] = MakeImage(pnlSend, names[i], 192 + 22, 70 + 91, 88, 66, 46);
        (*targets[i])->setAlignment(Qt::AlignCenter);
        (*targets[i])->hide();
    }
    lblMag = MakeLabel(pnlSend, "lblMag", 192, 278, 420, 16);
    lblMag->setAlignment(Qt::AlignCenter);

    imgUpload = MakeImage(pnlSend, "imgUpload", 518, 98, 71, 93, 40);
    lblUpRotate1 = MakeLabel(pnlSend, "lblUpRotate1", 196, 4, 80, 16);
    lblUpRotate2 = MakeLabel(pnlSend, "lblUpRotate2", 540, 4, 80, 16);
    lblUpRotate2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    imgUploadLeft = MakeImage(pnlSend, "imgUploadLeft", 200, 24, 32, 32, 46);
    imgUploadRight = MakeImage(pnlSend, "imgUploadRight", 584, 24, 32, 32, 46);
}

void TfrmMain::buildBottom()
{
    Panel3 = MakePanel(m_client, "Panel3", 0, kClientHeight - kBottomStripHeight, kClientWidth,
                       kBottomStripHeight);
    pnlLower = MakePanel(Panel3, "pnlLower", 11, 10, 613, 39);
    imgView = MakeImage(pnlLower, "imgView", 4, 9, 54, 20, 91);
    imgLogo = MakeImage(pnlLower, "imgLogo", 118, 2, 377, 34, 90);
    imgExit = MakeImage(pnlLower, "imgExit", 556, 10, 51, 18, 96);
}

void TfrmMain::buildTimers()
{
    timInit = MakeTimer(this, "timInit", 1000);
    timAnim = MakeTimer(this, "timAnim", 10);
    timUp = MakeTimer(this, "timUp", 250);
    timDown = MakeTimer(this, "timDown", 250);
    timShredder = MakeTimer(this, "timShredder", 100);
    timTopPip = MakeTimer(this, "timTopPip", 25);
    timWebAn = MakeTimer(this, "timWebAn", 250);
    timUpload = MakeTimer(this, "timUpload", 50);
    timFlashPage = MakeTimer(this, "timFlashPage", 500);
}

void TfrmMain::buildHelpers()
{
    tmpMemo = new QPlainTextEdit(m_client);
    tmpMemo->setObjectName(QStringLiteral("tmpMemo"));
    tmpMemo->hide();
    ExecFile = new TExecFile(this);
    ExecFile->setObjectName(QStringLiteral("ExecFile"));
    ExecFile->Associate = true;
    ExecFile->OnFail = [this](TExecFile *) { ExecFileFail(); };
}

void TfrmMain::attachRightClickHelp(QWidget *control)
{
    if (control)
        control->installEventFilter(this);
}

void TfrmMain::connectHandlers()
{
    connect(picToolbar, &TImage::mouseUp, this,
            [this](Qt::MouseButton b, QPoint p) { picToolBarMouseUp(b, p.x(), p.y()); });
    connect(menFileExit, &QAction::triggered, this, &TfrmMain::menFileExitClick);
    connect(Sounds, &QAction::triggered, this, &TfrmMain::SoundsClick);
    connect(popMenWhatsThis, &QAction::triggered, this, &TfrmMain::popMenWhatsThisClick);
    connect(WhatsThis1, &QAction::triggered, this, &TfrmMain::WhatsThis1Click);
    connect(mnuHelpTopics, &QAction::triggered, this, &TfrmMain::mnuHelpTopicsClick);
    connect(menHelpAbout, &QAction::triggered, this, &TfrmMain::menHelpAboutClick);
    connect(mnuFileNew, &QAction::triggered, this, &TfrmMain::mnuFileNewClick);
    connect(menFileOpen, &QAction::triggered, this, &TfrmMain::menFileOpenClick);
    connect(menFileSave, &QAction::triggered, this, &TfrmMain::menFileSaveClick);
    connect(menFileSaveAs, &QAction::triggered, this, &TfrmMain::menFileSaveAsClick);
    connect(ExternalPreview1, &QAction::triggered, this, &TfrmMain::ExternalPreview1Click);

    connect(timInit, &QTimer::timeout, this, &TfrmMain::timInitTimer);
    connect(timTopPip, &QTimer::timeout, this, &TfrmMain::timTopPipTimer);
    connect(timWebAn, &QTimer::timeout, this, &TfrmMain::timWebAnTimer);
    connect(timFlashPage, &QTimer::timeout, this, &TfrmMain::timFlashPageTimer);

    connect(imgExit, &TImage::mouseDown, this, &TfrmMain::imgExitMouseDown);
    connect(imgExit, &TImage::mouseUp, this, &TfrmMain::imgExitMouseUp);
    connect(imgExit, &TImage::clicked, this, &TfrmMain::imgExitClick);
    connect(imgView, &TImage::mouseDown, this, &TfrmMain::imgViewMouseDown);
    connect(imgView, &TImage::mouseUp, this, &TfrmMain::imgViewMouseUp);
    connect(imgView, &TImage::clicked, this, &TfrmMain::imgViewClick);
    connect(imgUploadLeft, &TImage::clicked, this, &TfrmMain::imgUploadLeftClick);
    connect(imgUploadRight, &TImage::clicked, this, &TfrmMain::imgUploadRightClick);
    connect(imgUploadLeft, &TImage::mouseDown, this, [this](Qt::MouseButton b, QPoint) {
        if (b == Qt::LeftButton)
            ShowImage(imgUploadLeft, QStringLiteral("Web_LeftDn"));
    });
    connect(imgUploadLeft, &TImage::mouseUp, this, [this](Qt::MouseButton b, QPoint) {
        if (b == Qt::LeftButton)
            ShowImage(imgUploadLeft, QStringLiteral("Web_LeftUp"));
    });
    connect(imgUploadRight, &TImage::mouseDown, this, [this](Qt::MouseButton b, QPoint) {
        if (b == Qt::LeftButton)
            ShowImage(imgUploadRight, QStringLiteral("Web_RightDn"));
    });
    connect(imgUploadRight, &TImage::mouseUp, this, [this](Qt::MouseButton b, QPoint) {
        if (b == Qt::LeftButton)
            ShowImage(imgUploadRight, QStringLiteral("Web_RightUp"));
    });

    connect(lvTemplates, &QListWidget::itemClicked, this, [this] { lvTemplatesClick(); });
    connect(lvTemplates, &QListWidget::itemDoubleClicked, this, [this] { lvTemplatesDblClick(); });
    connect(lstStyles, &QListWidget::itemClicked, this, [this] { lstStylesClick(); });
    connect(txtTitle, &QLineEdit::textChanged, this, &TfrmMain::txtTitleChange);
    connect(memHTML, &QPlainTextEdit::textChanged, this, &TfrmMain::memHTMLChange);
    connect(pagePreview, &QTabWidget::currentChanged, this, &TfrmMain::pagePreviewChange);

    connect(m_build, &TBuildWorkspace::documentChanged, this, [this] { DocumentChanged = true; });
    connect(m_build, &TBuildWorkspace::firstBlockDropped, this, [this] {
        timInit->stop();
        lblBuildRight->show();
    });
    connect(m_build, &TBuildWorkspace::whatsThisRequested, this,
            [this](QWidget *, QPoint globalPos, int context) { PopUpWhatsThis(context, globalPos); });

    // Right-click "What's This?" on the window's own controls.
    for (QWidget *w : std::initializer_list<QWidget *>{
             imgFrontPip, imgPreView, Panel2, lstStyles, btnEditStyle, pnlTitle, chkLogo, lstFiles,
             imgWebBack, imgUpload, lvTemplates})
        attachRightClickHelp(w);
    lstStyles->viewport()->installEventFilter(this);
    lstFiles->viewport()->installEventFilter(this);
    lvTemplates->viewport()->installEventFilter(this);
    connectPreviewHandlers();
    connectDocumentHandlers();
}

// ---------------------------------------------------------------- start-up

void TfrmMain::FormCreate()
{
    // The application's message hook (message 1148) and exception handler are
    // installed by the application object at start-up.
    CompanionRunning = false;
    if (m_options.detectCompanion)
        WobbinRunning();

    CurrentBlockIndex = -1;
    TemplateLoading = false;
    PaletteBusy = false;
    TitleEcho = false;
    WhatsThisContext = 1;
    LineBreak = QStringLiteral("\r\n");
    UploadFileNames.clear();

    AppDir = m_options.appDir;
    if (AppDir.isEmpty())
        AppDir = QCoreApplication::applicationDirPath();
    WriteSetting(QStringLiteral("General"), QStringLiteral("Path"),
                 QDir::toNativeSeparators(QCoreApplication::applicationFilePath()));
    HTMLFolder = JoinPath(AppDir, QStringLiteral("HTMLFiles"));
    HelpFile = JoinPath(AppDir, QStringLiteral("Help\\Wobbin Express.html"));
    THelp::SetHelpFolder(ToNativePath(JoinPath(AppDir, QStringLiteral("Help"))));
    if (auto *viewer = qobject_cast<THtmlViewer *>(ctlHTML))
        viewer->SetBaseFolder(HTMLFolder);
    m_build->SetHTMLFolder(HTMLFolder);

    // Palette displays (8 bits per pixel or less) no longer exist; the skin is
    // drawn in full colour everywhere.
    const QScreen *screen = QGuiApplication::primaryScreen();
    PaletteMode = screen && screen->depth() <= 8;

    const QString sounds = ReadSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"));
    if (sounds != QLatin1String("No")) {
        WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"), QStringLiteral("Yes"));
        Sounds->setChecked(true);
    } else {
        Sounds->setChecked(false);
    }

    m_build->AssignHelpContext();
    StringEmUp();
    PaintEmAll();

    const QString nativeHtml = ToNativePath(HTMLFolder);
    if (QDir(nativeHtml).exists()) {
        QDir::setCurrent(nativeHtml);
        QFile::remove(QDir(nativeHtml).filePath(QStringLiteral("~tmpprvw.html")));
    }

    // Style library and its list box.
    Styles = LoadStyles(ToNativePath(JoinPath(AppDir, QStringLiteral("Styles.data"))));
    ShowStyles();

    ShowRedPill(0);
    timInit->start();
}

void TfrmMain::FormShow()
{
    const QString file = m_options.commandLineFile;
    if (file.isEmpty())
        return;
    LoadingDocument = true;
    SuppressFieldEvents = true;
    LoadSavedPage(file);
    if (!m_doc->Blocks.IsEmpty()) {
        m_build->ShowBlock(0);
        m_build->HighLightBlock(0);
    }
    LoadingDocument = false;
    if (!TemplateLoading)
        ShowRedPill(1);
    SuppressFieldEvents = false;
}

// ---------------------------------------------------------------- window handlers

int ToolbarTabAt(int x)
{
    if (x < 0 || x > 480)
        return -1;
    return x / 140;
}

void TfrmMain::picToolBarMouseUp(Qt::MouseButton button, int x, int /*y*/)
{
    if (button != Qt::LeftButton || ToolbarBusy)
        return;
    const int tab = ToolbarTabAt(x);
    if (tab < 0)
        return;
    ShowRedPill(tab);
}

void TfrmMain::LockWindow(QWidget *window)
{
    if (window) {
        ++m_lockDepth;
        m_client->setUpdatesEnabled(false);
        return;
    }
    // Releasing takes the lock off whatever held it, as the platform lock did.
    m_lockDepth = 0;
    m_client->setUpdatesEnabled(true);
    RealisePalette();
    m_client->update();
}

void TfrmMain::RealisePalette()
{
    // Only palette displays need the toolbar's colours realised; true-colour
    // screens draw the skin as it is.
    if (!PaletteMode || PaletteBusy)
        return;
    PaletteBusy = true;
    update();
    PaletteBusy = false;
}

void TfrmMain::FormKeyPress(int key)
{
    if (key == 27 && m_uploadCancel)
        m_uploadCancel();
}

void TfrmMain::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        FormKeyPress(27);
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

void TfrmMain::menFileExitClick() { close(); }

void TfrmMain::timInitTimer()
{
    if (!lblBuildRight->isHidden()) {
        lblBuildRight->hide();
        timInit->setInterval(500);
    } else {
        lblBuildRight->show();
        timInit->setInterval(1000);
    }
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
    if (ToolbarBusy) {
        // A tab change is still walking the mascot; close once it is done.
        m_closePending = true;
        event->ignore();
        return;
    }
    if (m_closing) {
        event->accept();
        return;
    }
    if (!FormClose()) {
        event->ignore();
        return;
    }
    timInit->stop();
    timWebAn->stop();
    timFlashPage->stop();
    m_closing = true;
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
    if (pnlMain)
        pnlMain->setGeometry(0, 0, w, h - kBottomStripHeight);
    if (m_previewEnlarged && ctlHTML && ctlHTML->parentWidget() == pnlMain)
        ctlHTML->setGeometry(2, 2, pnlMain->width() - 4, pnlMain->height() - 2);
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() == Qt::RightButton) {
            QWidget *w = qobject_cast<QWidget *>(watched);
            // A list's viewport answers for its list.
            if (w && w->parentWidget() && !w->property("Tag").isValid()
                && w->parentWidget()->property("Tag").isValid())
                w = w->parentWidget();
            if (w == lvTemplates && lvTemplates->currentItem()
                && lvTemplates->currentItem()->isSelected()) {
                popFiles->popup(me->globalPosition().toPoint());
                return true;
            }
            if (w) {
                ShowWhatsThis(w, w->mapFromGlobal(me->globalPosition().toPoint()));
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace wobbin
