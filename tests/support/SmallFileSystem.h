#pragma once
// Real full and read-only file systems for tests of writers: a small tmpfs
// mounted by the test in a mount namespace of its own, so that nothing is
// seen outside the test process (and the programs it starts).
//
// A test that uses them enters the namespace first thing in main(), before
// any thread is started:
//
//     WOBBIN_TEST_MAIN_WITH_SMALL_FILE_SYSTEMS(TestMyWriter, QCoreApplication)
//
// and begins each such case with WOBBIN_NEED_SMALL_FILE_SYSTEMS(): it is
// skipped, with the reason, when the test does not run as root; as root a
// namespace that cannot be made is a failure.

#include <QString>
#include <QtTest>

namespace wobbin::testing {

// Enters a private mount namespace (as root); remembers why not otherwise.
void EnterPrivateMountNamespace();
// Empty when small file systems can be mounted; otherwise the reason.
QString SmallFileSystemsUnavailable();
bool RunningAsRoot();

// Mounts a tmpfs of sizeKB kilobytes at dir (made when missing).
bool MountSmallFileSystem(const QString &dir, int sizeKB, QString *error);
bool RemountReadOnly(const QString &dir, QString *error);
void UnmountSmallFileSystem(const QString &dir);
// Fills the file system that holds dir until not one more byte fits.
bool FillFileSystem(const QString &dir);

} // namespace wobbin::testing

#define WOBBIN_NEED_SMALL_FILE_SYSTEMS()                                                          \
    do {                                                                                          \
        const QString why_ = wobbin::testing::SmallFileSystemsUnavailable();                      \
        if (!why_.isEmpty()) {                                                                    \
            if (!wobbin::testing::RunningAsRoot())                                                \
                QSKIP(qPrintable(why_));                                                          \
            QFAIL(qPrintable(why_));                                                              \
        }                                                                                         \
    } while (false)

#define WOBBIN_TEST_MAIN_WITH_SMALL_FILE_SYSTEMS(TestObject, Application)                         \
    int main(int argc, char **argv)                                                               \
    {                                                                                             \
        wobbin::testing::EnterPrivateMountNamespace();                                            \
        Application app(argc, argv);                                                              \
        TestObject tc;                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                \
        return QTest::qExec(&tc, argc, argv);                                                     \
    }
