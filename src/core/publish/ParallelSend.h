#pragma once
// Files sent over several connections to the same server at once: on a host
// far away each file costs several round trips, and while one connection
// waits for an answer the others carry data.
//
// The first connection is the caller's, already logged on and in the server's
// folder; the others log on by themselves (each with a private copy of the
// password, overwritten once libcurl has it) and change into that folder.
// Each connection takes the next file not yet taken until none is left; every
// file goes through TFtpClient::SendFile, with its temporary name and rename
// into place. A connection the server refuses (too many connections from one
// user, a refused connect) is not an error: the others carry on, and
// ConnectionsRefused tells the caller so that it can ask for fewer next time.
// A connection that breaks stops taking files; the files nobody took are
// reported as not sent.
//
// Run blocks and calls the callbacks on its own thread only; the cancel flag
// is watched there and every connection is stopped at once when it is set.

#include "publish/FtpClient.h"

#include <QList>
#include <QString>

#include <atomic>
#include <functional>

namespace wobbin {

struct TSendTask {
    QString LocalPath;
    QString RemotePath;
    RemotePresence Presence = RemotePresence::Unknown;
    bool Binary = true;
};

struct TSendResult {
    bool Taken = false;   // a connection tried it
    bool Sent = false;
    TFileFingerprint Arrived;
    FtpFailure Failure = FtpFailure::None;
    QString Cause;        // the client's words for the failure (ErrorText)
};

// How many connections are worth opening for files of these sizes, at most
// `connections`. One large file beside a few small ones goes over one
// connection: further ones would share its line and the server's time while
// it goes, and the few small files cost only a few round trips after it.
int ConnectionsWorthOpening(const QList<qint64> &sizes, int connections);

class TParallelSend
{
public:
    // first: logged on, in folder. logOn: for the further connections (its
    // password is overwritten when Run returns). folder: as ChangeFolder takes it.
    TParallelSend(TFtpClient &first, const TFtpLogOn &logOn, const QString &folder, int connections,
                  const std::atomic<bool> &cancel);
    ~TParallelSend();
    TParallelSend(const TParallelSend &) = delete;
    TParallelSend &operator=(const TParallelSend &) = delete;

    void SetKnownHostsFile(const QString &path) { m_logOn.KnownHostsFile = path; }

    // A file starts (index into the tasks).
    std::function<void(int index)> OnStart;
    // Every twentieth of a second while files go: the bytes of each file under
    // way, the one that started first first.
    std::function<void(const QList<int> &indexes, const QList<qint64> &sent)> OnBytes;
    // A file arrived or failed.
    std::function<void(int index, const TSendResult &result)> OnDone;

    QList<TSendResult> Run(const QList<TSendTask> &tasks);

    // Connections that logged on and sent (the first one included).
    int ConnectionsUsed() const { return m_used; }
    // Whether the server refused a further connection.
    bool ConnectionsRefused() const { return m_refused; }

private:
    struct Worker;
    TFtpClient &m_first;
    TFtpLogOn m_logOn;
    QString m_folder;
    int m_connections;
    const std::atomic<bool> &m_cancel;
    int m_used = 0;
    bool m_refused = false;
};

} // namespace wobbin
