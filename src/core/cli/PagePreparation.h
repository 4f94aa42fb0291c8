#pragma once
// What --publish and --verify share: the page read, the server found in the
// server list, and the page's HTML written as an upload sends it into a
// private folder, with the pictures it refers to. One path, so that the same
// failure ends both commands with the same message and exit status.

#include "cli/CliCommand.h"
#include "publish/Upload.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <memory>
#include <thread>

namespace wobbin {

struct TPreparedPage {
    // The transfer library's set-up (its TLS library with it), done while
    // the page is read; the first connection waits for it when it is not done.
    std::jthread TransferSetUp;
    int ExitCode = 0; // not 0: the command ends with it (the message is written)
    std::unique_ptr<QCoreApplication> App; // the keyring's answers come as events
    std::unique_ptr<QTemporaryDir> Scratch; // holds the page's HTML
    int Server = -1;                        // in ServerList()
    TUploadTarget Target;                   // without a password
    TUploadPage Upload;
};

// Reads the page named by args.operand and finds --server in the server list
// (loaded without the keyring's passwords); then writes the page's HTML as
// the window saves it. Exit statuses: 1 missing page, unknown server or an
// HTML that cannot be written; 2 damaged page or its style lost; 3 a picture
// reference that may not be sent. nothingDone ends the message of a page
// that is damaged or lost its style ("nothing was sent").
TPreparedPage PreparePage(const CliArgs &args, const QString &nothingDone);

} // namespace wobbin
