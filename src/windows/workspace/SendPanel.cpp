#include "workspace/SendPanel.h"

#include "shell/Skin.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "publish/SendWork.h"
#include "shell/Accessible.h"
#include "workspace/Controls.h"
#include "workspace/WhatsThis.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace wobbin {

namespace {
// The file list gives room to the note on refused pictures below it, down to
// a few rows; the note ends above "Send everything".
constexpr int kFilesTop = 104;
constexpr int kFilesTall = 120;
constexpr int kFilesLeast = 36;
constexpr int kNoteBottom = 226;

// Every entry shown whole: wrapped at the list's width, as tall as it needs.
void ShowWholeEntries(QListWidget *list)
{
    const int scrollBar = list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list);
    const int width = list->width() - 2 * list->frameWidth() - scrollBar - 8;
    const QFontMetrics fm(list->font());
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem *item = list->item(i);
        const QRect needed = fm.boundingRect(QRect(0, 0, width, 4000), Qt::TextWordWrap, item->text());
        item->setSizeHint(QSize(width, needed.height() + 4));
    }
}

void WrapEntries(QListWidget *list)
{
    list->setWordWrap(true);
    list->setTextElideMode(Qt::ElideNone);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}
} // namespace

TSendPanel::TSendPanel(QWidget *pnlSend, TWhatsThis &whatsThis, QObject *parent) : QObject(parent)
{
    lblUpServer = MakeLabel(pnlSend, "lblUpServer", 10, 4, 176, 28, true);
    cmbServers = MakeControl<QComboBox>(pnlSend, "cmbServers", 10, 34, 172, 22, 42);
    spdEditWWW = MakeControl<QToolButton>(pnlSend, "spdEditWWW", 10, 60, 172, 24, 43);
    lblUploadFiles = MakeLabel(pnlSend, "lblUploadFiles", 10, 88, 170, 16);
    lstFiles = MakeControl<QListWidget>(pnlSend, "lstFiles", 10, kFilesTop, 172, kFilesTall, 41);
    WrapEntries(lstFiles);
    // Pictures the page refers to that are never sent, apart from the list.
    lblRefused = MakeLabel(pnlSend, "lblRefused", 10, 170, 172, 56, true);
    lblRefused->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette refusedColours = lblRefused->palette();
    refusedColours.setColor(QPalette::WindowText, QColor(0x80, 0x00, 0x00));
    lblRefused->setPalette(refusedColours);
    lblRefused->hide();
    chkSendAll = MakeControl<QCheckBox>(pnlSend, "chkSendAll", 10, 228, 172, 20, 41);

    // The page check: what to look at before sending.
    lblProblems = MakeLabel(pnlSend, "lblProblems", 280, 2, 256, 14);
    lstProblems = new QListWidget(pnlSend);
    lstProblems->setObjectName(QStringLiteral("lstProblems"));
    lstProblems->setGeometry(280, 16, 256, 52);
    // Whole entries, wrapped; the text in its tip too.
    WrapEntries(lstProblems);
    lstProblems->hide();
    lblUpDesc = MakeLabel(pnlSend, "lblUpDesc", 10, 250, 176, 42, true);

    imgWebBack = MakeImage(pnlSend, "imgWebBack", 192, 70, 420, 210, 46);
    // The seven logos and the user's page sit under the magnifier.
    const char *names[] = {"imgQuorPage",     "imgOrtexPage",    "imgPartner2Page", "imgPartner3Page",
                           "imgPartner4Page", "imgPartner5Page", "imgPartner6Page", "imgYourPage"};
    for (int i = 0; i < 8; ++i) {
        TImage *img = MakeImage(pnlSend, names[i], 192 + 22, 70 + 91, 88, 66, 46);
        img->setAlignment(Qt::AlignCenter);
        img->hide();
        if (i < 7) {
            m_logos << img;
            connect(img, &TImage::clicked, this, [this, i] { Q_EMIT openAddress(PartnerHomePage(i)); });
        } else {
            imgYourPage = img;
            connect(img, &TImage::clicked, this, &TSendPanel::imgYourPageClick);
        }
    }
    lblMag = MakeLabel(pnlSend, "lblMag", 192, 278, 420, 16);
    lblMag->setAlignment(Qt::AlignCenter);

    imgUpload = MakeImage(pnlSend, "imgUpload", 518, 98, 71, 93, 40);
    lblUpRotate1 = MakeLabel(pnlSend, "lblUpRotate1", 196, 4, 80, 16);
    lblUpRotate2 = MakeLabel(pnlSend, "lblUpRotate2", 540, 4, 80, 16);
    lblUpRotate2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    imgUploadLeft = MakeImage(pnlSend, "imgUploadLeft", 200, 24, 32, 32, 46);
    imgUploadRight = MakeImage(pnlSend, "imgUploadRight", 584, 24, 32, 32, 46);

    timWebAn = MakeTimer(this, "timWebAn", 250);
    timFlashPage = MakeTimer(this, "timFlashPage", 500);
    timUpload = MakeTimer(this, "timUpload", 50);

    for (QWidget *w : std::initializer_list<QWidget *>{lstFiles, imgWebBack, imgUpload})
        whatsThis.Watch(w);

    connect(timWebAn, &QTimer::timeout, this, &TSendPanel::timWebAnTimer);
    connect(timFlashPage, &QTimer::timeout, this, &TSendPanel::timFlashPageTimer);
    connect(imgUpload, &TImage::clicked, this, &TSendPanel::uploadClicked);
    connect(spdEditWWW, &QToolButton::clicked, this, &TSendPanel::editServersClicked);
    connect(timUpload, &QTimer::timeout, this, &TSendPanel::timUploadTimer);
    connect(lstProblems, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { Q_EMIT problemActivated(lstProblems->row(item)); });
    connect(chkSendAll, &QCheckBox::toggled, this, &TSendPanel::sendEverythingToggled);
    connect(imgUploadLeft, &TImage::clicked, this, &TSendPanel::imgUploadLeftClick);
    connect(imgUploadRight, &TImage::clicked, this, &TSendPanel::imgUploadRightClick);
    // The turn buttons show pressed while the left button is down.
    const struct {
        TImage *button;
        const char *up;
        const char *down;
    } buttons[] = {{imgUploadLeft, "Web_LeftUp", "Web_LeftDn"}, {imgUploadRight, "Web_RightUp", "Web_RightDn"}};
    for (const auto &b : buttons) {
        connect(b.button, &TImage::mouseDown, this, [b](Qt::MouseButton button, QPoint) {
            if (button == Qt::LeftButton)
                ShowImage(b.button, QLatin1String(b.down));
        });
        connect(b.button, &TImage::mouseUp, this, [b](Qt::MouseButton button, QPoint) {
            if (button == Qt::LeftButton)
                ShowImage(b.button, QLatin1String(b.up));
        });
    }
}

