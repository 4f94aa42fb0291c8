#include "styles/StyleSheet.h"

#include "page/PhoneHtml.h"

namespace wobbin {
namespace {

// A CSS string in double quotes: nothing in it can end the string or the
// style element.
QString CssString(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == QLatin1Char('"') || c == QLatin1Char('\\'))
            out += QLatin1Char('\\') + QString(c);
        else if (c == QLatin1Char('<') || c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\%1 ").arg(c.unicode(), 0, 16);
        else
            out += c;
    }
    return out + QLatin1Char('"');
}

QString Hash(TColor colour) { return QLatin1Char('#') + ColourToHTML(colour); }

} // namespace

QString StyleRules(const TStyleChunk &style)
{
    QString body = QStringLiteral("body{color:") + Hash(style.TextColour) + QStringLiteral(";background-color:")
        + Hash(style.BackColour);
    if (!style.Image.isEmpty()) {
        QString path = style.Image.toLower();
        path.replace(QLatin1Char('\\'), QLatin1Char('/'));
        body += QStringLiteral(";background-image:url(") + CssString(path) + QLatin1Char(')');
    }
    return body + QStringLiteral("}\r\n")
        + QStringLiteral("a:link{color:") + Hash(style.LinkColour) + QStringLiteral("}\r\n")
        + QStringLiteral("a:visited{color:") + Hash(style.VisitedColour) + QStringLiteral("}\r\n")
        + QStringLiteral("a:active{color:") + Hash(style.ActiveColour) + QStringLiteral("}\r\n");
}

QString ApplyStyleEntry(const QString &html, const StyleList &styles, int entry, HtmlForm form)
{
    if (entry < 0 || entry > styles.size())
        return html;
    if (form == HtmlForm::Classic)
        return ReplaceBodyTag(html, BodyTagForEntry(styles, entry));
    return ReplaceStyleElement(html, PhoneStyleElement(entry == 0 ? QString() : StyleRules(styles.at(entry - 1))));
}

} // namespace wobbin
