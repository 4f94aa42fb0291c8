#include "upload/frmJoy.h"

#include "shell/Dialogs.h"
#include "shell/Palette.h"
#include "settings/Settings.h"
#include "shell/Skin.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "publish/SendWork.h"
#include "publish/Upload.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>

#include <memory>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace wobbin {

namespace {
constexpr int kWidth = 434;
constexpr int kHeight = 224;
constexpr int kFrames = 11;
} // namespace

TfrmJoy::TfrmJoy(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmJoy"));
    setModal(true);
    UseProgramPalette(this);
    CentreOverParent(this);
    const QString arial = LoadStr(Msg::DefaultFontName);
    setFont(QFont(arial.isEmpty() ? QStringLiteral("Arial") : arial, 8));
    setWindowTitle(LoadStr(Msg::UploadSuccessfulTitle));

    imgJoy = new QLabel(this);
    imgJoy->setObjectName(QStringLiteral("imgJoy"));
    imgJoy->setGeometry(8, 8, 160, 160);
    imgJoy->setScaledContents(true);
    ShowBitmap(imgJoy, QStringLiteral("Joy"));

    // The four texts one below the other beside the picture.
    const int left = 180, width = kWidth - left - 10;
    int top = 8;
    QLabel **labels[] = {&lbl1, &lbl2, &lbl3, &lbl4};
    for (int i = 0; i < 4; ++i) {
        auto *l = new QLabel(LoadStr(1001 + i), this);
        l->setObjectName(QStringLiteral("lbl%1").arg(i + 1));
        l->setWordWrap(true);
        const int h = l->heightForWidth(width);
        l->setGeometry(left, top, width, h);
        top += h + 5;
        *labels[i] = l;
    }
    // Bold by its font: a style sheet would take the desktop theme's text colour.
    QFont bold = lbl1->font();
    bold.setBold(true);
    lbl1->setFont(bold);
    lbl1->setGeometry(left, 8, width, lbl1->heightForWidth(width));

    chkJoy = new QCheckBox(LoadStr(Msg::DontShowAgain), this);
    chkJoy->setObjectName(QStringLiteral("chkJoy"));
    btnJoy = new QPushButton(LoadStr(Msg::ButtonOk), this);
    btnJoy->setObjectName(QStringLiteral("btnJoy"));
    btnJoy->setDefault(true);
    connect(btnJoy, &QPushButton::clicked, this, &TfrmJoy::btnJoyClick);

    lblSkipped = new QLabel(this);
    lblSkipped->setObjectName(QStringLiteral("lblSkipped"));
    lblSkipped->setWordWrap(true);
    lblSkipped->hide();
    lblLive = new QLabel(this);
    lblLive->setObjectName(QStringLiteral("lblLive"));
    lblLive->setWordWrap(true);
    lblLive->setTextFormat(Qt::RichText);
    lblLive->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard
                                     | Qt::TextSelectableByMouse);
    lblLive->setOpenExternalLinks(false);
    connect(lblLive, &QLabel::linkActivated, this, &TfrmJoy::lblLiveLinkActivated);
    lblLive->hide();
    lblUnused = new QLabel(this);
    lblUnused->setObjectName(QStringLiteral("lblUnused"));
    lblUnused->setWordWrap(true);
    lblUnused->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblUnused->hide();
    btnRemoveUnused = new QPushButton(LoadStr(Msg::RemoveUnusedPictures), this);
    btnRemoveUnused->setObjectName(QStringLiteral("btnRemoveUnused"));
    connect(btnRemoveUnused, &QPushButton::clicked, this, &TfrmJoy::btnRemoveUnusedClick);
    btnRemoveUnused->hide();
    m_textsBottom = top;
    Relayout();

    timAnimation = new QTimer(this);
    timAnimation->setObjectName(QStringLiteral("timAnimation"));
    timAnimation->setInterval(200);
    connect(timAnimation, &QTimer::timeout, this, &TfrmJoy::timAnimationTimer);
    timAnimation->start();
}

