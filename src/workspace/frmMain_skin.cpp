// The painted skin of the main window: bitmaps, texts, cursors, the mascot
// walking along the toolbar, the rotating web of the Send panel, the window
// chrome buttons and the sound switch.
#include "workspace/frmMain.h"

#include "app/Settings.h"
#include "app/Skin_gui.h"
#include "app/StringTable.h"
#include "workspace/BuildWorkspace.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QLayout>
#include <QScreen>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace wobbin {

namespace {

// The sites behind the logos of the Send panel's web, positions 0..6: the
// maker's and six partners' (names as their logos show them).
struct PartnerSite {
    const char *name;
    const char *address;
};
const PartnerSite kPartners[] = {
    {"Quorvex", "http://www.quorvex.example/"},
    {"Ortex Software", "http://www.ortex.example/"},
    {"Lanternet", "http://www.lanternet.example/"},
    {"Harbourhost", "http://www.harbourhost.example/"},
    {"Pixel Orchard", "http://www.pixelorchard.example/"},
    {"Maplebrook School", "http://www.maplebrook.example/"},
    {"Kettlewick Library", "http://www.kettlewick.example/"},
};

void SetText(QWidget *w, int id)
{
    const QString text = LoadStr(id);
    if (auto *l = qobject_cast<QLabel *>(w))
        l->setText(text);
    else if (auto *b = qobject_cast<QAbstractButton *>(w))
        b->setText(text);
}

} // namespace

QString PartnerDisplayName(int position)
{
    return position >= 0 && position < 7 ? QString::fromLatin1(kPartners[position].name) : QString();
}

QString PartnerHomePage(int position)
{
    return position >= 0 && position < 7 ? QString::fromLatin1(kPartners[position].address) : QString();
}

PipStep PipWalkUp(int fromTab)
{
    static const PipStep steps[] = {{24, 13}, {156, 12}, {284, 12}, {408, 12}};
    return steps[qBound(0, fromTab, 3)];
}

PipStep PipWalkDown(int fromTab)
{
    static const PipStep steps[] = {{24, -13}, {156, -13}, {284, -12}, {408, -12}};
    return steps[qBound(0, fromTab, 3)];
}

// ---------------------------------------------------------------- skin and texts

void TfrmMain::PaintEmAll()
{
    drawToolbar(false);
    ShowImage(imgLogo, QStringLiteral("Logo"));
    ShowImage(imgFrontPip, QStringLiteral("Preview"));
    ShowImage(imgView, QStringLiteral("Max_Dis"));
    ShowImage(imgExit, QStringLiteral("Exit_Up"));
    ShowImage(imgWebBack, QStringLiteral("Web_Back"));
    ShowImage(imgUploadLeft, QStringLiteral("Web_LeftUp"));
    ShowImage(imgUploadRight, QStringLiteral("Web_RightUp"));
    ShowImage(imgUpload, QStringLiteral("Web_Page"));
    const char *partnerBitmaps[] = {"Web_Quor",     "Web_Ortex",    "Web_Partner2", "Web_Partner3",
                                    "Web_Partner4", "Web_Partner5", "Web_Partner6", "Web_Your"};
    const QList<TImage *> images = magnifierImages();
    for (int i = 0; i < images.size(); ++i) {
        ShowImage(images[i], QLatin1String(partnerBitmaps[i]));
        images[i]->setCursor(LoadCursorNumber(5));
    }
    ShowImage(imgWindyPip, QStringLiteral("WindyPip"));
    ShowImage(imgWindyPipB, QStringLiteral("WindyPipB"));
    // The Build workspace paints its own palette, tiles and shredder.
}

