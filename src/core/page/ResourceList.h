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

// A picture reference of the page that is not uploaded because it reaches
// outside the HTML folder (or cannot be a file name at all). The HTML keeps
// the reference as written; the window shows these apart from the upload list.
struct RefusedReference {
    QString Reference; // as written in the HTML
    QString Reason;    // why, in plain words
    bool operator==(const RefusedReference &) const = default;
};
using RefusedReferenceList = QList<RefusedReference>;

// The page's HTML file: JoinPath(htmlFolder, page file name without folder and
// extension) + ".html".
QString PageHtmlPath(const QString &currentFileName, const QString &htmlFolder);

// Rebuilds the list from the page's saved HTML file (Windows-1252, or UTF-8
// when it declares so): the "src" and "background" attribute values and the
// pictures of style rules ("url(...)"), in that order. Web addresses
// ("http://", "https://") are never listed; in a page written for today's
// browsers the values are unescaped first ("&amp;" is "&"). With no page file name
// the previous list is returned unchanged (and *refused is left as it was); a
// missing HTML file gives an empty list.
//
// The list never names a file outside the HTML folder: a reference that
// climbs out with "..", is an absolute path or a file URL to another place,
// names another drive, holds a NUL or other control character, or leads out
// through a symbolic link is left out and, when refused is given, put there
// with its reason.
UploadImageList LocaliseImages(const QString &currentFileName, const QString &htmlFolder,
                               const UploadImageList &previous = {},
                               RefusedReferenceList *refused = nullptr);
// The same over HTML text already read; htmlPath is the HTML file's path, and
// its folder is the HTML folder. Links on disk are followed only when
// htmlPath is a path of this file system.
UploadImageList LocaliseImagesInText(const QString &html, const QString &htmlPath,
                                     RefusedReferenceList *refused = nullptr);

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
