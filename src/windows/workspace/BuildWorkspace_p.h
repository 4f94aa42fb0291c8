#pragma once
// Helpers shared by the Build workspace's source files.

#include "page/PageDocument.h"
#include "workspace/BuildWorkspace.h"

#include <QString>

namespace wobbin {

// Runs a document operation and tells whether it changed the document
// (whatever the flag said before).
template <class Op>
LayoutOutcome TBuildWorkspace::runDocumentOp(Op op)
{
    const bool before = m_doc.DocumentChanged;
    m_doc.DocumentChanged = false;
    const LayoutOutcome o = op();
    const bool changed = m_doc.DocumentChanged;
    m_doc.DocumentChanged = before || changed;
    if (changed)
        Q_EMIT documentChanged();
    return o;
}

} // namespace wobbin