void TfrmMain::StringEmUp()
{
    const QString fontName = LoadStr(32);
    QFont f = font();
    f.setFamily(fontName);
    setFont(f);
    for (QWidget *w : std::initializer_list<QWidget *>{pnlTitle, lblPreStyle}) {
        QFont wf = w->font();
        wf.setFamily(fontName);
        w->setFont(wf);
    }

    QApplication::setApplicationName(LoadStr(5000));
    setWindowTitle(LoadStr(5000));

    spdEditWWW->setText(LoadStr(5001));
    SetText(lblUpServer, 5002);
    SetText(lblUpRotate1, 5003);
    SetText(lblUpRotate2, 5003);
    SetText(lblUpDesc, 5004);
    SetText(lblUploadFiles, 5005);
    SetText(chkLogo, 5006);
    SetText(lblChooseDesc1, 5007);
    SetText(lblChooseDesc2, 5008);
    SetText(lblChoosePages, 5009);
    SetText(lblChoosePreview, 5010);
    SetText(lblBuildRight, 5013);
    SetText(lblPreDesc, 5054);
    pagePreview->setTabText(pagePreview->indexOf(tabWebView), LoadStr(5055));
    pagePreview->setTabText(pagePreview->indexOf(tabHTML), LoadStr(5056));
    SetText(lblPreStyle, 5081);
    SetText(btnEditStyle, 5057);
    lblTitleCaption->setText(LoadStr(5058));

    lvTemplates->setToolTip(LoadStr(5011));
    m_imgViewHint = LoadStr(5059);
    imgExit->setToolTip(LoadStr(5060));

    menFile->setTitle(LoadStr(5061));
    mnuFileNew->setText(LoadStr(5062));
    menFileOpen->setText(LoadStr(5063));
    menFileSave->setText(LoadStr(5064));
    menFileSaveAs->setText(LoadStr(5065));
    menFileMake->setText(LoadStr(5066));
    ExternalPreview1->setText(LoadStr(5067));
    menFileExit->setText(LoadStr(5068));
    mnuHelp->setTitle(LoadStr(5069));
    mnuHelpTopics->setText(LoadStr(5070));
    menHelpAbout->setText(LoadStr(5072));
    popMenWhatsThis->setText(LoadStr(5073));
    WhatsThis1->setText(LoadStr(5073));
    Delete1->setText(LoadStr(5074));
    Rename1->setText(LoadStr(5076));

    Msg34 = LoadStr(34);
    Msg35 = LoadStr(35);
    Msg100 = LoadStr(100);
    Msg101 = LoadStr(101);
    Msg102 = LoadStr(102);
    Msg103 = LoadStr(103);
    Msg5082 = LoadStr(5082);
    Msg5083 = LoadStr(5083);
    Msg5084 = LoadStr(5084);
    AlignLeft = LoadStr(13);
    AlignCenter = LoadStr(14);
    AlignRight = LoadStr(15);
    Untitled = LoadStr(33);

    m_partnerNames.clear();
    for (const PartnerSite &site : kPartners)
        m_partnerNames << QString::fromLatin1(site.name);
}

// ---------------------------------------------------------------- mascot

void TfrmMain::drawToolbar(bool withSprite)
{
    QPixmap bar = LoadBitmap(toolbarBitmap());
    if (bar.isNull())
        return;
    if (withSprite) {
        const bool right = picWindy->property("FacingRight").toBool();
        const QPixmap sprite = LoadBitmap(right ? QStringLiteral("WindyPip") : QStringLiteral("WindyPipB"));
        if (!sprite.isNull()) {
            QPainter p(&bar);
            p.drawPixmap(picWindy->pos(), sprite);
        }
    }
    picToolbar->setPixmap(bar);
    picToolbar->setProperty("Bitmap", toolbarBitmap());
    picToolbar->setProperty("SpriteDrawn", withSprite);
    picToolbar->repaint();
}

void TfrmMain::drawPipFrame(int left, bool facingRight)
{
    picWindy->move(left, 12);
    picWindy->setProperty("FacingRight", facingRight);
    drawToolbar(true);
    ++PipFramesDrawn;
    Q_EMIT pipFrameDrawn(left);
    waitForPipTick();
}

void TfrmMain::waitForPipTick()
{
    // Keep the window responsive while the frame shows; the tick stops the timer.
    QEventLoop loop;
    QPointer<TfrmMain> self(this);
    connect(timTopPip, &QTimer::timeout, &loop, &QEventLoop::quit);
    timTopPip->start();
    loop.exec();
    if (self)
        timTopPip->stop();
}

