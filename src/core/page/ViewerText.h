#pragma once
// The text the preview viewer is given in place of the page HTML: DIV
// elements become paragraphs, so that alignment shows as it will in older
// browsers. The page text itself (editor and files) keeps its DIVs.

#include <QString>

namespace wobbin {

// Replaces, without regard to letter case and in this order, every "<DIV" by
// "<P", every "</DIV><BR>" by "</P>" and every "</DIV>" by "</P>". Each pass
// scans left to right and does not rescan what it has replaced. A page
// written for today's browsers (IsModernPage) is given unchanged.
QString ToViewerText(const QString &html);

} // namespace wobbin
