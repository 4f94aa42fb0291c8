#include "publish/Sha256.h"

#include <openssl/evp.h>

namespace wobbin {

struct TSha256::Context {
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(ctx); }
};

TSha256::TSha256() : d(std::make_unique<Context>())
{
    Reset();
}

TSha256::~TSha256() = default;

void TSha256::Reset()
{
    EVP_DigestInit_ex(d->ctx, EVP_sha256(), nullptr);
    m_length = 0;
}

void TSha256::Add(const char *data, qint64 length)
{
    if (length <= 0)
        return;
    EVP_DigestUpdate(d->ctx, data, size_t(length));
    m_length += length;
}

QByteArray TSha256::HexResult()
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_DigestFinal_ex(d->ctx, digest, &size);
    const QByteArray hex = QByteArray(reinterpret_cast<const char *>(digest), int(size)).toHex();
    Reset();
    return hex;
}

QByteArray TSha256::Hex(const QByteArray &bytes)
{
    TSha256 h;
    h.Add(bytes);
    return h.HexResult();
}

// ---------------------------------------------------------------------------

TSha256Pipe::~TSha256Pipe()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard<std::mutex> g(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void TSha256Pipe::WaitIdle(std::unique_lock<std::mutex> &lock)
{
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

void TSha256Pipe::Reset()
{
    std::unique_lock<std::mutex> g(m_lock);
    WaitIdle(g);
    m_sha.Reset();
    m_length = 0;
}

void TSha256Pipe::Add(const char *data, qint64 length)
{
    if (length <= 0)
        return;
    QByteArray chunk(data, qsizetype(length));
    std::unique_lock<std::mutex> g(m_lock);
    if (!m_thread.joinable())
        m_thread = std::thread([this] { Work(); });
    m_idle.wait(g, [this] { return m_queue.size() < kMaxQueued; });
    m_queue.push_back(std::move(chunk));
    m_length += length;
    m_wake.notify_one();
}

QByteArray TSha256Pipe::HexResult()
{
    std::unique_lock<std::mutex> g(m_lock);
    WaitIdle(g);
    m_length = 0;
    return m_sha.HexResult();
}

void TSha256Pipe::Work()
{
    std::unique_lock<std::mutex> g(m_lock);
    for (;;) {
        m_wake.wait(g, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty())
            return; // stopped with nothing left
        QByteArray chunk = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        g.unlock();
        m_sha.Add(chunk);
        g.lock();
        m_busy = false;
        m_idle.notify_all();
    }
}

} // namespace wobbin
