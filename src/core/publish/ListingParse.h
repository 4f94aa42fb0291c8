#pragma once
// What a file server sends as text and the transfer client reads: a folder's
// listing and the answer to a size query. Pure functions of the bytes, with
// no connection: every line may be hostile, and a damaged one is skipped.

#include <QByteArray>
#include <QList>
#include <QString>

namespace wobbin {

// A name in a folder's listing, with its size where the server gives it (-1 otherwise).
struct TRemoteEntry {
    QString Name;
    qint64 Size = -1;
};

// A folder's listing as the server sends it, read as ListFolder reads it: the
// machine-readable form ("type=file;size=123;modify=...; name", one a line)
// and the names alone, one a line. The folder itself and its parent are left
// out; damaged lines are skipped.
QList<TRemoteEntry> ParseMachineListing(const QByteArray &listing);
QList<TRemoteEntry> ParseNameListing(const QByteArray &listing);

// The size in an FTP answer to SIZE ("213 <size>"), or -1 when the line is
// another answer or holds no size.
qint64 ParseSizeAnswer(const QByteArray &line);

// Whether one name of a remote path (a file or folder name, no slash) may be
// used as it is: not empty, not "." or "..", no control character, no
// backslash. Every kind of destination checks names with it.
bool SafeRemoteName(const QString &name);

} // namespace wobbin
