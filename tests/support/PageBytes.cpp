#include "PageBytes.h"

#include <QFile>

namespace wobbin::testing {

PageBytes &PageBytes::Int(std::int32_t v)
{
    const auto u = std::uint32_t(v);
    for (int i = 0; i < 4; ++i)
        m_data += char((u >> (8 * i)) & 0xFF);
    return *this;
}

PageBytes &PageBytes::Str(const QByteArray &text)
{
    Int(std::int32_t(text.size()) - 1);
    m_data += text;
    return *this;
}

PageBytes &PageBytes::Header(const QByteArray &version)
{
    m_data += "Wobbin Express File";
    m_data += version;
    return *this;
}

PageBytes &PageBytes::Trailer()
{
    Int(4);
    Int(-1);
    m_data += "End of Wobbin Express File >=)";
    return *this;
}

PageBytes &PageBytes::Para(const QByteArray &text, std::int32_t align, std::uint8_t newLine)
{
    return Int(0).Str(text).Int(align).Byte(newLine);
}

PageBytes &PageBytes::Heading(const QByteArray &size, const QByteArray &text, std::int32_t align)
{
    return Int(3).Str(size).Str(text).Int(align);
}

PageBytes &PageBytes::Line(const QByteArray &width, const QByteArray &thick)
{
    return Int(5).Str(width).Str(thick);
}

QByteArray SimplePage(const QByteArray &style, const QByteArray &title, int count,
                      const QByteArray &entries)
{
    PageBytes b;
    b.Header().Str(style).Str(title).Int(count).Raw(entries).Trailer();
    return b;
}

QByteArray ParagraphPage(const QByteArray &style, const QByteArray &title, const QList<QByteArray> &paras)
{
    PageBytes entries;
    for (const QByteArray &p : paras)
        entries.Para(p);
    return SimplePage(style, title, int(paras.size()), entries);
}

} // namespace wobbin::testing
