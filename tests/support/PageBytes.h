#pragma once
// Page-file bytes written out by hand, field by field, for tests that must not
// rely on the writer they check.

#include "support/FileTree.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>

namespace wobbin::testing {

class PageBytes
{
public:
    PageBytes &Raw(const QByteArray &bytes) { m_data += bytes; return *this; }
    PageBytes &Int(std::int32_t v);
    PageBytes &Byte(std::uint8_t v) { m_data += char(v); return *this; }
    // Count (length - 1, -1 when empty) + the Latin-1 bytes.
    PageBytes &Str(const QByteArray &text);
    // Magic and version (4 characters).
    PageBytes &Header(const QByteArray &version = "1.07");
    // Rows 7..9: 4, -1, trailer.
    PageBytes &Trailer();
    // Whole blocks.
    PageBytes &Para(const QByteArray &text, std::int32_t align = 0, std::uint8_t newLine = 0);
    PageBytes &Heading(const QByteArray &size, const QByteArray &text, std::int32_t align = 0);
    PageBytes &Line(const QByteArray &width, const QByteArray &thick);
    const QByteArray &Data() const { return m_data; }
    operator QByteArray() const { return m_data; }

private:
    QByteArray m_data;
};

// A version 1.07 page: style, title, and the given block entries (count first).
QByteArray SimplePage(const QByteArray &style, const QByteArray &title, int count,
                      const QByteArray &entries);

// A version 1.07 page of one paragraph per text.
QByteArray ParagraphPage(const QByteArray &style, const QByteArray &title, const QList<QByteArray> &paras);


} // namespace wobbin::testing
