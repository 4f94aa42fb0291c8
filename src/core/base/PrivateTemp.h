#pragma once
// A temporary folder of this process's own, for files with fixed names (the
// browser hand-off page, the work files of an external converter) that must
// not sit in the shared temporary folder where another user or program could
// put a file or a link of the same name first.
//
// The folder is made on first use below the system's temporary folder, with
// a name nobody can guess and rights for its owner only (0700), and it is
// removed with everything in it when the program ends normally.

#include <QString>

namespace wobbin {

// The process's private temporary folder (native path, no trailing
// separator); empty only when no folder could be made at all. A folder that
// was removed or replaced meanwhile is made anew.
QString PrivateTempFolder();

// A new, empty folder inside the private one for one job (0700). The caller
// removes it when the job is done (RemoveTempFolder); what is left is removed
// at the end of the program. Empty when it cannot be made.
QString NewPrivateJobFolder(const QString &prefix);

// Removes a folder made by NewPrivateJobFolder with everything in it. Only
// folders inside the private temporary folder are touched.
void RemoveTempFolder(const QString &folder);

} // namespace wobbin
