#pragma once
// The background picture of a style: chosen anywhere, kept as a copy in the
// "backgrnd" folder of the HTML folder, and stored in the style relative to
// the HTML folder ("backgrnd\stars.gif").

#include <QString>

namespace wobbin {

// The path of destName relative to the folder of baseName, in stored form
// (backslashes). When both paths begin with the same two characters (the
// drive; letter case ignored) the common leading folders are removed and one
// "..\" is put in front for each folder left in the base; otherwise destName
// is returned as it is. Either path may use "/" or "\" as separator.
QString ExtractRelativePath(const QString &baseName, const QString &destName);

// A picture path relative to the HTML folder: measured against the
// placeholder name "shouser" inside it.
QString BackgroundPathRelative(const QString &htmlFolder, const QString &path);

// The largest picture copied (a bigger file is refused with a message).
constexpr qint64 kMaxBackgroundBytes = 64 * 1024 * 1024;

struct TBackgroundCopy
{
    bool Ok = false;
    bool Copied = false;      // false when the picture already was the destination
    QString Destination;      // native path of the picture in the backgrnd folder
    QString StoredPath;       // relative to the HTML folder, e.g. "backgrnd\stars.gif"
    QString Error;            // the cause in words when not Ok
};

// Puts the chosen picture into the backgrnd folder of the HTML folder (made
// when missing) under the name WebFileName gives it ("Sky Blue.JPG" becomes
// "skyblue.jpg"), replacing a file of that name; a picture that already is
// that file is not copied onto itself. The copy goes through the checked writer,
// so a failure leaves an older picture of that name whole.
TBackgroundCopy CopyBackgroundPicture(const QString &htmlFolder, const QString &chosenPath);

} // namespace wobbin
