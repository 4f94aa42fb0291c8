#include "styles/StyleLibrary.h"

#include "base/Paths.h"
#include "base/SafeFile.h"
#include "page/ByteIO.h"

#include <QFile>

#include <array>

namespace wobbin {

namespace {

struct NamedColour
{
    const char *name;
    TColor value;
};

// Every colour that has a name in the library file. The system colours
// follow in index order from $80000000.
constexpr std::array<NamedColour, 42> kNamedColours = {{
    {"clBlack", 0x00000000},
    {"clMaroon", 0x00000080},
    {"clGreen", 0x00008000},
    {"clOlive", 0x00008080},
    {"clNavy", 0x00800000},
    {"clPurple", 0x00800080},
    {"clTeal", 0x00808000},
    {"clGray", 0x00808080},
    {"clSilver", 0x00C0C0C0},
    {"clRed", 0x000000FF},
    {"clLime", 0x0000FF00},
    {"clYellow", 0x0000FFFF},
    {"clBlue", 0x00FF0000},
    {"clFuchsia", 0x00FF00FF},
    {"clAqua", 0x00FFFF00},
    {"clWhite", 0x00FFFFFF},
    {"clScrollBar", 0x80000000},
    {"clBackground", 0x80000001},
    {"clActiveCaption", 0x80000002},
    {"clInactiveCaption", 0x80000003},
    {"clMenu", 0x80000004},
    {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},
    {"clMenuText", 0x80000007},
    {"clWindowText", 0x80000008},
    {"clCaptionText", 0x80000009},
    {"clActiveBorder", 0x8000000A},
    {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C},
    {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E},
    {"clBtnFace", 0x8000000F},
    {"clBtnShadow", 0x80000010},
    {"clGrayText", 0x80000011},
    {"clBtnText", 0x80000012},
    {"clInactiveCaptionText", 0x80000013},
    {"clBtnHighlight", 0x80000014},
    {"cl3DDkShadow", 0x80000015},
    {"cl3DLight", 0x80000016},
    {"clInfoText", 0x80000017},
    {"clInfoBk", 0x80000018},
    {"clNone", 0x1FFFFFFF},
}};

bool ReadColour(ByteReader &reader, TColor &colour)
{
    QString text;
    if (!reader.ReadPString(text))
        return false;
    return StringToColour(text, colour);
}

QString HexDigits8(TColor colour)
{
    return QStringLiteral("%1").arg(colour, 8, 16, QLatin1Char('0')).toUpper();
}

QString AttributeValue(const QString &value)
{
    // A double quotation mark would end the attribute early.
    QString v = value;
    v.replace(QLatin1Char('"'), QLatin1String("&quot;"));
    return v;
}

} // namespace

StyleList ParseStyles(const QByteArray &data, StyleLoadStatus *status)
{
    StyleList styles;
    ByteReader reader(data);
    std::int32_t count = 0;
    StyleLoadStatus result = StyleLoadStatus::Complete;
    if (!reader.ReadInt32(count)) {
        // An empty (or three-byte) file holds no styles.
        result = data.isEmpty() ? StyleLoadStatus::Complete : StyleLoadStatus::Damaged;
        count = 0;
    }
    // The count is never trusted for allocation: every record must be read
    // from the data, so a huge count just ends at the end of the file.
    for (std::int32_t i = 0; i < count; ++i) {
        TStyleChunk style;
        const bool ok = reader.ReadPString(style.Name) && reader.ReadPString(style.Image)
            && ReadColour(reader, style.BackColour) && ReadColour(reader, style.TextColour)
            && ReadColour(reader, style.LinkColour) && ReadColour(reader, style.ActiveColour)
            && ReadColour(reader, style.VisitedColour);
        if (!ok) {
            result = StyleLoadStatus::Damaged;
            break;
        }
        styles.append(style);
    }
    if (status)
        *status = result;
    return styles;
}

StyleList LoadStyles(const QString &path, StyleLoadStatus *status)
{
    QFile file(FindPathNoCase(path));
    if (!file.open(QIODevice::ReadOnly)) {
        if (status)
            *status = StyleLoadStatus::Missing;
        return {};
    }
    const QByteArray data = file.readAll();
    file.close();
    return ParseStyles(data, status);
}

QByteArray SerializeStyles(const StyleList &styles)
{
    ByteWriter writer;
    writer.WriteInt32(static_cast<std::int32_t>(styles.size()));
    for (const TStyleChunk &s : styles) {
        writer.WritePString(s.Name);
        writer.WritePString(s.Image);
        writer.WritePString(ColourToString(s.BackColour));
        writer.WritePString(ColourToString(s.TextColour));
        writer.WritePString(ColourToString(s.LinkColour));
        writer.WritePString(ColourToString(s.ActiveColour));
        writer.WritePString(ColourToString(s.VisitedColour));
    }
    return writer.Data();
}

TResult<void> WriteStyles(const QString &path, const StyleList &styles)
{
    // An existing library is replaced under the name it has on disk.
    return WriteFileSafely(FindPathNoCase(ToNativePath(path)), SerializeStyles(styles));
}

QString StylesFilePath(const QString &appDir)
{
    return ToNativePath(JoinPath(appDir, QStringLiteral("Styles.data")));
}

TResult<void> WriteStylesToFile(const QString &appDir, const StyleList &styles)
{
    return WriteStyles(StylesFilePath(appDir), styles);
}

QString ColourToString(TColor colour)
{
    for (const NamedColour &nc : kNamedColours) {
        if (nc.value == colour)
            return QLatin1String(nc.name);
    }
    return QLatin1Char('$') + HexDigits8(colour);
}

bool StringToColour(const QString &text, TColor &colour)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    for (const NamedColour &nc : kNamedColours) {
        if (t.compare(QLatin1String(nc.name), Qt::CaseInsensitive) == 0) {
            colour = nc.value;
            return true;
        }
    }
    bool ok = false;
    if (t.startsWith(QLatin1Char('$'))) {
        const QString digits = t.mid(1);
        if (digits.isEmpty() || digits.size() > 8)
            return false;
        for (QChar c : digits) {
            if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9'))
                  || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
                  || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))))
                return false;
        }
        const uint v = digits.toUInt(&ok, 16);
        if (!ok)
            return false;
        colour = static_cast<TColor>(v);
        return true;
    }
    // A decimal number, possibly negative (a 32-bit signed integer).
    const qlonglong v = t.toLongLong(&ok, 10);
    if (!ok || v < qlonglong(INT32_MIN) || v > qlonglong(UINT32_MAX))
        return false;
    colour = static_cast<TColor>(static_cast<std::uint32_t>(v & 0xFFFFFFFF));
    return true;
}

