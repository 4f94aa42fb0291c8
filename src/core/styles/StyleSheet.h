#pragma once
// The chosen style in the page written for phones: its colours and background
// picture as rules of the page's style element, where the classic page has
// them as attributes of its BODY tag.

#include "page/PageHtml.h"
#include "styles/StyleLibrary.h"

#include <QString>

namespace wobbin {

// The style's rules: text and background colour and background picture of
// the body, then the link, visited and active link colours. The picture path
// is written as the BODY tag has it (lower case, "/" separators).
QString StyleRules(const TStyleChunk &style);

// The chosen style (an entry of the style list box: 0 is "[None]", i the
// style i - 1) put into the page text of the given form: the BODY tag of a
// classic page, the style element of a page that fits phones. An entry
// outside the list leaves the text as it is.
QString ApplyStyleEntry(const QString &html, const StyleList &styles, int entry, HtmlForm form);

} // namespace wobbin
