#pragma once
// SHA-256 through OpenSSL, which uses the processor's hashing instructions:
// several times faster than a portable implementation, so that fingerprinting
// a large picture costs little next to sending it.

#include <QByteArray>

#include <memory>

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

} // namespace wobbin
