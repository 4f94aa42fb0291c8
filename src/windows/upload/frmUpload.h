#pragma once
// The upload dialog: the Splash picture, the progress bar, the status line
// (one blank before the text) and Cancel, while the upload runs on a worker
// thread. It asks about an unknown certificate or host key, shows the upload's
// messages, and closes when the upload is over.

#include "publish/Upload.h"

#include <QDialog>

class QFrame;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace wobbin {

class TUploadRunner;

class TfrmUpload : public QDialog
{
    Q_OBJECT
public:
    TfrmUpload(const TUploadPage &page, const TUploadTarget &target, QWidget *parent = nullptr);
    ~TfrmUpload() override;

    bool Succeeded() const { return m_succeeded; }
    bool Cancelled() const { return m_cancelled; }
    TUploadOutcome Outcome() const { return m_outcome; }
    // The upload behind the dialog (tests shorten its time limits).
    TUploadJob &Job();

    // Controls, by their names.
    QLabel *imgLogo = nullptr;
    QLabel *lblUpProgress = nullptr;
    QProgressBar *pbProgress = nullptr;
    QLabel *lblUpFile = nullptr;
    QProgressBar *pbFile = nullptr; // the file being sent
    QLabel *lblFile = nullptr;      // its name, and how much of it went
    QLabel *lblUpFTPStat = nullptr;
    QFrame *bvlFTP = nullptr;
    QLabel *lblFTPStatus = nullptr;
    QPushButton *butCancel = nullptr;
    QTimer *timInit = nullptr;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();
    void timInitTimer();
    void butCancelClick();
    void SetStatus(const QString &text);
    void SetProgress(qint64 value, qint64 maximum);
    void SetFileProgress(const QString &name, qint64 sent, qint64 size);
    void UploadFinished();

    TUploadRunner *m_runner = nullptr;
    TUploadOutcome m_outcome;
    QString m_serverName;
    bool m_succeeded = false;
    bool m_cancelled = false;
    bool m_done = false;
};

// The upload as the Send panel runs it: the dialog, modal, over parent; the
// outcome tells whether the page is online (Succeeded) and carries a
// certificate fingerprint the user accepted, to be stored with the server.
TUploadOutcome RunUploadDialog(QWidget *parent, const TUploadPage &page, const TUploadTarget &target);

} // namespace wobbin
