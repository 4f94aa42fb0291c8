#include "page/ByteIO.h"
#include "page/Cp1252.h"

namespace wobbin {

void ByteWriter::WriteInt32(std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    const char bytes[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF),
                           char((v >> 24) & 0xFF)};
    m_data.append(bytes, 4);
}

void ByteWriter::WriteByte(std::uint8_t value)
{
    m_data.append(char(value));
}

void ByteWriter::WritePString(const QString &text)
{
    const QByteArray bytes = ToCp1252(text);
    WriteInt32(static_cast<std::int32_t>(bytes.size()) - 1);
    m_data.append(bytes);
}

void ByteWriter::WriteRaw(const QByteArray &bytes)
{
    m_data.append(bytes);
}

bool ByteReader::Need(qsizetype n)
{
    if (m_failed || n < 0 || n > m_data.size() - m_pos) {
        m_failed = true;
        return false;
    }
    return true;
}

bool ByteReader::ReadInt32(std::int32_t &value)
{
    if (!Need(4))
        return false;
    const auto *p = reinterpret_cast<const unsigned char *>(m_data.constData() + m_pos);
    const std::uint32_t v = std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8)
        | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
    value = static_cast<std::int32_t>(v);
    m_pos += 4;
    return true;
}

bool ByteReader::ReadByte(std::uint8_t &value)
{
    if (!Need(1))
        return false;
    value = static_cast<std::uint8_t>(m_data.at(m_pos));
    ++m_pos;
    return true;
}

bool ByteReader::ReadPString(QString &text)
{
    std::int32_t n = 0;
    if (!ReadInt32(n))
        return false;
    if (n < 0) {
        text.clear();
        return true;
    }
    const qsizetype len = qsizetype(n) + 1;
    if (!Need(len))
        return false;
    text = DecodeOwnReferences(FromCp1252(m_data.constData() + m_pos, len));
    m_pos += len;
    return true;
}

bool ByteReader::ReadRaw(qsizetype n, QByteArray &bytes)
{
    if (!Need(n))
        return false;
    bytes = m_data.mid(m_pos, n);
    m_pos += n;
    return true;
}

} // namespace wobbin
