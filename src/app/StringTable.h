#pragma once
// The program's numbered texts (resources/strings/strings.txt, compiled in).

#include <QList>
#include <QString>

namespace wobbin {

// The text with that number. A missing number returns an empty string and
// records the miss (see MissingStringIds), so tests can fail on it.
QString LoadStr(int id);
bool HasStr(int id);
QList<int> AllStringIds();
QList<int> MissingStringIds();

} // namespace wobbin
