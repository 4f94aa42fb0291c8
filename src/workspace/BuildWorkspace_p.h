#pragma once
// Helpers shared by the Build workspace's source files.

#include <QString>

namespace wobbin {

// The paragraph record keeps CR LF between lines; the edit works with LF.
inline QString ParagraphToEdit(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

inline QString ParagraphFromEdit(QString text)
{
    text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    return text;
}

} // namespace wobbin
