#pragma once
// The program's numbered texts (resources/strings/strings.txt, compiled in).
// File format: one text per line, "id<TAB>text", the text kept verbatim to the
// end of the line (leading and trailing blanks included); lines starting with
// "#" are comments.

#include <QList>
#include <QString>

namespace wobbin {

// The text with that number. A missing number returns an empty string and
// records the miss (see MissingStringIds), so tests can fail on it.
QString LoadStr(int id);
bool HasStr(int id);
// Every id in the table, ascending.
QList<int> AllStringIds();
// Ids asked for through LoadStr that the table does not hold, ascending.
QList<int> MissingStringIds();

} // namespace wobbin
