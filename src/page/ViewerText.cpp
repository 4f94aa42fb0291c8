#include "page/ViewerText.h"

namespace wobbin {

QString ToViewerText(const QString &html)
{
    QString text = html;
    text.replace(QLatin1String("<DIV"), QLatin1String("<P"), Qt::CaseInsensitive);
    text.replace(QLatin1String("</DIV><BR>"), QLatin1String("</P>"), Qt::CaseInsensitive);
    text.replace(QLatin1String("</DIV>"), QLatin1String("</P>"), Qt::CaseInsensitive);
    return text;
}

} // namespace wobbin
