#include "styles/StyleSample.h"

#include "base/Paths.h"
#include "base/SafeFile.h"
#include "page/Cp1252.h"

namespace wobbin {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString Attribute(const char *name, const QString &value)
{
    return QLatin1Char(' ') + QLatin1String(name) + QStringLiteral("=\"") + value + QLatin1Char('"');
}

QString ColouredLine(const QString &start, TColor colour, const QString &word)
{
    return start + QStringLiteral("<FONT COLOR=\"") + ColourToHTML(colour) + QStringLiteral("\"> ") + word
        + QStringLiteral(" </FONT>");
}

} // namespace

QString CreateStyleSampleHTML(const TStyleChunk &style, const TStyleSampleWords &words)
{
    QString body = QStringLiteral("<BODY");
    if (!style.Image.isEmpty())
        body += Attribute("BACKGROUND", style.Image);
    body += Attribute("BGCOLOR", ColourToHTML(style.BackColour));
    body += Attribute("TEXT", ColourToHTML(style.TextColour));
    body += Attribute("LINK", ColourToHTML(style.LinkColour));
    body += Attribute("ALINK", ColourToHTML(style.ActiveColour));
    body += Attribute("VLINK", ColourToHTML(style.VisitedColour));
    body += QLatin1Char('>');

    const QStringList lines = {
        QStringLiteral("<HTML>"),
        body,
        QStringLiteral("<CENTER><BOLD>"),
        ColouredLine(QStringLiteral("<P><BR>"), style.TextColour, words.DocumentText),
        ColouredLine(QStringLiteral("<P> "), style.LinkColour, words.StandardLink),
        ColouredLine(QStringLiteral("<P> "), style.ActiveColour, words.ActiveLink),
        ColouredLine(QStringLiteral("<P> "), style.VisitedColour, words.VisitedLink),
        QStringLiteral("</CENTER></BOLD>"),
        QStringLiteral("</BODY>"),
        QStringLiteral("</HTML>"),
    };
    return lines.join(kCrLf);
}

QString StyleSampleFileName()
{
    return QStringLiteral("~tmpprvw.html");
}

QString StyleSamplePath(const QString &htmlFolder)
{
    return ToNativePath(JoinPath(FindPathNoCase(ToNativePath(htmlFolder)), StyleSampleFileName()));
}

TResult<void> WriteStyleSample(const QString &path, const QString &html)
{
    return WriteFileSafely(ToNativePath(path), ToCp1252(html));
}

} // namespace wobbin