void TfrmMain::timTopPipTimer() { timTopPip->stop(); }

void TfrmMain::WalkThePip(int tab)
{
    if (tab == PipTab)
        return;
    PlaySoundRes(QStringLiteral("wavGlide"));
    if (tab > PipTab)
        MovePipUp(PipTab, tab);
    else
        MovePipDown(PipTab, tab);
    PipTab = tab;
}

void TfrmMain::MovePipUp(int fromTab, int toTab)
{
    const PipStep s = PipWalkUp(fromTab);
    int left = s.startLeft;
    for (int frame = 0; frame < 10; ++frame) {
        left += s.step;
        drawPipFrame(left, true);
    }
    if (fromTab + 1 < toTab)
        MovePipUp(fromTab + 1, toTab);
}

void TfrmMain::MovePipDown(int fromTab, int toTab)
{
    const PipStep s = PipWalkDown(fromTab);
    int left = s.startLeft;
    for (int frame = 0; frame < 10; ++frame) {
        left += s.step;
        drawPipFrame(left, false);
    }
    if (fromTab - 1 > toTab)
        MovePipDown(fromTab - 1, toTab);
}

// ---------------------------------------------------------------- rotating web

QList<TImage *> TfrmMain::magnifierImages() const
{
    return {imgQuorPage,     imgOrtexPage,    imgPartner2Page, imgPartner3Page,
            imgPartner4Page, imgPartner5Page, imgPartner6Page, imgYourPage};
}

void TfrmMain::drawWebFrame(const QString &bitmap, int x, int y)
{
    QPixmap back = LoadBitmap(QStringLiteral("Web_Back"));
    const QPixmap frame = LoadBitmap(bitmap);
    if (!back.isNull() && !frame.isNull() && (x != 0 || y != 0)) {
        QPainter p(&back);
        p.drawPixmap(x, y, frame);
    } else if (!frame.isNull()) {
        back = frame;
    }
    if (!back.isNull())
        imgWebBack->setPixmap(back);
    imgWebBack->setProperty("Bitmap", bitmap);
    imgWebBack->update();
}

void TfrmMain::MoveWebRight()
{
    turnWebOneStep(false);
}

void TfrmMain::MoveWebLeft()
{
    turnWebOneStep(true);
}

// One tick of the turning web: four rotation frames (in reverse when turning
// left), then the resting web and the next position under the magnifier.
void TfrmMain::turnWebOneStep(bool left)
{
    LockWindow(this);
    ++WebFrame;
    if (WebFrame == 1)
        for (TImage *img : magnifierImages())
            img->hide();
    if (WebFrame >= 1 && WebFrame <= 4) {
        const int frame = left ? 5 - WebFrame : WebFrame;
        drawWebFrame(QStringLiteral("Web_Rotate%1").arg(frame), 72, 0);
    } else {
        drawWebFrame(QStringLiteral("Web_Back"), 0, 0);
        WebFrame = 0;
        timWebAn->stop();
        WebIndex += left ? -1 : 1;
        DisplayMagnifier();
    }
    LockWindow(nullptr);
}

void TfrmMain::timWebAnTimer()
{
    if (WebDirection)
        MoveWebLeft();
    else
        MoveWebRight();
}

void TfrmMain::DisplayMagnifier()
{
    if (WebIndex < 0)
        WebIndex = PageUploaded ? 7 : 6;
    else if (WebIndex == 7 && !PageUploaded)
        WebIndex = 0;
    else if (WebIndex > 7)
        WebIndex = 0;
    const QList<TImage *> images = magnifierImages();
    for (TImage *img : images)
        img->hide();
    TImage *shown = images.at(WebIndex);
    shown->show();
    shown->raise();
    if (WebIndex == 7)
        lblMag->setText(LoadStr(5078));
    else
        lblMag->setText(LoadStr(5077) + QLatin1Char(' ') + m_partnerNames.value(WebIndex));
}

void TfrmMain::imgUploadLeftClick()
{
    WebDirection = true;
    timWebAn->start();
    PlaySoundRes(QStringLiteral("wavWebTurn"));
}

