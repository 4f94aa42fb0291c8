#pragma once
// The byte primitives shared by the page file and the style library:
// 32-bit little-endian integers, single bytes and PString texts
// (a 32-bit count equal to the length minus one, -1 for the empty text,
// then the Windows-1252 bytes).

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace wobbin {

class ByteWriter
{
public:
    void WriteInt32(std::int32_t value);
    void WriteByte(std::uint8_t value);
    void WritePString(const QString &text);    // encodes as Windows-1252
    void WriteRaw(const QByteArray &bytes);     // no length prefix
    const QByteArray &Data() const { return m_data; }
    void Reserve(qsizetype n) { m_data.reserve(n); }

private:
    QByteArray m_data;
};

// Reads from a byte buffer without ever reading past its end. Every read
// reports success; after the first failure the reader stays failed.
class ByteReader
{
public:
    explicit ByteReader(const QByteArray &data) : m_data(data) {}

    bool ReadInt32(std::int32_t &value);
    bool ReadByte(std::uint8_t &value);
    // A negative count is the empty text. A count that runs past the end of
    // the data fails without allocating. Characters the code page cannot
    // hold, stored as references, come back as characters
    // (DecodeOwnReferences), so that writing the text again gives the same bytes.
    bool ReadPString(QString &text);
    bool ReadRaw(qsizetype n, QByteArray &bytes);

    qsizetype Position() const { return m_pos; }
    bool Failed() const { return m_failed; }

private:
    bool Need(qsizetype n);
    const QByteArray &m_data;
    qsizetype m_pos = 0;
    bool m_failed = false;
};

} // namespace wobbin
