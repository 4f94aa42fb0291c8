#include "upload/frmUpload.h"

#include "shell/Dialogs.h"
#include "shell/Palette.h"
#include "shell/Skin.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "publish/UploadRunner.h"
#include "upload/frmPassphrase.h"

#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace wobbin {

namespace {
constexpr int kWidth = 400;
constexpr int kHeight = 212;
constexpr int kFileSteps = 1000;

QString SizeText(qint64 bytes)
{
    return QLocale::c().formattedDataSize(bytes, bytes < 1024 * 1024 ? 0 : 1, QLocale::DataSizeTraditionalFormat);
}

QLabel *MakeLabel(QWidget *parent, const char *name, QRect geometry)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    return l;
}
} // namespace

TfrmUpload::TfrmUpload(const TUploadPage &page, const TUploadTarget &target, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmUpload"));
    setFixedSize(kWidth, kHeight);
    setModal(true);
    UseProgramPalette(this);
    CentreOverParent(this);

    imgLogo = MakeLabel(this, "imgLogo", QRect(12, 12, 120, 120));
    imgLogo->setScaledContents(true);
    imgLogo->setFrameShape(QFrame::Panel);
    imgLogo->setFrameShadow(QFrame::Sunken);

    lblUpProgress = MakeLabel(this, "lblUpProgress", QRect(146, 10, 242, 18));
    pbProgress = new QProgressBar(this);
    pbProgress->setObjectName(QStringLiteral("pbProgress"));
    pbProgress->setGeometry(146, 28, 242, 18);
    pbProgress->setTextVisible(false);
    pbProgress->setRange(0, 1);
    pbProgress->setValue(0);

    // The file being sent, with its own bar: a large picture shows it is moving.
    lblUpFile = MakeLabel(this, "lblUpFile", QRect(146, 52, 242, 18));
    pbFile = new QProgressBar(this);
    pbFile->setObjectName(QStringLiteral("pbFile"));
    pbFile->setGeometry(146, 70, 242, 12);
    pbFile->setTextVisible(false);
    pbFile->setRange(0, kFileSteps);
    pbFile->setValue(0);
    lblFile = MakeLabel(this, "lblFile", QRect(146, 84, 242, 18));

    lblUpFTPStat = MakeLabel(this, "lblUpFTPStat", QRect(146, 106, 242, 18));
    bvlFTP = new QFrame(this);
    bvlFTP->setObjectName(QStringLiteral("bvlFTP"));
    bvlFTP->setGeometry(146, 126, 242, 42);
    bvlFTP->setFrameShape(QFrame::Panel);
    bvlFTP->setFrameShadow(QFrame::Sunken);
    lblFTPStatus = MakeLabel(bvlFTP, "lblFTPStatus", QRect(3, 2, 236, 38));
    lblFTPStatus->setWordWrap(true);
    lblFTPStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    butCancel = new QPushButton(this);
    butCancel->setObjectName(QStringLiteral("butCancel"));
    butCancel->setGeometry(313, 178, 75, 25);
    connect(butCancel, &QPushButton::clicked, this, &TfrmUpload::butCancelClick);

    timInit = new QTimer(this);
    timInit->setObjectName(QStringLiteral("timInit"));
    timInit->setInterval(100);
    connect(timInit, &QTimer::timeout, this, &TfrmUpload::timInitTimer);

    m_serverName = target.Name;
    m_runner = new TUploadRunner(page, target, this);
    connect(m_runner, &TUploadRunner::Status, this, &TfrmUpload::SetStatus);
    connect(m_runner, &TUploadRunner::Progress, this, &TfrmUpload::SetProgress);
    connect(m_runner, &TUploadRunner::FileProgress, this, &TfrmUpload::SetFileProgress);
    connect(m_runner, &TUploadRunner::Finished, this, &TfrmUpload::UploadFinished);

    FormCreate();
    timInit->start();
}

TfrmUpload::~TfrmUpload() = default;

TUploadJob &TfrmUpload::Job()
{
    return m_runner->Job();
}

