#pragma once
// The page file (".qze", templates ".qzt") and the page picture beside it
// (the page file name + ".bmp").
//
// Layout: "Wobbin Express File" (19 bytes), version "1.07" (4 bytes), style
// name (PString, from minor 1), title (PString, from minor 3), block count N,
// N entries of Kind + kind record, 4, -1, "End of Wobbin Express File >=)".

#include "base/Result.h"

#include <QByteArray>
#include <QString>

namespace wobbin {

class TPageDocument;

constexpr int kPagePictureWidth = 196;
constexpr int kPagePictureHeight = 229;

QByteArray PageFileMagic();   // "Wobbin Express File"
QByteArray PageFileTrailer(); // "End of Wobbin Express File >=)"

// The bytes of the document as a page file.
QByteArray PageFileBytes(const TPageDocument &doc, const QString &styleName);

// Writes the page file and, when pictureBmp is not empty, the page picture
// (the bytes of a BMP file, see PagePictureBytes in pictures/PagePicture.h) as
// fileName + ".bmp". Both are written atomically: an existing file stays whole
// until its replacement is complete. Fails, with an explanation, when a file
// could not be written.
TResult<void> WritePageFile(const QString &fileName, const TPageDocument &doc, const QString &styleName,
                            const QByteArray &pictureBmp);

// Why a read stopped.
enum class PageReadStop {
    Ok,               // every entry read (or an end-of-blocks marker met)
    FileMissing,      // missing or unreadable
    NotPageFile,      // wrong magic
    OtherMajorVersion,
    BadVersionText,   // version characters are not digits
    BadKind,          // a kind outside -1..5 at StopBlock
    Truncated,        // the data ended inside the header or inside entry StopBlock
};

struct PageReadResult {
    PageReadStop Stop = PageReadStop::Ok;
    int ReadStopState = 0; // 0 blocks read normally, 3 end marker met, 4 bad kind
    int StopBlock = -1;    // entry where reading stopped (BadKind/Truncated in a block)
    int BlocksRead = 0;    // blocks appended to the document
    int Major = 0;
    int Minor = 0;
    QString VersionText;
    bool HasStyleName = false;
    QString StyleName;     // the window selects the style with exactly this name
    bool HasTitle = false;
    QString Title;         // also stored into the document's PageTitle
    int DeclaredCount = 0; // N as stored
    bool IsOk() const { return Stop == PageReadStop::Ok; }
};

// One line describing the result ("truncated in block 3 (2 blocks read)", ...).
QString DescribeReadResult(const PageReadResult &result);

// Reads page-file bytes, appending the blocks to the document (with
// LoadChunk for each). Never reads past the data, never allocates by a
// stored count, keeps the blocks read before any damage.
PageReadResult ReadPageBytes(const QByteArray &data, TPageDocument &doc);
// The same from a file (a native path or a stored one with backslashes).
PageReadResult ReadPageFile(const QString &fileName, TPageDocument &doc);

// The picture file of a page file when the page file has the magic and major
// version 1 and the picture exists; empty otherwise.
QString ReadPreviewPicture(const QString &fileName);

// Version numbers of a 4-character version text: major = first character,
// minor = last two. False when those characters are not digits.
bool ParsePageVersion(const QByteArray &version, int &major, int &minor);

} // namespace wobbin
