#include "base/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace wobbin {

namespace {
QString ErrnoText(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}
} // namespace

TSafeFile::TSafeFile(const QString &nativePath) : m_path(nativePath), m_file(nativePath) {}

TSafeFile::~TSafeFile()
{
    if (m_file.isOpen())
        m_file.cancelWriting();
}

void TSafeFile::fail(const QString &cause)
{
    if (!m_failed) {
        m_failed = true;
        m_error = cause.isEmpty() ? QStringLiteral("Unknown error") : cause;
    }
}

namespace {
// Why a file cannot be written, in the system's words ("Read-only file
// system", "Permission denied"); empty when the system sees no reason.
QString CauseOfNoWrite(const QString &path)
{
    const QByteArray file = QFile::encodeName(path);
    if (::access(file.constData(), F_OK) == 0) {
        if (::access(file.constData(), W_OK) != 0)
            return ErrnoText(errno);
    }
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    if (::access(folder.constData(), W_OK) != 0)
        return ErrnoText(errno);
    return QString();
}

// Opens file for writing, unbuffered: a write that does not reach the file
// fails at once with its cause instead of being lost in a buffer flushed
// later. The cause of a failure in words, empty when it opened.
QString OpenForWriting(QFileDevice &file, const QString &path, QIODevice::OpenMode extra = {})
{
    errno = 0;
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered | extra))
        return QString();
    const int code = errno;
    QString cause = CauseOfNoWrite(path);
    if (cause.isEmpty() && code != 0)
        cause = ErrnoText(code);
    if (cause.isEmpty())
        cause = file.errorString();
    return cause.isEmpty() ? QStringLiteral("Unknown error") : cause;
}
} // namespace

bool TSafeFile::open()
{
    if (const QString cause = OpenForWriting(m_file, m_path); !cause.isEmpty()) {
        fail(cause);
        return false;
    }
    // Others are kept out before the first byte goes in.
    if (m_ownerOnly && ::fchmod(m_file.handle(), S_IRUSR | S_IWUSR) != 0) {
        fail(ErrnoText(errno));
        m_file.cancelWriting();
        m_file.commit();
        return false;
    }
    return true;
}

namespace {
// Writes all of bytes to an unbuffered file; the cause of a failure in words.
QString WriteAll(QFileDevice &file, const QByteArray &bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            const int code = errno;
            const QString cause = code != 0 ? ErrnoText(code) : file.errorString();
            return cause.isEmpty() ? QStringLiteral("Unknown error") : cause;
        }
        done += n;
    }
    return QString();
}
} // namespace

bool TSafeFile::write(const QByteArray &bytes)
{
    if (m_failed || !m_file.isOpen()) {
        fail(QStringLiteral("the file is not open"));
        return false;
    }
    const QString cause = WriteAll(m_file, bytes);
    if (!cause.isEmpty())
        fail(cause);
    return cause.isEmpty();
}

void TSafeFile::markDeviceFailure(const QString &otherwise)
{
    if (m_file.error() != QFileDevice::NoError)
        fail(m_file.errorString());
    else
        fail(otherwise);
}

bool TSafeFile::commit()
{
    if (!m_file.isOpen()) {
        fail(QStringLiteral("the file is not open"));
        return false;
    }
    if (!m_failed && m_file.error() != QFileDevice::NoError)
        fail(m_file.errorString());
    if (!m_failed && !m_file.flush())
        fail(m_file.errorString());
    if (!m_failed) {
        const int fd = m_file.handle();
        if (fd >= 0 && ::fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
            fail(ErrnoText(errno));
    }
    if (m_failed) {
        m_file.cancelWriting();
        if (m_file.isOpen())
            m_file.commit(); // closes without replacing anything
        return false;
    }
    if (!m_file.commit()) {
        fail(m_file.errorString());
        return false;
    }
    return true;
}

void TSafeFile::cancel()
{
    if (m_file.isOpen()) {
        m_file.cancelWriting();
        m_file.commit();
    }
}

QString TSafeFile::errorString() const
{
    return m_error;
}

namespace {
TResult<void> WriteWhole(TSafeFile &file, const QByteArray &bytes)
{
    if (file.open() && file.write(bytes) && file.commit())
        return {};
    return TError(file.errorString());
}
} // namespace

TResult<void> WriteFileSafely(const QString &nativePath, const QByteArray &bytes)
{
    TSafeFile file(nativePath);
    return WriteWhole(file, bytes);
}

TResult<void> WritePrivateFileSafely(const QString &nativePath, const QByteArray &bytes)
{
    TSafeFile file(nativePath);
    file.SetOwnerOnly();
    return WriteWhole(file, bytes);
}

TResult<void> WriteScratchFile(const QString &nativePath, const QByteArray &bytes)
{
    // In place: the atomic replacement would force the file to the disk.
    QFile file(nativePath);
    if (const QString cause = OpenForWriting(file, nativePath, QIODevice::Truncate); !cause.isEmpty())
        return TError(cause);
    const QString cause = WriteAll(file, bytes);
    file.close();
    if (cause.isEmpty() && file.error() == QFileDevice::NoError)
        return {};
    file.remove();
    return TError(cause.isEmpty() ? file.errorString() : cause);
}

bool MakePrivateFolder(const QString &nativePath)
{
    if (!QDir().mkpath(nativePath))
        return false;
    return ::chmod(QFile::encodeName(nativePath).constData(), S_IRWXU) == 0;
}

} // namespace wobbin
