#pragma once
// What --publish prints while it works: each status line once (a line that
// repeats the one before is left out), and the files as they go: on a
// terminal one line per file, rewritten in place with its bytes and rate;
// otherwise one line per file once it has arrived.

#include <QByteArray>
#include <QElapsedTimer>
#include <QSet>
#include <QString>

#include <functional>

namespace wobbin {

// "graphics/flowers.jpg  1.2 MB of 3.4 MB  850 KB/s" (while it goes) or
// "graphics/flowers.jpg  3.4 MB  850 KB/s" (arrived: sent == size).
QString FileProgressLine(const QString &name, qint64 sent, qint64 size, qint64 elapsedMs);
// 999 bytes, 1.0 KB, 12.5 MB, 1.2 GB (units of 1024).
QString ByteCount(qint64 bytes);

class TPublishProgress
{
public:
    // terminal: rewrite the file line in place. print writes to standard output.
    TPublishProgress(bool terminal, std::function<void(const QByteArray &)> print);

    void Status(const QString &text);
    void File(const QString &name, qint64 sent, qint64 size);
    // Ends an open file line (before a message of another kind).
    void EndLine();

private:
    bool m_terminal;
    std::function<void(const QByteArray &)> m_print;
    QString m_lastStatus;
    QString m_file;
    bool m_fileDone = true;
    // Files told as arrived: while several go at once the progress turns
    // from one to another, and an arrived one may be named again.
    QSet<QString> m_arrived;
    bool m_lineOpen = false;
    QElapsedTimer m_fileClock;
    QElapsedTimer m_shown;
};

} // namespace wobbin