QString ColourToHTML(TColor colour)
{
    const QString h = HexDigits8(colour);   // H1..H8, most significant first
    return h.mid(6, 2) + h.mid(4, 2) + h.mid(2, 2);
}

QString BuildBodyWithStyle(const TStyleChunk &style)
{
    QString tag = QStringLiteral("<BODY");
    if (!style.Image.isEmpty()) {
        QString image = style.Image.toLower();
        image.replace(QLatin1Char('\\'), QLatin1Char('/'));
        tag += QStringLiteral(" BACKGROUND=\"") + AttributeValue(image) + QLatin1Char('"');
    }
    tag += QStringLiteral(" BGCOLOR=\"#") + ColourToHTML(style.BackColour) + QLatin1Char('"');
    tag += QStringLiteral(" TEXT=\"#") + ColourToHTML(style.TextColour) + QLatin1Char('"');
    tag += QStringLiteral(" LINK=\"#") + ColourToHTML(style.LinkColour) + QLatin1Char('"');
    tag += QStringLiteral(" ALINK=\"#") + ColourToHTML(style.ActiveColour) + QLatin1Char('"');
    tag += QStringLiteral(" VLINK=\"#") + ColourToHTML(style.VisitedColour) + QLatin1Char('"');
    tag += QStringLiteral(">\r\n");
    return tag;
}

