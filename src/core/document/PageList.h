#pragma once
// The list of templates and saved pages on the Choose panel, and what its
// commands Delete and Rename do to the files.

#include "base/Result.h"

#include <QList>
#include <QString>

namespace wobbin {

// One entry: caption = file name without extension; Kind 0 a template
// (folder "template", *.qzt), 1 a saved page (folder "save", *.qze). The kind
// is the only mark of a saved page: opening an entry passes Kind == 1.
struct PageListEntry {
    QString Caption;
    QString Path; // full native path
    int Kind = 0;
    bool IsPage() const { return Kind == 1; }
    bool operator==(const PageListEntry &) const = default;
};

// Templates first, then saved pages, each sorted by name without regard to
// case (the file system gives no useful order). Missing folders give nothing.
QList<PageListEntry> ListPages(const QString &appDir);

// Blanks and control characters at either end removed.
QString TrimCaption(const QString &caption);
// True when the caption holds one of / \ : * ? " < > |.
bool HasForbiddenCharacter(const QString &caption);

// The picture beside a page file follows the page: an old picture left at
// the new name by an earlier page of that name is replaced. False when a
// picture was there and could not follow.
[[nodiscard]] bool MovePicture(const QString &from, const QString &to);

// The question before deleting an entry: message 5080, the name in quotes, "?".
QString DeletePageQuestion(const QString &caption);
// Deletes the page file and the picture beside it (a picture without a page
// goes as well). Fails, with the reason, when the page stays.
TResult<void> DeletePage(const QString &path);

// What renaming an entry did.
struct RenameOutcome {
    enum Result {
        Kept,      // no change: an empty or unchanged name
        Renamed,   // page (and picture) renamed to NewPath
        Forbidden, // a forbidden character: message 5082, old name kept
        Exists,    // another page has that name: kept, Message says so
        Missing,   // the file went away: the list is read again
        Failed,    // the rename failed: Message says so
    };
    Result Outcome = Kept;
    QString Caption;  // the caption the entry shows now
    QString NewPath;  // for Renamed
    QString Message;  // to show, empty for none
};
// Renames the entry's file (path, caption shown before) after the caption
// typed in place. The extension stays; the comparison is case-sensitive.
RenameOutcome RenamePage(const QString &path, const QString &oldCaption, const QString &typed);

} // namespace wobbin
