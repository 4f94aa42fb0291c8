#pragma once
// SHA-256 through OpenSSL, which uses the processor's hashing instructions:
// several times faster than a portable implementation, so that fingerprinting
// a large picture costs little next to sending it.

#include <QByteArray>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace wobbin {

class TSha256
{
public:
    TSha256();
    ~TSha256();
    TSha256(const TSha256 &) = delete;
    TSha256 &operator=(const TSha256 &) = delete;

    // Starts a new digest (drops what was added).
    void Reset();
    void Add(const char *data, qint64 length);
    void Add(const QByteArray &bytes) { Add(bytes.constData(), bytes.size()); }
    // The digest of everything added since the last Reset, as 64 lower-case hex digits.
    QByteArray HexResult();
    // Bytes added since the last Reset.
    qint64 Length() const { return m_length; }

    static QByteArray Hex(const QByteArray &bytes);

private:
    struct Context;
    std::unique_ptr<Context> d;
    qint64 m_length = 0;
};

// A SHA-256 computed on a thread of its own: Add copies the bytes and returns
// at once (it waits only while several chunks are still queued), so that
// hashing a large file overlaps the work of the thread that reads and sends it.
// Fed from one thread at a time.
class TSha256Pipe
{
public:
    TSha256Pipe() = default;
    ~TSha256Pipe();
    TSha256Pipe(const TSha256Pipe &) = delete;
    TSha256Pipe &operator=(const TSha256Pipe &) = delete;

    void Reset();
    void Add(const char *data, qint64 length);
    // Waits for what is queued; the digest as TSha256::HexResult gives it (and starts anew).
    QByteArray HexResult();
    qint64 Length() const { return m_length; }

private:
    void Work();
    void WaitIdle(std::unique_lock<std::mutex> &lock);

    static constexpr std::size_t kMaxQueued = 8;
    TSha256 m_sha;
    std::thread m_thread;
    std::mutex m_lock;
    std::condition_variable m_wake; // work queued, or stop
    std::condition_variable m_idle; // a chunk is done
    std::deque<QByteArray> m_queue;
    bool m_busy = false;
    bool m_stop = false;
    qint64 m_length = 0;
};

} // namespace wobbin
