#pragma once
// The Send panel: everything inside pnlSend. The server combo and its edit
// button, the files to upload, the flashing page that starts the upload, and
// the rotating web of logos under the magnifier (its rules in
// document/WebLinks.h). The server list, the server wizard and the upload
// hook in here: the panel owns cmbServers and announces the clicks.

#include "document/WebLinks.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QTimer;
class QToolButton;
class QWidget;

namespace wobbin {

class TImage;
class TWhatsThis;

class TSendPanel : public QObject
{
    Q_OBJECT
public:
    // Creates the controls as children of pnlSend (629 x 294).
    TSendPanel(QWidget *pnlSend, TWhatsThis &whatsThis, QObject *parent = nullptr);

    void StringEmUp();
    void PaintEmAll();

    // Entering Send: the web reset, the upload picture shown and flashing.
    void Enter();
    // The upload picture stops flashing (every state change starts so).
    void StopFlashing();
    // The user's page under the magnifier is hidden until an upload shows it.
    void HideYourPage();
    // The files to upload, as the document lists them.
    void SetFiles(const QStringList &names);
    // The note naming the pictures that are not sent (hidden when empty).
    void SetRefusedNote(const QString &note);
    // The page check's entries; those that break the page show in red.
    struct ProblemEntry {
        QString Text;
        bool BreaksPage = false;
        bool Serious = false;
    };
    void SetProblems(const QList<ProblemEntry> &entries);
    // The "Send everything" check box.
    void SetSendEverything(bool on);

    // The flight of the page into the web; flightLanded follows its last frame.
    void StartFlight();
    bool Flying() const;
    // After the upload: on success the user's page comes under the magnifier
    // (address: where a click on it leads), else the page picture returns.
    void UploadFinished(bool succeeded, const QString &address);

    // The server combo box, filled by the server list.
    QComboBox *ServerCombo() const { return cmbServers; }
    // The web's state: position, turn, and whether the page was uploaded.
    TRotatingWeb &Web() { return m_web; }
    // Shows the picture and the text of the web's position.
    void DisplayMagnifier();

    // Timer and click handlers.
    void timWebAnTimer();
    void timFlashPageTimer();
    void imgUploadLeftClick();
    void imgUploadRightClick();
    void imgYourPageClick();
    void timUploadTimer();

Q_SIGNALS:
    // The flashing page was clicked: the upload starts.
    void uploadClicked();
    // The edit button of the server list was clicked.
    void editServersClicked();
    // A logo was clicked: its address for the browser.
    void openAddress(const QString &address);
    // The page landed in the web: the upload starts now.
    void flightLanded();
    // An entry of the page check was double-clicked (its row).
    void problemActivated(int row);
    // The user ticked or cleared "Send everything".
    void sendEverythingToggled(bool on);

private:
    void turn(bool left);
    void drawWebFrame(const QString &bitmap, int x, int y);
    QList<TImage *> magnifierImages() const;

    TRotatingWeb m_web;
    QLabel *lblUpServer = nullptr, *lblUpRotate1 = nullptr, *lblUpRotate2 = nullptr,
           *lblUpDesc = nullptr, *lblUploadFiles = nullptr, *lblMag = nullptr;
    QComboBox *cmbServers = nullptr;
    QToolButton *spdEditWWW = nullptr;
    QListWidget *lstFiles = nullptr;
    QLabel *lblRefused = nullptr;
    QCheckBox *chkSendAll = nullptr;
    QLabel *lblProblems = nullptr;
    QListWidget *lstProblems = nullptr;
    int UploadFrame = 0;
    QString m_yourPageAddress;
    TImage *imgWebBack = nullptr;
    TImage *imgUpload = nullptr;
    TImage *imgUploadLeft = nullptr, *imgUploadRight = nullptr;
    TImage *imgYourPage = nullptr;
    QList<TImage *> m_logos; // positions 0..6
    QTimer *timWebAn = nullptr;
    QTimer *timFlashPage = nullptr;
    QTimer *timUpload = nullptr;
};

} // namespace wobbin
