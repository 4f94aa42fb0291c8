#include "support/SmallFileSystem.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

namespace wobbin::testing {

namespace {
QString g_unavailable = QStringLiteral("the private mount namespace was not entered");

QString ErrnoText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
} // namespace

bool RunningAsRoot()
{
    return ::geteuid() == 0;
}

void EnterPrivateMountNamespace()
{
    if (!RunningAsRoot()) {
        g_unavailable = QStringLiteral("mounting a small full or read-only file system needs root "
                                       "(the test runs as user %1)").arg(::geteuid());
        return;
    }
    if (::unshare(CLONE_NEWNS) != 0) {
        g_unavailable = QStringLiteral("no private mount namespace: unshare: %1").arg(ErrnoText());
        return;
    }
    // Nothing mounted here is seen outside.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        g_unavailable = QStringLiteral("mounts cannot be made private: %1").arg(ErrnoText());
        return;
    }
    g_unavailable.clear();
}

QString SmallFileSystemsUnavailable()
{
    return g_unavailable;
}

bool MountSmallFileSystem(const QString &dir, int sizeKB, QString *error)
{
    QDir().mkpath(dir);
    const QByteArray options = "size=" + QByteArray::number(sizeKB) + "k,mode=0755";
    if (::mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                options.constData()) != 0) {
        if (error)
            *error = QStringLiteral("mount tmpfs on %1: %2").arg(dir, ErrnoText());
        return false;
    }
    return true;
}

bool RemountReadOnly(const QString &dir, QString *error)
{
    if (::mount(nullptr, QFile::encodeName(dir).constData(), nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV,
                nullptr) != 0) {
        if (error)
            *error = QStringLiteral("remount %1 read-only: %2").arg(dir, ErrnoText());
        return false;
    }
    return true;
}

void UnmountSmallFileSystem(const QString &dir)
{
    ::umount2(QFile::encodeName(dir).constData(), MNT_DETACH);
}

bool FillFileSystem(const QString &dir)
{
    const QByteArray path = QFile::encodeName(QDir(dir).filePath(QStringLiteral(".filler")));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0)
        return false;
    char block[4096];
    std::memset(block, 'f', sizeof block);
    for (size_t size = sizeof block; size > 0; size /= 2) {
        while (::write(fd, block, size) == ssize_t(size)) {
        }
    }
    const bool full = errno == ENOSPC;
    ::close(fd);
    return full;
}

} // namespace wobbin::testing
