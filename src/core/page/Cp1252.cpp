#include "page/Cp1252.h"

#include <QList>

namespace wobbin {
namespace {

// Code points of the bytes 0x80..0x9F; 0 marks the five undefined bytes.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int ByteFor(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return int(cp);
    for (int i = 0; i < 32; ++i) {
        if (kHigh[i] == 0 && cp == char32_t(0x80 + i))
            return 0x80 + i; // undefined byte kept as its control character
        if (kHigh[i] != 0 && kHigh[i] == cp)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

QByteArray ToCp1252(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    const auto ucs4 = text.toUcs4();
    for (char32_t cp : ucs4) {
        const int b = ByteFor(cp);
        if (b >= 0)
            out.append(char(b));
        else
            out.append("&#" + QByteArray::number(quint32(cp)) + ';');
    }
    return out;
}

QString FromCp1252(const char *data, qsizetype size)
{
    QString out;
    out.reserve(size);
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80] != 0)
            out.append(QChar(kHigh[b - 0x80]));
        else
            out.append(QChar(b));
    }
    return out;
}

QString DecodeOwnReferences(const QString &text)
{
    qsizetype at = text.indexOf(QLatin1String("&#"));
    if (at < 0)
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype done = 0;
    while (at >= 0) {
        // "&#" then 2 to 7 digits without a leading zero, then ";".
        qsizetype end = at + 2;
        while (end < text.size() && end - at - 2 < 8 && text.at(end).isDigit() && text.at(end).unicode() < 0x80)
            ++end;
        const qsizetype digits = end - at - 2;
        bool ok = false;
        const uint cp = digits >= 2 && digits <= 7 && text.at(at + 2) != QLatin1Char('0') && end < text.size()
                && text.at(end) == QLatin1Char(';')
            ? QStringView(text).mid(at + 2, digits).toUInt(&ok)
            : 0;
        const bool scalar = ok && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        if (scalar && ByteFor(char32_t(cp)) < 0) {
            out += QStringView(text).mid(done, at - done);
            const char32_t c = char32_t(cp);
            out += QString::fromUcs4(&c, 1);
            done = end + 1;
            at = text.indexOf(QLatin1String("&#"), done);
        } else {
            at = text.indexOf(QLatin1String("&#"), at + 2);
        }
    }
    out += QStringView(text).mid(done);
    return out;
}

QString FromCp1252(const QByteArray &bytes)
{
    return FromCp1252(bytes.constData(), bytes.size());
}

} // namespace wobbin