// The check box and the button under the texts; the window grows only when
// the texts need more room than its stored size.
void TfrmJoy::Relayout()
{
    const int left = 180, width = kWidth - left - 10;
    int top = m_textsBottom;
    // When the page cannot be seen, what the check found is the main text.
    const QList<QLabel *> below = m_notVisible ? QList<QLabel *>{lblLive, lblSkipped} : QList<QLabel *>{lblSkipped, lblLive};
    for (QLabel *l : below + QList<QLabel *>{lblUnused}) {
        if (l->isHidden())
            continue;
        const int h = l->heightForWidth(width);
        l->setGeometry(left, top + 2, width, h);
        top += h + 7;
    }
    if (!btnRemoveUnused->isHidden()) {
        const int w = qMin(width, btnRemoveUnused->sizeHint().width() + 16);
        btnRemoveUnused->setGeometry(left, top, w, 26);
        top += 26 + 7;
    }
    const int bottom = qMax(top, 168 + 6);
    chkJoy->setGeometry(8, bottom + 4, left - 8 + 80, 22);
    btnJoy->setGeometry(kWidth - 10 - 80, bottom, 80, 26);
    setFixedSize(kWidth, qMax(kHeight, bottom + 26 + 8));
}

void TfrmJoy::ShowOutcome(const TUploadOutcome &outcome)
{
    const int skipped = int(outcome.Skipped.size());
    lblSkipped->setVisible(skipped > 0);
    if (skipped > 0)
        lblSkipped->setText(skipped == 1 ? LoadStr(Msg::OnePictureUnchanged) : LoadStr(Msg::PicturesUnchanged).arg(skipped));
    // Pictures no page uses any more: listed, with the one choice to remove them.
    m_unused = outcome.Unused;
    lblUnused->setVisible(!m_unused.isEmpty());
    lblUnused->setText(LoadStr(Msg::UnusedPicturesOnServer) + QLatin1Char('\n') + m_unused.join(QLatin1Char('\n')));
    btnRemoveUnused->setVisible(!m_unused.isEmpty() && RemoveUnused);
    btnRemoveUnused->setEnabled(true);
    delete m_runner;
    m_result = TVerifyResult();
    m_runner = new TVerifyRunner(outcome.Check, this);
    connect(m_runner, &TVerifyRunner::Finished, this, [this] {
        m_result = m_runner->Result();
        lblLive->setText(m_result.Html);
        if (PageCannotBeSeen(m_result.Verdict))
            ShowNotVisibleYet();
        Relayout();
        Q_EMIT CheckFinished();
    });
    lblLive->setText(LoadStr(Msg::CheckingPageLive).toHtmlEscaped());
    lblLive->show();
    Relayout();
    m_runner->Start();
}

// The files arrived, but visitors cannot see the page: no congratulation and
// no fireworks, and the check's diagnosis right under the headline.
void TfrmJoy::ShowNotVisibleYet()
{
    m_notVisible = true;
    timAnimation->stop();
    JoyFrame = 0;
    ShowBitmap(imgJoy, QStringLiteral("Splash")); // no cheering picture either
    setWindowTitle(LoadStr(Msg::PageNotVisibleTitle));
    lbl1->setText(LoadStr(Msg::PageNotVisibleYet));
    const int width = lbl1->width();
    lbl1->setGeometry(lbl1->x(), lbl1->y(), width, lbl1->heightForWidth(width));
    for (QLabel *l : {lbl2, lbl3, lbl4})
        l->hide();
    m_textsBottom = lbl1->geometry().bottom() + 6;
}

