#pragma once
// The style library: named combinations of a background picture and five
// colours, kept in the file "Styles.data" beside the program, and the BODY
// tag a page receives from the chosen style.
//
// File layout (all integers 32-bit little-endian): the number of styles N,
// then N records of seven PStrings each: Name, Image, and the background,
// text, link, active link and visited link colours in colour-name notation
// ("clNavy", "$00123456", or a decimal number).

#include "base/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace wobbin {

// A colour value: $00BBGGRR (red in the low byte), $80000000 plus a system
// colour index, or $1FFFFFFF for "none".
using TColor = std::uint32_t;

constexpr TColor clNone = 0x1FFFFFFF;

struct TStyleChunk
{
    QString Name;
    QString Image;   // relative to the HTML folder, e.g. "backgrnd\stars.gif"; empty for none
    TColor BackColour = 0;
    TColor TextColour = 0;
    TColor LinkColour = 0;
    TColor ActiveColour = 0;
    TColor VisitedColour = 0;

    bool operator==(const TStyleChunk &other) const = default;
};

using StyleList = QList<TStyleChunk>;

// How a library file was read.
enum class StyleLoadStatus {
    Complete,   // every record the file announced was read
    Missing,    // the file does not exist or cannot be opened
    Damaged     // the file ended early or held a colour text that is no colour
};

// Reads a library held in memory. Records are read in order until the count
// is reached or a record cannot be read completely; the records read before
// a damaged one are kept. Never allocates more than the data holds.
StyleList ParseStyles(const QByteArray &data, StyleLoadStatus *status = nullptr);

// Reads the library file (a native path or a stored one with backslashes; the
// file is found without regard to letter case). A missing, empty, short or
// damaged file yields the styles read so far (possibly none).
StyleList LoadStyles(const QString &path, StyleLoadStatus *status = nullptr);

// The bytes of a library file holding these styles.
QByteArray SerializeStyles(const StyleList &styles);

// Writes the library file as a whole through the checked writer: the new
// library is written beside the old one, checked to have reached the disk and
// only then put in its place, so a failed write (a full disk, a read-only
// folder) leaves the old library whole and the error names the cause. An
// existing file whose name differs only in letter case is the one replaced.
TResult<void> WriteStyles(const QString &path, const StyleList &styles);

// The library file of a program folder: appDir joined with "Styles.data".
QString StylesFilePath(const QString &appDir);

// Writes the whole list as the library of the program folder (see WriteStyles).
TResult<void> WriteStylesToFile(const QString &appDir, const StyleList &styles);

// Colour-name notation: the name of a named colour, otherwise "$" and eight
// upper-case hexadecimal digits.
QString ColourToString(TColor colour);

// Reads a colour name (letter case ignored), a "$" hexadecimal number or a
// decimal number. Returns false, leaving colour untouched, for anything else.
bool StringToColour(const QString &text, TColor &colour);

// The colour as six hexadecimal digits red, green, blue (the high byte is
// dropped; system colours are not resolved).
QString ColourToHTML(TColor colour);

// The BODY tag for a style, ended by CR LF.
QString BuildBodyWithStyle(const TStyleChunk &style);

// Replaces the page's BODY tag (from its "<BODY", case-sensitive, up to and
// including its ">") by the tag. Only a real tag counts: "<BODY" written in a
// comment, the title, a script or style, or inside another tag's attribute
// value is left alone. Without a BODY tag the text is returned unchanged;
// without a ">" after it, the tag replaces everything to the end.
QString ReplaceBodyTag(const QString &html, const QString &tag);

// The tag for an entry of the style list box: "<BODY>" for entry 0 ("[None]"),
// otherwise the tag of style (entry - 1) with its line break removed. An entry
// outside the list gives an empty text (nothing to apply).
QString BodyTagForEntry(const StyleList &styles, int entry);

// The entries of the style list box: the "none" text, then the style names.
QStringList StyleListEntries(const StyleList &styles, const QString &noneText = QStringLiteral("[None]"));

// The index of the entry whose text equals name without regard to letter
// case, or -1 when there is none.
int FindStyleEntry(const QStringList &entries, const QString &name);

} // namespace wobbin
