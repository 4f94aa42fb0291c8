#include "page/PageText.h"
#include "page/Cp1252.h"

#include <QStringDecoder>

namespace wobbin {
namespace {

// The part of a page where its head declarations stand.
constexpr qsizetype kHeadSpan = 4096;

QStringView Head(QStringView html)
{
    qsizetype end = html.indexOf(QLatin1String("</head"), 0, Qt::CaseInsensitive);
    if (end < 0 || end > kHeadSpan)
        end = qMin(html.size(), kHeadSpan);
    return html.left(end);
}

bool IsBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\n')
        || c == QLatin1Char('\f');
}

} // namespace

bool DeclaresUtf8(QStringView html)
{
    const QStringView head = Head(html);
    qsizetype at = 0;
    while ((at = head.indexOf(QLatin1String("charset"), at, Qt::CaseInsensitive)) >= 0) {
        qsizetype i = at + 7;
        while (i < head.size() && IsBlank(head.at(i)))
            ++i;
        if (i < head.size() && head.at(i) == QLatin1Char('=')) {
            ++i;
            while (i < head.size() && (IsBlank(head.at(i)) || head.at(i) == QLatin1Char('"')
                                       || head.at(i) == QLatin1Char('\'')))
                ++i;
            const QStringView value = head.mid(i, 5);
            if (value.compare(QLatin1String("utf-8"), Qt::CaseInsensitive) == 0
                || value.left(4).compare(QLatin1String("utf8"), Qt::CaseInsensitive) == 0)
                return true;
        }
        at += 7;
    }
    return false;
}

QByteArray EncodePageText(const QString &html)
{
    return DeclaresUtf8(html) ? html.toUtf8() : ToCp1252(html);
}

QString DecodePageText(const QByteArray &bytes)
{
    // The declaration is ASCII: looking for it in the bytes read as Latin-1 is enough.
    if (DeclaresUtf8(QString::fromLatin1(bytes.left(kHeadSpan)))) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
    }
    return FromCp1252(bytes);
}

bool IsModernPage(QStringView html)
{
    qsizetype i = 0;
    while (i < html.size() && (IsBlank(html.at(i)) || html.at(i) == QChar(0xFEFF)))
        ++i;
    return html.mid(i, 14).compare(QLatin1String("<!DOCTYPE html"), Qt::CaseInsensitive) == 0;
}

bool HasViewport(QStringView html)
{
    const QStringView head = Head(html);
    qsizetype at = 0;
    while ((at = head.indexOf(QLatin1String("viewport"), at, Qt::CaseInsensitive)) >= 0) {
        // name="viewport" inside a meta element.
        const qsizetype open = head.lastIndexOf(QLatin1Char('<'), at);
        if (open >= 0 && head.mid(open, 5).compare(QLatin1String("<meta"), Qt::CaseInsensitive) == 0
            && head.indexOf(QLatin1Char('>'), open) > at)
            return true;
        at += 8;
    }
    return false;
}

} // namespace wobbin
