#pragma once
// The digest that tells whether a file changed since it was sent: XXH3 with
// 128 bits. It only has to notice changes to the user's own files (it is no
// protection against anybody), and it is fast enough to run in the sending
// loop itself: hashing a 100 MB picture costs a few milliseconds, where a
// cryptographic digest would take a core away from the transfer.

#include <QByteArray>

#include <memory>

namespace wobbin {

class TContentHash
{
public:
    TContentHash();
    ~TContentHash();
    TContentHash(const TContentHash &) = delete;
    TContentHash &operator=(const TContentHash &) = delete;

    // Starts a new digest (drops what was added).
    void Reset();
    void Add(const char *data, qint64 length);
    void Add(const QByteArray &bytes) { Add(bytes.constData(), bytes.size()); }
    // The digest of everything added since the last Reset, as kHexLength
    // lower-case hex digits (the canonical, big-endian form); starts anew.
    QByteArray HexResult();
    // Bytes added since the last Reset.
    qint64 Length() const { return m_length; }

    static QByteArray Hex(const QByteArray &bytes);
    static constexpr int kHexLength = 32;

private:
    struct State;
    std::unique_ptr<State> d;
    qint64 m_length = 0;
};

} // namespace wobbin
