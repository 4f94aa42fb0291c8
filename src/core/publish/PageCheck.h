#pragma once
// The page check of the Send panel: before a page is sent, everything a
// beginner would want to know about it, in plain words, each entry naming the
// block it is about (number and kind) and the field that holds the problem, so
// that the window can lead the user there. The check never blocks the upload.
//
// CheckPage reads the page's blocks and measures its pictures (header bytes
// only); the window shows the entries and, on a double-click, goes to the
// entry's block in Build and focuses its field (TPageProblem::Field is the
// control's object name).

#include "page/BlockList.h"
#include "page/ResourceList.h"
#include "publish/PictureHeader.h"

#include <QList>
#include <QString>

namespace wobbin {

struct tWWWServerType;

enum class PageProblemKind {
    NoPicture,            // an image block without a picture file
    MissingPicture,       // a picture the page refers to is not in the HTML folder
    PictureOutsideFolder, // a picture outside the HTML folder: it cannot be sent
    SlowPicture,          // over 1 MB or wider than 2,000 pixels
    NoDescription,        // a picture without alternative text
    UnfinishedLink,       // a link whose address is empty or only "http://"
    LinkWithoutScheme,    // "www.example.com": the browser looks for it on the user's own site
    BlanksInAddress,      // a link or picture address with blanks
    NotEmailAddress,      // an e-mail block whose address is not an e-mail address
    EmptyTitle,
    DefaultTitle,         // still the title every new page gets
    PageNameChanged,      // the server stores the page under another name (blanks removed)
    FirstPageNotIndex,    // the first page of a site is not called index
    NotForPhones,         // the page is written the classic way: phones show it very small
};

struct TPageProblem {
    PageProblemKind Kind = PageProblemKind::EmptyTitle;
    int BlockIndex = -1;     // block in the block list (0-based); -1 for the page as a whole
    int BlockKind = bkNone;  // kind of that block
    QString Field;           // object name of the control to focus ("txtImgDesc", "txtTitle"); may be empty
    QString Reference;       // the picture or address concerned, as written
    QString Text;            // the whole entry in plain words ("Block 3 (Image): ...")
    bool Serious = false;    // the page will look broken (as opposed to advice)
};

struct TPageCheckInput {
    const BlockList *Blocks = nullptr;
    QString PageTitle;
    QString PageFile;            // the page file (CurrentFileName); empty while never saved
    QString HtmlFolder;          // where the page's pictures are (native path)
    // The pictures the saved HTML refers to (LocaliseImages): those that no
    // block names (the style's background, the logo, hand edits) are checked too.
    UploadImageList Resources;
    // Nothing has been sent to the chosen server yet: this page starts the site.
    bool FirstPageOfSite = false;
    // The page is written to fit phones (otherwise the check says how to).
    bool FitsPhones = true;
    PictureMeasure Measure;      // empty: MeasurePicture
};

// Thresholds of a slow picture, and the line speed the waiting time is told for.
constexpr qint64 kSlowPictureBytes = 1024 * 1024;
constexpr int kSlowPictureWidth = 2000;
constexpr qint64 kSlowLineBitsPerSecond = 1000 * 1000;

// Every problem, in page order (blocks first, then the page as a whole).
QList<TPageProblem> CheckPage(const TPageCheckInput &input);

// The Send panel's one call, on entering Send and before an upload starts: the
// page as it stands, for the server chosen in the panel (nullptr: none yet).
// Whether this is the first page of the site comes from what was last sent to
// that server (UploadManifest.h, in manifestFolder; empty: the usual folder).
QList<TPageProblem> CheckPageForSend(const BlockList &blocks, const QString &pageTitle, const QString &pageFile,
                                     const QString &htmlFolder, const UploadImageList &images,
                                     const tWWWServerType *server, const QString &manifestFolder = QString(),
                                     bool fitsPhones = true);

// Where a double-click on the entry leads: the workspace state (1 Build for a
// block's field, 2 View for the title and the way of writing) and the control
// to focus (Field);
// -1 when the entry leads nowhere (the page's name: it is changed by Save As).
int WorkspaceStateFor(const TPageProblem &problem);

// Parts the check and the window share.
QString BlockKindName(int kind);                 // "Paragraph", "Link", "Image", ...
bool LooksLikeEmailAddress(const QString &address);
// "850 KB", "2.4 MB"; "about 20 seconds", "about 2 minutes".
QString SizeInWords(qint64 bytes);
QString SlowLineTimeInWords(qint64 bytes);

} // namespace wobbin
