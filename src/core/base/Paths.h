#pragma once
// Path helpers. The program keeps Windows-style paths with backslashes in its
// files and fields ("graphics\a.gif", "C:\Web"); they are turned into native
// paths only where a file is actually touched.

#include <QHash>
#include <QString>

namespace wobbin {

// Joins a folder and a name with exactly one backslash: a leading backslash of
// the name is dropped, none is added when the folder already ends in one.
QString JoinPath(const QString &folder, const QString &name);

// A stored path as the file system here wants it: backslashes become slashes.
QString ToNativePath(const QString &path);

// Finds an existing file or folder whose path matches the given one without
// regard to letter case, segment by segment. Returns the path as it is on disk,
// or the given (native) path unchanged when nothing matches.
QString FindPathNoCase(const QString &path);

// The name the program gives a picture it copies into the HTML folder's
// "graphics" or "backgrnd" folder, made from the chosen file's name (without
// its folder): without blanks, in lower case. The page refers to the copy by
// exactly this name, and the server stores it under the same letters.
QString WebFileName(const QString &fileName);

// Real paths (links resolved, as QFileInfo::canonicalFilePath gives them) of
// many files in a few folders: each folder is resolved once, and a file that
// is no link costs one look at the file itself. Empty for a path that does not
// lead to anything.
class TRealPaths
{
public:
    QString Of(const QString &nativePath);

private:
    QHash<QString, QString> m_folders; // folder as given -> real folder ("" when none)
};

} // namespace wobbin
