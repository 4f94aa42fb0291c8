#pragma once
// What keeps the program from working as it should, found at start-up and
// told to the user once, in plain words: settings that cannot be saved, a
// data folder that cannot be used, a damaged style library.

#include "base/Result.h"
#include "styles/StyleLibrary.h"

#include <QString>
#include <QStringList>

namespace wobbin {

// The outcome of reading the style library in words; empty when it was read
// completely. stylesRead: how many styles came out of it.
QString StyleLibraryProblem(const QString &path, StyleLoadStatus status, int stylesRead);

// Reads the library at path; fails when it was not read completely, saying
// what is wrong with it (as above).
[[nodiscard]] TResult<void> CheckStyleLibrary(const QString &path);

// The problems of the settings and of the data folder (CheckSettingsWritable,
// CheckDataFolder), those that apply, in that order.
QStringList StartupProblems(const QString &appDir);

// One message for all the problems found: each on a line of its own.
QString StartupMessage(const QStringList &problems);

} // namespace wobbin
