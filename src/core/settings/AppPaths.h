#pragma once
// The program's folders. AppDir is the folder that holds the program's data
// (Styles.data, HTMLFiles with graphics and backgrnd, save, template, servers,
// Help, the optional splash.avi):
//   - the folder given with --data-dir DIR, when given;
//   - else the program's own folder when it holds the data (a portable install,
//     or the build tree, where the build puts the shipped data beside the binary);
//   - else the user's data folder (XDG_DATA_HOME/Quorvex/Wobbin Express), which
//     every start fills from the installed read-only copy of the data
//     (<prefix>/share/wobbin-express, found from the program's own folder, so
//     any prefix works) without ever overwriting the user's files (SeedDataDir).
// AppDir and HTMLFolder are native paths without a trailing separator.

#include "base/Result.h"

#include <QString>
#include <QStringList>

namespace wobbin {

QString AppDir();
void SetAppDir(const QString &dir);
// AppDir joined with "HTMLFiles".
QString HTMLFolder();
// AppDir joined with a stored relative path ("Help\Wobbin Express.hlp"), as a native path.
QString AppPath(const QString &relative);

// The folders below AppDir that the program expects.
QStringList DataSubfolders();
// Creates the missing ones; returns false when one could not be created.
bool EnsureDataFolders(const QString &appDir);

// Whether the data folder can be used: fails when AppDir, or one of the
// folders the program writes into (HTMLFiles with graphics and backgrnd,
// save, template), cannot be made or written, saying why in plain words that
// name the folder.
[[nodiscard]] TResult<void> CheckDataFolder(const QString &appDir);

// True when the folder holds the program's data (Styles.data, template or servers).
bool HoldsProgramData(const QString &dir);
// The installed read-only copy of the data for a program in programDir, "" when none.
QString InstalledDataDir(const QString &programDir);
// XDG_DATA_HOME/Quorvex/Wobbin Express.
QString UserDataDir();
// Brings the shipped files of from into the user's folder to, remembering in
// to/.shipped-files which files it copied and what they held:
//   - a shipped file that to does not have is copied, unless it was copied
//     before (the user deleted it, and it stays deleted);
//   - a file that to has (found without regard to letter case) is kept as it
//     is, unless it is still exactly the copy made earlier and the shipped file
//     has changed since (a newer version of the program): then the new one
//     takes its place;
//   - nothing else in to is touched.
// Every file is written through the checked file writer. Returns false when
// something could not be read or written (the rest is still done).
bool SeedDataDir(const QString &from, const QString &to);
// The name of the record of copied files in the user's folder.
QString SeedRecordName();

// Chooses AppDir as described above (explicitDir from --data-dir, may be empty),
// seeds the user's data folder on first use and creates missing subfolders.
QString ResolveAppDir(const QString &explicitDir, const QString &programDir);

// What the command line asks of the windowed program.
struct StartupOptions
{
    QString dataDir;     // --data-dir DIR (or --data-dir=DIR)
    QString pageFile;    // first argument that is not an option: a page file to open, as a full path
    bool debug = false;  // --debug: exceptions are shown in a message box
};
// arguments[0] is the program; a page file named by a relative path is taken
// relative to startFolder (the folder the program was started in), since the
// window makes its HTML folder the current one.
StartupOptions ParseStartupArguments(const QStringList &arguments, const QString &startFolder = QString());

} // namespace wobbin
