#pragma once
// The start-up window: borderless, 464 x 283, centred, painted with the bitmap
// "SPLASH_BACK". With "splash.avi" in AppDir the video plays once in memAVI;
// otherwise (or when the video cannot be opened or played) the still picture
// "Splash" shows in imgSplash. Then timWait waits one second and hands over to
// the main window.

#include <QWidget>
#include <functional>

class QLabel;
class QMediaPlayer;
class QAudioOutput;
class QTimer;
class QVideoWidget;

namespace wobbin {

class TfrmSplash : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget *parent = nullptr);
    ~TfrmSplash() override;

    // The start-up after the window's construction: unless the companion editor
    // is running, show the video from appDir (or the still picture) and the
    // window; then wait one second and call createMain, which creates and shows
    // the main window; the splash window is hidden then. Returns the main window
    // (nullptr when the program was told to end during the wait).
    QWidget *RunStartup(const QString &appDir, bool companionRunning,
                        const std::function<QWidget *()> &createMain);

    // Plays the video once (play = true) while processing events; returns false
    // when it could not be opened or played.
    bool ShowAVI(bool play);
    // Shows the still picture "Splash" instead of the video area.
    void ShowStill();

    bool SplashWaiting = false;
    bool VideoFailed() const { return m_videoFailed; }
    bool VideoPlayed() const { return m_videoPlayed; }

    // Controls, by their names.
    QLabel *imgSplash = nullptr;
    QVideoWidget *memAVI = nullptr;
    QMediaPlayer *medAVI = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblNotice = nullptr;
    QLabel *Label2 = nullptr;
    QTimer *timWait = nullptr;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void timWaitTimer();
    bool OpenVideo(const QString &file);

    std::function<QWidget *()> m_createMain;
    QWidget *m_main = nullptr;
    QAudioOutput *m_audio = nullptr;
    bool m_videoFailed = false;
    bool m_videoPlayed = false;
};

} // namespace wobbin
