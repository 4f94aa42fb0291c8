#pragma once
// File helpers shared by the tests.

#include <QString>
#include <QStringList>

namespace wobbin::testing {

// Copies a folder with everything below it (hidden files too) into another;
// with names given, only those entries of the folder (and what is below them).
bool CopyTree(const QString &from, const QString &to, const QStringList &only = {});

// The program's shipped data copied into dir/app for one test (with names
// given, only those entries, plus an empty HTMLFiles folder); its path.
QString CopyProgramData(const QString &dir, const QStringList &only = {});

} // namespace wobbin::testing
