#include "cli/PublishProgress.h"

namespace wobbin {

QString ByteCount(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 bytes").arg(bytes);
    const char *units[] = {"KB", "MB", "GB", "TB"};
    double value = double(bytes);
    int unit = -1;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}

QString FileProgressLine(const QString &name, qint64 sent, qint64 size, qint64 elapsedMs)
{
    QString line = name + QStringLiteral("  ");
    line += sent >= size ? ByteCount(size) : ByteCount(sent) + QStringLiteral(" of ") + ByteCount(size);
    if (elapsedMs > 0 && sent > 0)
        line += QStringLiteral("  ") + ByteCount(sent * 1000 / elapsedMs) + QStringLiteral("/s");
    return line;
}

TPublishProgress::TPublishProgress(bool terminal, std::function<void(const QByteArray &)> print)
    : m_terminal(terminal), m_print(std::move(print))
{
}

void TPublishProgress::EndLine()
{
    if (m_lineOpen)
        m_print("\n");
    m_lineOpen = false;
}

void TPublishProgress::Status(const QString &text)
{
    if (text == m_lastStatus)
        return;
    m_lastStatus = text;
    EndLine();
    m_print(text.toLocal8Bit() + '\n');
}

void TPublishProgress::File(const QString &name, qint64 sent, qint64 size)
{
    if (m_arrived.contains(name))
        return;
    if (name != m_file || (sent == 0 && m_fileDone)) {
        // A file starts.
        EndLine();
        m_file = name;
        m_fileDone = false;
        m_fileClock.start();
        m_shown.invalidate();
    }
    if (m_fileDone)
        return;
    const bool done = sent >= size;
    const QString line = FileProgressLine(name, sent, size, m_fileClock.elapsed());
    if (m_terminal) {
        // At most ten times a second, and always the last state.
        if (done || !m_shown.isValid() || m_shown.elapsed() >= 100) {
            m_print("\r\033[K" + line.toLocal8Bit());
            m_lineOpen = true;
            m_shown.start();
        }
        if (done)
            EndLine();
    } else if (done) {
        m_print(line.toLocal8Bit() + '\n');
    }
    m_fileDone = done;
    if (done)
        m_arrived.insert(name);
    // A status line after the file may repeat the one before it.
    m_lastStatus.clear();
}

} // namespace wobbin
