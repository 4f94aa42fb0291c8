#pragma once
// The page the upload tests send: its pictures' bytes and the page as the
// window hands it to the upload.

#include "publish/UploadPlan.h"

#include <QByteArray>
#include <QString>

namespace wobbin::testing {

// size bytes that do not compress, different for every seed.
QByteArray Pattern(qint64 size, int seed);

// The page file's page in htmlFolder with the pictures its HTML refers to;
// what was sent is kept in sentFilesFolder ("" the usual folder).
TUploadPage PageToSend(const QString &pageFile, const QString &htmlFolder, const QString &sentFilesFolder = {});

} // namespace wobbin::testing