namespace {

bool IsTagNameChar(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
        || (c >= QLatin1Char('0') && c <= QLatin1Char('9'));
}

// End (index of the closing ">") of the tag that opens at start, passing over
// quoted attribute values; -1 when the text ends first.
qsizetype TagEnd(const QString &html, qsizetype start)
{
    QChar quote;
    for (qsizetype i = start + 1; i < html.size(); ++i) {
        const QChar c = html.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            // A quote opens a value only after "=" (blanks allowed between).
            qsizetype j = i - 1;
            while (j > start && html.at(j).isSpace())
                --j;
            if (html.at(j) == QLatin1Char('='))
                quote = c;
        } else if (c == QLatin1Char('>')) {
            return i;
        }
    }
    return -1;
}

// Where the page's BODY tag opens: the first "<BODY" (case-sensitive) that is
// a tag of the page, not text in a comment, in the title, in a script or
// style, or inside the attributes of another tag. -1 when there is none.
qsizetype FindBodyTag(const QString &html)
{
    static const QStringList rawTextElements = {QStringLiteral("title"), QStringLiteral("script"),
                                                QStringLiteral("style"), QStringLiteral("textarea"),
                                                QStringLiteral("xmp")};
    const qsizetype n = html.size();
    qsizetype i = 0;
    while (i < n) {
        i = html.indexOf(QLatin1Char('<'), i);
        if (i < 0)
            return -1;
        if (QStringView(html).mid(i, 4) == QLatin1String("<!--")) {
            const qsizetype close = html.indexOf(QLatin1String("-->"), i + 4);
            if (close < 0)
                return -1;
            i = close + 3;
            continue;
        }
        qsizetype nameStart = i + 1;
        if (nameStart < n && html.at(nameStart) == QLatin1Char('/'))
            ++nameStart;
        qsizetype nameEnd = nameStart;
        while (nameEnd < n && IsTagNameChar(html.at(nameEnd)))
            ++nameEnd;
        if (nameEnd == nameStart) {
            ++i; // a "<" that opens no tag is text
            continue;
        }
        const QString name = html.mid(nameStart, nameEnd - nameStart);
        if (nameStart == i + 1 && name == QLatin1String("BODY"))
            return i;
        const bool closing = nameStart != i + 1;
        qsizetype end = TagEnd(html, i);
        if (end < 0)
            end = html.indexOf(QLatin1Char('>'), i); // a quote left open
        if (end < 0)
            return -1;
        i = end + 1;
        const QString lower = name.toLower();
        if (!closing && rawTextElements.contains(lower)) {
            // The text of a title, script or style runs to its closing tag.
            const qsizetype close = html.indexOf(QStringLiteral("</") + lower, i, Qt::CaseInsensitive);
            if (close < 0)
                return -1;
            i = close;
        }
    }
    return -1;
}

} // namespace

QString ReplaceBodyTag(const QString &html, const QString &tag)
{
    const qsizetype start = FindBodyTag(html);
    if (start < 0)
        return html;
    qsizetype close = TagEnd(html, start);
    if (close < 0)
        close = html.indexOf(QLatin1Char('>'), start); // a quote left open
    if (close < 0)
        return html.left(start) + tag;
    return html.left(start) + tag + html.mid(close + 1);
}

QString BodyTagForEntry(const StyleList &styles, int entry)
{
    if (entry == 0)
        return QStringLiteral("<BODY>");
    if (entry < 0 || entry > styles.size())
        return QString();
    QString tag = BuildBodyWithStyle(styles.at(entry - 1));
    tag.remove(QLatin1String("\r\n"));
    return tag;
}

QStringList StyleListEntries(const StyleList &styles, const QString &noneText)
{
    QStringList entries;
    entries.reserve(styles.size() + 1);
    entries.append(noneText);
    for (const TStyleChunk &s : styles)
        entries.append(s.Name);
    return entries;
}

int FindStyleEntry(const QStringList &entries, const QString &name)
{
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace wobbin