void TfrmJoy::btnRemoveUnusedClick()
{
    if (!RemoveUnused || m_unused.isEmpty())
        return;
    btnRemoveUnused->setEnabled(false);
    lblUnused->setText(LoadStr(Msg::RemovingUnusedPictures));
    const TRemovalOutcome removal = RemoveUnused(m_unused);
    QString text;
    if (!removal.Removed.isEmpty())
        text = removal.Removed.size() == 1 ? LoadStr(Msg::OneUnusedPictureRemoved) : LoadStr(Msg::UnusedPicturesRemoved).arg(removal.Removed.size());
    if (!removal.Failed.isEmpty() || !removal.Message.isEmpty()) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += LoadStr(Msg::PicturesNotRemoved) + QLatin1Char('\n') + removal.Failed.join(QLatin1Char('\n'));
        if (!removal.Message.isEmpty())
            text += QLatin1Char('\n') + removal.Message;
    }
    m_unused = removal.Failed;
    lblUnused->setText(text);
    btnRemoveUnused->hide();
    Relayout();
}

bool TfrmJoy::CheckRunning() const
{
    return m_runner && m_runner->Running();
}

void TfrmJoy::lblLiveLinkActivated(const QString &link)
{
    if (OpenAddress)
        OpenAddress(link);
}

void TfrmJoy::btnJoyClick()
{
    if (chkJoy->isChecked())
        WriteSetting(QStringLiteral("General"), QStringLiteral("ShowJoy"), QStringLiteral("No"));
    timAnimation->stop();
    if (m_runner)
        m_runner->Cancel(); // a check still running ends at once
    accept();
}

void TfrmJoy::timAnimationTimer()
{
    ++JoyFrame;
    if (JoyFrame < 1 || JoyFrame > kFrames) {
        JoyFrame = 0;
        return;
    }
    ShowBitmap(imgJoy, QStringLiteral("Fire%1").arg(JoyFrame));
    if (JoyFrame == 1)
        PlaySoundRes(QStringLiteral("wavWorks"));
    if (JoyFrame == kFrames)
        JoyFrame = 0;
}

bool ShowJoyUnlessSwitchedOff(QWidget *parent)
{
    if (ReadSetting(QStringLiteral("General"), QStringLiteral("ShowJoy")) == QLatin1String("No"))
        return false;
    TfrmJoy joy(parent);
    joy.exec();
    return true;
}

TRemovalOutcome RemoveUnusedPictures(const TUploadTarget &target, const QStringList &names, const QString &recordFolder)
{
    TRemoveUnusedJob job(target, names, recordFolder);
    TRemovalOutcome removal;
    QEventLoop wait;
    std::unique_ptr<QThread> worker(QThread::create([&] { removal = job.Run(); }));
    QObject::connect(worker.get(), &QThread::finished, &wait, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    return removal;
}

TVerifyResult ShowUploadSuccess(QWidget *parent, const TUploadOutcome &outcome,
                                const std::function<void(const QString &address)> &openAddress,
                                const TUploadTarget *target, const QString &recordFolder)
{
    if (ReadSetting(QStringLiteral("General"), QStringLiteral("ShowJoy")) != QLatin1String("No")) {
        TfrmJoy joy(parent);
        joy.OpenAddress = openAddress;
        if (target) {
            const TUploadTarget where = *target;
            joy.RemoveUnused = [where, recordFolder](const QStringList &names) {
                return RemoveUnusedPictures(where, names, recordFolder);
            };
        }
        joy.ShowOutcome(outcome);
        joy.exec();
        return joy.CheckResult();
    }
    // No dialog: the check runs while the window goes on; only trouble is told.
    TVerifyRunner runner(outcome.Check);
    QEventLoop wait;
    QObject::connect(&runner, &TVerifyRunner::Finished, &wait, &QEventLoop::quit);
    runner.Start();
    wait.exec();
    const TVerifyResult result = runner.Result();
    if (PageCannotBeSeen(result.Verdict))
        MsgBox(parent, LoadStr(Msg::PageNotVisibleYet) + QStringLiteral("\n\n") + result.Text, QMessageBox::Warning, QMessageBox::Ok);
    else if (!result.IsLive() && result.Verdict != VerifyVerdict::Cancelled)
        MsgBox(parent, result.Text, QMessageBox::Warning, QMessageBox::Ok);
    return result;
}

} // namespace wobbin
