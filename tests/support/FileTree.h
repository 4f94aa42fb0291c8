#pragma once
// File helpers shared by the tests.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace wobbin::testing {

// Copies a folder with everything below it (hidden files too) into another;
// with names given, only those entries of the folder (and what is below them).
bool CopyTree(const QString &from, const QString &to, const QStringList &only = {});

// The program's shipped data copied into dir/app for one test (with names
// given, only those entries, plus an empty HTMLFiles folder); its path.
QString CopyProgramData(const QString &dir, const QStringList &only = {});

// Writes bytes to a file, making its folder first; false when it cannot.
bool WriteBytes(const QString &path, const QByteArray &bytes);
// A whole file; empty when it cannot be read.
QByteArray ReadBytes(const QString &path);
// The files below root (hidden ones too), as paths relative to it, sorted.
QStringList FilesBelow(const QString &root);

} // namespace wobbin::testing
