#pragma once
// The list of local images a saved page's HTML file refers to (uploaded with it).

#include <QList>
#include <QString>

namespace wobbin {

struct ResourceDetail {
    QString SourcePath; // absolute local path, "\" separators
    QString RefName;    // the reference as written in the HTML ("/" separators for a file URL)
    QString RemoteDir;  // always empty
    QString FileTypes = QStringLiteral("gif/jpg");
    bool operator==(const ResourceDetail &) const = default;
};

using UploadImageList = QList<ResourceDetail>;

// The page's HTML file: JoinPath(htmlFolder, page file name without folder and
// extension) + ".html".
QString PageHtmlPath(const QString &currentFileName, const QString &htmlFolder);

// Rebuilds the list from the page's saved HTML file. With no page file name
// the previous list is returned unchanged; a missing HTML file gives an empty list.
UploadImageList LocaliseImages(const QString &currentFileName, const QString &htmlFolder,
                               const UploadImageList &previous = {});
// The same over HTML text already read; htmlPath is the HTML file's path.
UploadImageList LocaliseImagesInText(const QString &html, const QString &htmlPath);

// Cuts out every comment whose inside holds both "<" and ">".
QString RemoveCommentedMarkup(const QString &html);

// Value of the first name= (case-insensitive) in text; empty when absent.
QString AttrValue(const QString &text, const QString &name);
// Relative reference to an absolute path with "\" separators.
QString ResolvePath(const QString &value, const QString &htmlPath);
// "file:///C|/pics/a.gif" -> "C:\pics\a.gif".
QString FileUrlToPath(const QString &url);
// Trims blanks and control characters and removes enclosing double quotes.
QString StripQuotes(const QString &text);

} // namespace wobbin
