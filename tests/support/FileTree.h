#pragma once
// File helpers shared by the tests.

#include <QString>

namespace wobbin::testing {

// Copies a folder with everything below it (hidden files too) into another.
bool CopyTree(const QString &from, const QString &to);

} // namespace wobbin::testing
