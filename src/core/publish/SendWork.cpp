#include "publish/SendWork.h"

#include "strings/StringTable.h"
#include "strings/Msg.h"
#include "base/Paths.h"
#include "document/Document.h"
#include "document/WebLinks.h"
#include "publish/ServerList.h"

#include <QFileInfo>

namespace wobbin {

namespace {
const QString kCrLf = QStringLiteral("\r\n");

bool PictureIsThere(const ResourceDetail &image)
{
    return QFileInfo(FindPathNoCase(ToNativePath(image.SourcePath))).isFile();
}
} // namespace

TFlightFrame UploadFlightFrame(int frame)
{
    // The page flies from its place into the web, smaller at every frame.
    static const struct {
        const char *bitmap;
        int x, y;
    } kFrames[] = {{"Web_Upload1", 489, 102}, {"Web_Upload2", 504, 151}, {"Web_Upload3", 501, 151},
                   {"Web_Upload4", 500, 150}, {"Web_Upload5", 482, 150}, {"Web_Upload6", 466, 149},
                   {"Web_Upload7", 463, 149}, {"Web_Upload8", 442, 150}, {"Web_Upload9", 401, 142}};
    TFlightFrame f;
    if (frame < 0 || frame >= kFlightLastFrame) {
        f.Upload = true;
        f.Next = 0;
        return f;
    }
    f.Bitmap = QLatin1String(kFrames[frame].bitmap);
    f.X = kFrames[frame].x;
    f.Y = kFrames[frame].y;
    f.HideUpload = f.PlaySound = frame == 0;
    f.Next = frame + 1;
    return f;
}

bool BreaksPage(const TPageProblem &problem)
{
    return problem.Kind == PageProblemKind::MissingPicture || problem.Kind == PageProblemKind::PictureOutsideFolder;
}

bool PageCannotBeSeen(VerifyVerdict verdict)
{
    switch (verdict) {
    case VerifyVerdict::BadAddress:
    case VerifyVerdict::NoAnswer:
    case VerifyVerdict::NotFound:
    case VerifyVerdict::OtherPage:
    case VerifyVerdict::OldCopy:
    case VerifyVerdict::NotSentSinceChange:
    case VerifyVerdict::Forbidden:
    case VerifyVerdict::ServerTrouble:
    case VerifyVerdict::OtherAnswer:
    case VerifyVerdict::BadCertificate:
        return true;
    case VerifyVerdict::Live:
    case VerifyVerdict::NoAddress:
    case VerifyVerdict::IndexInTheWay:
    case VerifyVerdict::PicturesWrong:
    case VerifyVerdict::Cancelled:
        break;
    }
    return false;
}

TSendWork::TSendWork(TDocument &document, const QString &manifestFolder)
    : m_doc(document), m_manifestFolder(manifestFolder)
{
}

void TSendWork::CheckPage(const tWWWServerType *server)
{
    m_doc.UpdateFileList();
    m_problems = CheckPageForSend(m_doc.Page().Blocks, m_doc.Page().PageTitle, m_doc.CurrentFileName(),
                                  m_doc.HTMLFolder(), m_doc.UploadImages(), server, m_manifestFolder,
                                  m_doc.Form() == HtmlForm::FitsPhones);
}

QStringList TSendWork::MissingPictures() const
{
    QStringList missing;
    for (const ResourceDetail &image : m_doc.UploadImages())
        if (!PictureIsThere(image))
            missing << image.RefName;
    return missing;
}

QString TSendWork::RefusedNote() const
{
    const RefusedReferenceList &refused = m_doc.RefusedReferences();
    if (refused.isEmpty())
        return QString();
    QString note = LoadStr(Msg::NotSentOutside);
    for (const RefusedReference &r : refused)
        note += QLatin1Char('\n') + r.Reference + QStringLiteral(": ") + r.Reason;
    return note;
}

QString TSendWork::WhyNoFlight(int serverCount) const
{
    if (serverCount <= 0)
        return LoadStr(Msg::ChooseServerFirst);
    if (m_doc.CurrentFileName().isEmpty())
        return LoadStr(Msg::SaveBeforeUpload);
    return QString();
}

QString TSendWork::PrepareUpload(const tWWWServerType *server)
{
    // The page goes as it stands in the HTML text, hand edits included.
    if (m_doc.HtmlText().isEmpty())
        m_doc.RegenerateHtml();
    const TResult<void> written = m_doc.SaveFromHTML(m_doc.PageHTMLPath());
    if (!written.ok())
        return LoadStr(Msg::PageNotWritten) + kCrLf + ToNativePath(m_doc.PageHTMLPath()) + kCrLf + written.error().Text()
               + kCrLf + LoadStr(Msg::NothingUploaded);
    CheckPage(server);
    // A reference that leaves the HTML folder: nothing of the page goes
    // online until it is put right (the note beside the file list names it).
    const RefusedReferenceList &refused = m_doc.RefusedReferences();
    if (!refused.isEmpty()) {
        QString text = LoadStr(Msg::PicturesOutsideNotSent);
        for (const RefusedReference &r : refused)
            text += kCrLf + r.Reference + QStringLiteral(": ") + r.Reason;
        return text + kCrLf + LoadStr(Msg::NothingUploaded);
    }
    return QString();
}

QString TSendWork::MissingPicturesQuestion() const
{
    const QStringList missing = MissingPictures();
    if (missing.isEmpty())
        return QString();
    return LoadStr(Msg::PicturesOutsideGoWithout) + kCrLf + missing.join(kCrLf) + kCrLf + kCrLf + LoadStr(Msg::SendAllTheSame);
}

TUploadPage TSendWork::Page() const
{
    TUploadPage page;
    page.PageFile = m_doc.CurrentFileName();
    page.HtmlFolder = m_doc.HTMLFolder();
    // A picture missing here is left out rather than failing the upload: the
    // user was asked and chose to send the page without it.
    for (const ResourceDetail &image : m_doc.UploadImages())
        if (PictureIsThere(image))
            page.Images << image;
    page.SendEverything = SendEverything;
    page.SentFilesFolder = m_manifestFolder;
    return page;
}

QString TSendWork::Finished(const tWWWServerType &server, const TUploadOutcome &outcome)
{
    QString message;
    const TResult<void> trusted = RememberTrustedFingerprint(server.Name, outcome.AcceptedFingerprint);
    // A server that took fewer connections at once: later uploads ask for no more.
    const TResult<void> limited = RememberConnectionsAllowed(server.Name, outcome.ConnectionsAllowed);
    // Both fail for the same reason, the list that cannot be saved: told once.
    if (!trusted.ok())
        message = trusted.error().Text();
    else if (!limited.ok())
        message = limited.error().Text();
    if (outcome.Result == UploadResult::Succeeded) {
        SendEverything = false;
        m_yourPage = ::wobbin::YourPageAddress(server.URL, m_doc.CurrentFileName());
    }
    return message;
}

} // namespace wobbin