void TSendPanel::StringEmUp()
{
    spdEditWWW->setText(LoadStr(Msg::EditServerList));
    SetText(lblUpServer, Msg::ChooseServerToSendTo);
    SetText(lblUpRotate1, Msg::RotateWeb);
    SetText(lblUpRotate2, Msg::RotateWeb);
    SetText(lblUpDesc, Msg::ClickPageToSend);
    SetText(lblUploadFiles, Msg::FilesToUpload);
    chkSendAll->setText(LoadStr(Msg::SendEverything));
    chkSendAll->setToolTip(LoadStr(Msg::SendEverythingHint));
    lstProblems->setToolTip(LoadStr(Msg::DoubleClickGoesToBlock));
    // A screen reader names the controls after their labels.
    NameFromLabel(cmbServers, lblUpServer);
    NameFromLabel(lstFiles, lblUploadFiles);
}

void TSendPanel::PaintEmAll()
{
    ShowImage(imgWebBack, QStringLiteral("Web_Back"));
    ShowImage(imgUploadLeft, QStringLiteral("Web_LeftUp"));
    ShowImage(imgUploadRight, QStringLiteral("Web_RightUp"));
    ShowImage(imgUpload, QStringLiteral("Web_Page"));
    const char *bitmaps[] = {"Web_Quor",     "Web_Ortex",    "Web_Partner2", "Web_Partner3",
                             "Web_Partner4", "Web_Partner5", "Web_Partner6", "Web_Your"};
    const QList<TImage *> images = magnifierImages();
    for (int i = 0; i < images.size(); ++i) {
        ShowImage(images[i], QLatin1String(bitmaps[i]));
        images[i]->setCursor(LoadCursorNumber(5));
    }
}

QList<TImage *> TSendPanel::magnifierImages() const { return QList<TImage *>(m_logos) << imgYourPage; }

void TSendPanel::Enter()
{
    m_web.Reset();
    lblMag->clear();
    imgUpload->show();
    imgUpload->raise();
    timFlashPage->start();
}

void TSendPanel::StopFlashing() { timFlashPage->stop(); }

void TSendPanel::HideYourPage() { imgYourPage->hide(); }

void TSendPanel::SetFiles(const QStringList &names)
{
    lstFiles->clear();
    lstFiles->addItems(names);
    for (int i = 0; i < lstFiles->count(); ++i)
        lstFiles->item(i)->setToolTip(lstFiles->item(i)->text());
    ShowWholeEntries(lstFiles);
}

