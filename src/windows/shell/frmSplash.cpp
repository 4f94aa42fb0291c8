#include "shell/frmSplash.h"

#include "shell/Application.h"
#include "shell/Palette.h"
#include "base/Paths.h"
#include "shell/Skin.h"
#include "strings/StringTable.h"
#include "strings/Msg.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QVideoWidget>

namespace wobbin {

namespace {
constexpr int kWidth = 464;
constexpr int kHeight = 283;
// How long a video may take to open, and how long past its length it may run.
constexpr int kOpenLimitMs = 8000;
constexpr int kOverrunMs = 5000;
constexpr int kUnknownLengthLimitMs = 60000;

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text, QRect geometry)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(geometry);
    l->setWordWrap(true);
    l->setAttribute(Qt::WA_TranslucentBackground);
    return l;
}
} // namespace

TfrmSplash::TfrmSplash(QWidget *parent) : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowTitle(QStringLiteral("Wobbin Express"));
    setFixedSize(kWidth, kHeight);
    UseProgramPalette(this);

    imgSplash = new QLabel(this);
    imgSplash->setObjectName(QStringLiteral("imgSplash"));
    imgSplash->setGeometry(31, 31, 200, 200);
    imgSplash->setScaledContents(true);
    imgSplash->hide();

    memAVI = new QVideoWidget(this);
    memAVI->setObjectName(QStringLiteral("memAVI"));
    memAVI->setGeometry(31, 31, 200, 200);
    memAVI->setEnabled(false);

    medAVI = new QMediaPlayer(this);
    medAVI->setObjectName(QStringLiteral("medAVI"));

    const QString arial = LoadStr(Msg::DefaultFontName);
    QFont bold(arial, 15, QFont::Bold);
    Label1 = MakeLabel(this, "Label1", QStringLiteral("Wobbin Express"), QRect(262, 40, 186, 30));
    Label1->setFont(bold);
    lblVersion = MakeLabel(this, "lblVersion", QStringLiteral("Version 1.07"), QRect(262, 74, 186, 20));
    lblVersion->setFont(QFont(arial, 9));
    Label2 = MakeLabel(this, "Label2",
                       QStringLiteral("Wobbin Express works hand in hand with the Wobbin Studio 4 HTML editor."),
                       QRect(262, 110, 186, 48));
    Label2->setFont(QFont(arial, 8));
    lblNotice = MakeLabel(this, "lblNotice", LoadStr(Msg::Copyright), QRect(262, 196, 186, 40));
    lblNotice->setFont(QFont(arial, 7));

    timWait = new QTimer(this);
    timWait->setObjectName(QStringLiteral("timWait"));
    timWait->setInterval(1000);
    timWait->setTimerType(Qt::PreciseTimer); // a full second, never a little less
    connect(timWait, &QTimer::timeout, this, &TfrmSplash::timWaitTimer);

    // Centred on the screen.
    if (QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - QPoint(kWidth / 2, kHeight / 2));
    }
}

TfrmSplash::~TfrmSplash() = default;

void TfrmSplash::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QPixmap back = LoadBitmap(QStringLiteral("SPLASH_BACK"));
    if (!back.isNull())
        p.drawPixmap(0, 0, back);
}

void TfrmSplash::ShowStill()
{
    memAVI->hide();
    ShowBitmap(imgSplash, QStringLiteral("Splash"));
    imgSplash->show();
}

