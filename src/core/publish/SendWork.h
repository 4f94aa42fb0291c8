#pragma once
// What the Send panel decides, without widgets: whether a click on the page
// starts the flight, the flight's frames, the page check, the page written
// afresh just before it goes, the question about pictures missing here, what
// the upload is given, and what a finished upload leaves behind (an accepted
// certificate kept with the server, the address of the page, "Send
// everything" used up). The window shows these and runs the dialogs.

#include "page/ResourceList.h"
#include "publish/PageCheck.h"
#include "publish/Upload.h"

#include <QList>
#include <QString>

namespace wobbin {

class TDocument;
struct tWWWServerType;

// One tick of the flight of the page into the web (every 50 ms). Frames 0 to
// 8 draw a picture over the web; frame 9 draws nothing and starts the upload.
struct TFlightFrame {
    QString Bitmap;          // empty on the last frame
    int X = 0, Y = 0;        // where, in the Send panel
    bool HideUpload = false; // the page picture leaves (first frame)
    bool PlaySound = false;  // "wavUpload" (first frame)
    bool Upload = false;     // the last frame: the upload starts
    int Next = 0;            // the frame of the next tick
};
constexpr int kFlightLastFrame = 9;
TFlightFrame UploadFlightFrame(int frame);

// A problem that makes the page go online broken: a picture that is missing
// here or lies outside the HTML folder. The check shows it in red; it never
// keeps the user from sending.
bool BreaksPage(const TPageProblem &problem);

// Whether the check after an upload found that visitors cannot see the page
// yet (no page there, another page or an old copy in its place, no web server
// answering, the page refused...): the files arrived all the same.
bool PageCannotBeSeen(VerifyVerdict verdict);

class TSendWork
{
public:
    explicit TSendWork(TDocument &document, const QString &manifestFolder = QString());

    // "Send everything": the next upload sends every picture, once.
    bool SendEverything = false;

    // Entering Send, and again before an upload: the files to upload as the
    // saved HTML names them, and the page check for that server (nullptr:
    // none chosen).
    void CheckPage(const tWWWServerType *server);
    const QList<TPageProblem> &Problems() const { return m_problems; }
    // The pictures among the files to upload that are not in the HTML folder,
    // as the page refers to them; the upload leaves them out.
    QStringList MissingPictures() const;
    // The note beside the file list naming each refused picture with its
    // reason; empty when none.
    QString RefusedNote() const;

    // A click on the page: message 35 without servers, 34 for a page never
    // saved; empty when the flight may start.
    QString WhyNoFlight(int serverCount) const;

    // Just before the upload: the page's HTML file written from the text as
    // it stands (hand edits included), the file list and the check made
    // afresh. Empty when the upload may start; otherwise the message to show:
    // the cause of a failed write (there is nothing to send), or the
    // references that leave the HTML folder (nothing is sent until they are
    // put right).
    QString PrepareUpload(const tWWWServerType *server);
    // The question to ask before the flight when pictures are missing (Yes
    // sends the page without them); empty when nothing needs asking.
    // References outside the HTML folder are not asked about: they stop the
    // upload in PrepareUpload.
    QString MissingPicturesQuestion() const;
    // What the upload sends: the page and the pictures that are there.
    TUploadPage Page() const;

    // After the upload: a certificate or host key the user accepted, and the
    // number of connections the server took, are kept with the server (the
    // message when the server list could not be saved is returned); on
    // success "Send everything" is used up and the page's web address
    // remembered.
    QString Finished(const tWWWServerType &server, const TUploadOutcome &outcome);
    // The address of the page last sent (empty before the first success).
    QString YourPageAddress() const { return m_yourPage; }

private:
    TDocument &m_doc;
    QString m_manifestFolder;
    QList<TPageProblem> m_problems;
    QString m_yourPage;
};

} // namespace wobbin