void TfrmUpload::FormCreate()
{
    ShowBitmap(imgLogo, QStringLiteral("Splash"));
    const QString arial = LoadStr(Msg::DefaultFontName);
    setFont(QFont(arial.isEmpty() ? QStringLiteral("Arial") : arial, 9));
    setWindowTitle(LoadStr(Msg::UploadTitle));
    lblUpProgress->setText(LoadStr(Msg::UploadProgress));
    lblUpFTPStat->setText(LoadStr(Msg::FtpStatus));
    lblUpFile->setText(LoadStr(Msg::FileBeingSent));
    // A screen reader names the bars after their labels.
    pbProgress->setAccessibleName(lblUpProgress->text().remove(QLatin1Char(':')));
    pbFile->setAccessibleName(lblUpFile->text().remove(QLatin1Char(':')));
    butCancel->setText(LoadStr(Msg::ButtonCancel));
    m_succeeded = false;
    m_cancelled = false;
}

// Starts the work once the dialog is on screen.
void TfrmUpload::timInitTimer()
{
    timInit->stop();
    m_runner->Start();
}

void TfrmUpload::SetStatus(const QString &text)
{
    lblFTPStatus->setText(QLatin1Char(' ') + text);
}

void TfrmUpload::SetProgress(qint64 value, qint64 maximum)
{
    // Thousandths of a file: small enough for the bar's int range.
    pbProgress->setRange(0, int(qMax<qint64>(1, maximum)));
    pbProgress->setValue(int(qBound<qint64>(0, value, maximum)));
}

void TfrmUpload::SetFileProgress(const QString &name, qint64 sent, qint64 size)
{
    pbFile->setValue(size > 0 ? int(qBound<qint64>(0, sent * kFileSteps / size, qint64(kFileSteps))) : 0);
    const QString text = LoadStr(Msg::FileProgress).arg(name, SizeText(sent), SizeText(size));
    lblFile->setToolTip(text);
    lblFile->setText(lblFile->fontMetrics().elidedText(text, Qt::ElideMiddle, lblFile->width()));
}

void TfrmUpload::butCancelClick()
{
    if (m_done)
        return;
    m_cancelled = true;
    m_succeeded = false;
    butCancel->setEnabled(false);
    m_runner->Cancel();
    SetStatus(LoadStr(Msg::ConnectionCancelled));
    // The dialog closes as soon as the upload has stopped (UploadFinished).
    if (!m_runner->Running() && timInit->isActive()) {
        timInit->stop();
        m_done = true;
        reject();
    }
}

void TfrmUpload::UploadFinished()
{
    m_outcome = m_runner->Outcome();
    if (!m_cancelled && m_outcome.Result == UploadResult::NeedsPassphrase) {
        // A locked key: its passphrase (or going on without the key), then
        // the log-on again.
        UnlockKeyFile(this, m_outcome.KeyFile, m_serverName, m_outcome.PassphraseWrong);
        if (!m_cancelled) {
            m_runner->Start();
            return;
        }
    }
    if (!m_cancelled && m_outcome.Result == UploadResult::NeedsTrust) {
        // No is the default: Enter never trusts a server.
        const bool changed = m_outcome.Trust == TrustKind::ChangedCertificate;
        const auto answer = MsgBox(this, TrustQuestion(m_outcome), changed ? QMessageBox::Critical : QMessageBox::Warning,
                                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer == QMessageBox::Yes && !m_cancelled) {
            m_runner->Job().AcceptFingerprint(m_outcome.Fingerprint);
            m_runner->Start();
            return;
        }
        m_outcome.Result = UploadResult::Failed; // not trusted: nothing was sent
        if (!m_cancelled)
            SetStatus(LoadStr(Msg::UploadFailed));
    } else if (!m_cancelled && !m_outcome.Message.isEmpty()) {
        MsgBox(this, m_outcome.Message, QMessageBox::Warning, QMessageBox::Ok);
    }
    m_succeeded = !m_cancelled && m_outcome.Result == UploadResult::Succeeded;
    if (m_cancelled)
        SetStatus(LoadStr(Msg::ConnectionCancelled));
    m_done = true;
    if (m_succeeded)
        accept();
    else
        reject();
}

void TfrmUpload::closeEvent(QCloseEvent *event)
{
    // No system buttons: a close asked for while the upload runs cancels it.
    if (!m_done) {
        event->ignore();
        butCancelClick();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmUpload::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        butCancelClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

TUploadOutcome RunUploadDialog(QWidget *parent, const TUploadPage &page, const TUploadTarget &target)
{
    TfrmUpload dialog(page, target, parent);
    dialog.exec();
    TUploadOutcome outcome = dialog.Outcome();
    if (dialog.Cancelled())
        outcome.Result = UploadResult::Cancelled;
    return outcome;
}

} // namespace wobbin