bool TfrmSplash::OpenVideo(const QString &file)
{
    if (!QMediaDevices::audioOutputs().isEmpty()) {
        m_audio = new QAudioOutput(this);
        medAVI->setAudioOutput(m_audio);
    }
    medAVI->setVideoOutput(memAVI);
    medAVI->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    // Wait until the video is opened (or refused).
    QEventLoop loop;
    bool failed = medAVI->error() != QMediaPlayer::NoError;
    auto statusConn = connect(medAVI, &QMediaPlayer::mediaStatusChanged, &loop,
                              [&](QMediaPlayer::MediaStatus s) {
                                  if (s == QMediaPlayer::InvalidMedia) {
                                      failed = true;
                                      loop.quit();
                                  } else if (s == QMediaPlayer::LoadedMedia || s == QMediaPlayer::BufferedMedia) {
                                      loop.quit();
                                  }
                              });
    auto errorConn = connect(medAVI, &QMediaPlayer::errorOccurred, &loop, [&] {
        failed = true;
        loop.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, [&] {
        failed = true;
        loop.quit();
    });
    const auto status = medAVI->mediaStatus();
    if (!failed && status != QMediaPlayer::LoadedMedia && status != QMediaPlayer::BufferedMedia) {
        if (status == QMediaPlayer::InvalidMedia) {
            failed = true;
        } else {
            limit.start(kOpenLimitMs);
            loop.exec();
        }
    }
    disconnect(statusConn);
    disconnect(errorConn);
    if (TerminationRequested())
        failed = true;
    if (!failed && !medAVI->hasVideo() && medAVI->duration() <= 0)
        failed = true;
    return !failed;
}

bool TfrmSplash::ShowAVI(bool play)
{
    if (!play)
        return true;
    QEventLoop loop;
    bool failed = false;
    bool ended = false;
    auto c1 = connect(medAVI, &QMediaPlayer::mediaStatusChanged, &loop, [&](QMediaPlayer::MediaStatus s) {
        if (s == QMediaPlayer::EndOfMedia) {
            ended = true;
            loop.quit();
        } else if (s == QMediaPlayer::InvalidMedia) {
            failed = true;
            loop.quit();
        }
    });
    auto c2 = connect(medAVI, &QMediaPlayer::errorOccurred, &loop, [&] {
        failed = true;
        loop.quit();
    });
    // A video that stalls must not keep the program from starting.
    const qint64 length = medAVI->duration();
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, &loop, [&] {
        if (medAVI->position() <= 0)
            failed = true;
        loop.quit();
    });
    limit.start(length > 0 ? int(qMin<qint64>(length + kOverrunMs, kUnknownLengthLimitMs)) : kUnknownLengthLimitMs);
    medAVI->play();
    if (!TerminationRequested())
        loop.exec();
    disconnect(c1);
    disconnect(c2);
    medAVI->stop();
    m_videoPlayed = ended && !failed;
    return !failed;
}

QWidget *TfrmSplash::RunStartup(const QString &appDir, bool companionRunning,
                                const std::function<QWidget *()> &createMain)
{
    m_createMain = createMain;
    if (!companionRunning) {
        const QString video = FindPathNoCase(ToNativePath(JoinPath(appDir, QStringLiteral("splash.avi"))));
        bool played = false;
        if (QFileInfo(video).isFile()) {
            if (OpenVideo(video)) {
                imgSplash->hide();
                memAVI->show();
                show();
                played = ShowAVI(true);
            }
            m_videoFailed = !played;
            if (!played) {
                medAVI->setSource(QUrl());
                ShowStill();
                show();
            }
        } else {
            ShowStill();
            show();
            ShowAVI(false);
        }
    }
    // One second more, then the main window.
    if (TerminationRequested())
        return nullptr;
    SplashWaiting = true;
    timWait->start();
    QEventLoop loop;
    QTimer poll;  // leaves the wait when the program is told to end
    connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!SplashWaiting || TerminationRequested())
            loop.quit();
    });
    poll.start(20);
    while (SplashWaiting && !TerminationRequested())
        loop.exec();
    timWait->stop();
    return m_main;
}

void TfrmSplash::timWaitTimer()
{
    timWait->stop();
    if (m_createMain && !TerminationRequested()) {
        m_main = m_createMain();
        if (m_main)
            m_main->show();
    }
    hide();
    SplashWaiting = false;
}

} // namespace wobbin
