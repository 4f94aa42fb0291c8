#pragma once
// Every file the program writes goes through TSafeFile: the new content is
// written beside the old file, checked to have reached the disk, and only then
// put in the old file's place. On any failure the old file stays whole and
// errorString() names the cause in words ("No space left on device").

#include "base/Result.h"

#include <QByteArray>
#include <QSaveFile>
#include <QString>

namespace wobbin {

class TSafeFile
{
public:
    // nativePath: the path as the file system wants it (see ToNativePath).
    explicit TSafeFile(const QString &nativePath);
    ~TSafeFile();
    TSafeFile(const TSafeFile &) = delete;
    TSafeFile &operator=(const TSafeFile &) = delete;

    // Before open(): the file is for its owner alone (0600), also when an
    // older one was readable by others.
    void SetOwnerOnly() { m_ownerOnly = true; }
    [[nodiscard]] bool open();
    // Writes all of bytes; false at the first failure (later writes do nothing).
    [[nodiscard]] bool write(const QByteArray &bytes);
    // For writers that take a device (QImage::save). Writes are unbuffered, so a
    // failure shows at once; commit() checks the device's state as well.
    QIODevice *device() { return &m_file; }
    // For those writers: records that writing through device() failed, with
    // the device's cause when it has one, otherwise the cause given.
    void markDeviceFailure(const QString &otherwise);
    // Checks the data reached the disk, then replaces the old file. False
    // leaves the old file as it was.
    [[nodiscard]] bool commit();
    // Drops the new content; the old file stays.
    void cancel();

    QString fileName() const { return m_path; }
    // The cause of the first failure, in words.
    QString errorString() const;

private:
    void fail(const QString &cause);

    QString m_path;
    QSaveFile m_file;
    QString m_error;
    bool m_failed = false;
    bool m_ownerOnly = false;
};

// Writes bytes as the whole content of the file. On failure the old file stays
// and the error's detail holds the cause in words.
TResult<void> WriteFileSafely(const QString &nativePath, const QByteArray &bytes);
// The same for a file that names servers or logins: its owner alone may read
// it (0600).
TResult<void> WritePrivateFileSafely(const QString &nativePath, const QByteArray &bytes);
// A working copy that lives only until the command that made it ends, in a
// private temporary folder: every write is checked like the others, and a
// failed one leaves no file. It is written in place and not forced to the
// disk: nobody else sees it, and after a power cut there is nothing to keep.
TResult<void> WriteScratchFile(const QString &nativePath, const QByteArray &bytes);
// Makes the folder (and those above it) when missing, and keeps others out of
// it (0700); false when it cannot be made.
[[nodiscard]] bool MakePrivateFolder(const QString &nativePath);

} // namespace wobbin
