#include "page/ViewerText.h"
#include "page/PageText.h"

namespace wobbin {

QString ToViewerText(const QString &html)
{
    // A page written for today's browsers is shown as they show it.
    if (IsModernPage(html))
        return html;
    QString text = html;
    text.replace(QLatin1String("<DIV"), QLatin1String("<P"), Qt::CaseInsensitive);
    text.replace(QLatin1String("</DIV><BR>"), QLatin1String("</P>"), Qt::CaseInsensitive);
    text.replace(QLatin1String("</DIV>"), QLatin1String("</P>"), Qt::CaseInsensitive);
    return text;
}

} // namespace wobbin