void TSendPanel::SetRefusedNote(const QString &note)
{
    lblRefused->setText(note);
    lblRefused->setToolTip(note);
    lblRefused->setVisible(!note.isEmpty());
    if (note.isEmpty()) {
        lstFiles->resize(lstFiles->width(), kFilesTall);
        return;
    }
    // The whole note shows: the file list gives up the room it needs.
    const int room = kNoteBottom - (kFilesTop + kFilesLeast + 2);
    const int height = qMin(lblRefused->heightForWidth(lblRefused->width()), room);
    lblRefused->setGeometry(lblRefused->x(), kNoteBottom - height, lblRefused->width(), height);
    lstFiles->resize(lstFiles->width(), qMin(kFilesTall, lblRefused->y() - 2 - kFilesTop));
    ShowWholeEntries(lstFiles);
}

void TSendPanel::SetProblems(const QList<ProblemEntry> &entries)
{
    lstProblems->clear();
    for (const ProblemEntry &e : entries) {
        auto *item = new QListWidgetItem(e.Text, lstProblems);
        item->setToolTip(e.Text);
        if (e.BreaksPage)
            item->setForeground(QColor(0xC0, 0x00, 0x00));
        else if (!e.Serious)
            item->setForeground(QColor(0x00, 0x00, 0x80));
        item->setData(Qt::UserRole, e.BreaksPage);
    }
    ShowWholeEntries(lstProblems);
    lstProblems->setVisible(!entries.isEmpty());
    lblProblems->setText(LoadStr(entries.isEmpty() ? 347 : 345));
    NameFromLabel(lstProblems, lblProblems);
}

void TSendPanel::SetSendEverything(bool on)
{
    if (chkSendAll->isChecked() != on)
        chkSendAll->setChecked(on);
}

// ---------------------------------------------------------------- the flight of the page

void TSendPanel::StartFlight()
{
    ShowImage(imgUpload, QStringLiteral("Web_Page"));
    SetTag(imgUpload, 1);
    UploadFrame = 0;
    timUpload->start();
}

bool TSendPanel::Flying() const { return timUpload->isActive(); }

void TSendPanel::timUploadTimer()
{
    imgWebBack->setUpdatesEnabled(false);
    const TFlightFrame frame = UploadFlightFrame(UploadFrame);
    UploadFrame = frame.Next;
    if (frame.Upload) {
        drawWebFrame(QStringLiteral("Web_Back"), 0, 0);
        timUpload->stop();
        imgWebBack->setUpdatesEnabled(true);
        imgWebBack->repaint();
        Q_EMIT flightLanded();
        return;
    }
    drawWebFrame(frame.Bitmap, frame.X - imgWebBack->x(), frame.Y - imgWebBack->y());
    if (frame.HideUpload)
        imgUpload->hide();
    if (frame.PlaySound)
        PlaySoundRes(QStringLiteral("wavUpload"));
    imgWebBack->setUpdatesEnabled(true);
    imgWebBack->repaint();
}

void TSendPanel::UploadFinished(bool succeeded, const QString &address)
{
    if (!succeeded) {
        imgUpload->show();
        imgUpload->raise();
        return;
    }
    m_yourPageAddress = address;
    m_web.PageUploaded = true;
    m_web.Index = TRotatingWeb::kYourPage;
    DisplayMagnifier();
}

// ---------------------------------------------------------------- the rotating web

void TSendPanel::drawWebFrame(const QString &bitmap, int x, int y)
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

void TSendPanel::timWebAnTimer()
{
    imgWebBack->setUpdatesEnabled(false);
    const TRotatingWeb::Tick tick = m_web.NextTick();
    if (tick.HideLogos)
        for (TImage *img : magnifierImages())
            img->hide();
    drawWebFrame(tick.Bitmap, tick.X, tick.Y);
    if (tick.Finished) {
        timWebAn->stop();
        DisplayMagnifier();
    }
    imgWebBack->setUpdatesEnabled(true);
}

void TSendPanel::DisplayMagnifier()
{
    m_web.Normalise();
    const QList<TImage *> images = magnifierImages();
    for (TImage *img : images)
        img->hide();
    TImage *shown = images.at(m_web.Index);
    shown->show();
    shown->raise();
    lblMag->setText(m_web.Label());
}

void TSendPanel::turn(bool left)
{
    m_web.TurnsLeft = left;
    timWebAn->start();
    PlaySoundRes(QStringLiteral("wavWebTurn"));
}

void TSendPanel::imgUploadLeftClick() { turn(true); }
void TSendPanel::imgUploadRightClick() { turn(false); }

void TSendPanel::imgYourPageClick()
{
    if (!m_web.PageUploaded || m_yourPageAddress.isEmpty())
        return;
    Q_EMIT openAddress(m_yourPageAddress);
}

void TSendPanel::timFlashPageTimer()
{
    if (TagOf(imgUpload) != 0) {
        ShowImage(imgUpload, QStringLiteral("Web_PageFlash"));
        SetTag(imgUpload, 0);
    } else {
        ShowImage(imgUpload, QStringLiteral("Web_Page"));
        SetTag(imgUpload, 1);
    }
}

} // namespace wobbin