void TfrmMain::imgUploadRightClick()
{
    WebDirection = false;
    timWebAn->start();
    PlaySoundRes(QStringLiteral("wavWebTurn"));
}

void TfrmMain::timFlashPageTimer()
{
    if (TagOf(imgUpload) != 0) {
        ShowImage(imgUpload, QStringLiteral("Web_PageFlash"));
        SetTag(imgUpload, 0);
    } else {
        ShowImage(imgUpload, QStringLiteral("Web_Page"));
        SetTag(imgUpload, 1);
    }
}

// ---------------------------------------------------------------- window chrome

void TfrmMain::imgExitMouseDown(Qt::MouseButton button, QPoint)
{
    if (button == Qt::LeftButton)
        ShowImage(imgExit, QStringLiteral("Exit_Dn"));
}

void TfrmMain::imgExitMouseUp(Qt::MouseButton button, QPoint pos)
{
    if (button == Qt::LeftButton)
        ShowImage(imgExit, QStringLiteral("Exit_Up"));
    else if (button == Qt::RightButton)
        ShowWhatsThis(imgExit, pos);
}

void TfrmMain::imgExitClick() { close(); }

static bool PreviewToggleActive(const TfrmMain *w)
{
    return w->WorkspaceState == wsView
           && w->pagePreview->currentWidget() == w->tabWebView;
}

void TfrmMain::imgViewClick()
{
    if (!PreviewToggleActive(this))
        return;
    togglePreviewSize();
}

void TfrmMain::togglePreviewSize()
{
    if (!m_previewEnlarged) {
        m_previewEnlarged = true;
        menFile->setEnabled(false);
        menFile->menuAction()->setEnabled(false);
        // The fixed window grows to the whole screen; the bottom strip and the
        // enlarged viewer follow its size (placeBottomStrip).
        layout()->setSizeConstraint(QLayout::SetDefaultConstraint);
        setMinimumSize(0, 0);
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        m_client->setMinimumSize(631, 433);
        m_client->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        pnlMain->show();
        pnlMain->raise();
        Panel3->raise();
        ctlHTML->setParent(pnlMain);
        ctlHTML->show();
        ctlHTML->raise();
        showMaximized();
        if (const QScreen *s = screen())
            resize(s->availableGeometry().size().expandedTo(QSize(631, 433)));
        placeBottomStrip();
        ShowImage(imgView, QStringLiteral("Min_Up"));
    } else {
        m_previewEnlarged = false;
        menFile->setEnabled(true);
        menFile->menuAction()->setEnabled(true);
        showNormal();
        m_client->setFixedSize(631, 433);
        layout()->setSizeConstraint(QLayout::SetFixedSize);
        setFixedSize(sizeHint());
        pnlMain->hide();
        SetHTMLView();
        placeBottomStrip();
        ShowImage(imgView, QStringLiteral("Max_Up"));
    }
    imgView->repaint();
    ShowRover();
}

void TfrmMain::imgViewMouseDown(Qt::MouseButton button, QPoint)
{
    // The right button's help pops up on release (see imgViewMouseUp).
    if (button == Qt::LeftButton && PreviewToggleActive(this))
        ShowImage(imgView, m_previewEnlarged ? QStringLiteral("Min_Dn") : QStringLiteral("Max_Dn"));
}

void TfrmMain::imgViewMouseUp(Qt::MouseButton button, QPoint pos)
{
    if (button == Qt::RightButton) {
        ShowWhatsThis(imgView, pos);
        return;
    }
    if (button == Qt::LeftButton && PreviewToggleActive(this))
        ShowImage(imgView, m_previewEnlarged ? QStringLiteral("Min_Up") : QStringLiteral("Max_Up"));
}

// ---------------------------------------------------------------- sounds

void TfrmMain::SoundsClick()
{
    // The action has already toggled its check mark when triggered from the
    // menu; the stored setting follows the mark.
    const bool on = Sounds->isChecked();
    WriteSetting(QStringLiteral("General"), QStringLiteral("PlaySounds"),
                 on ? QStringLiteral("Yes") : QStringLiteral("No"));
}

} // namespace wobbin
