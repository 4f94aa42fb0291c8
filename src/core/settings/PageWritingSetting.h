#pragma once
// The way pages are written, one choice for all pages, kept in the settings:
// General "FitsPhones" ("Yes" writes pages that fit phones; anything else,
// and a missing value, the classic page) and General "PageLanguage" (the
// language the page declares, a BCP 47 tag such as "de" or "pt-BR"; missing
// or empty: the language of the system).

#include "page/PageHtml.h"

namespace wobbin {

HtmlForm SavedHtmlForm();
void SaveHtmlForm(HtmlForm form);

// The language pages declare: the setting when it holds a well-formed tag,
// otherwise the system's language.
QString PageLanguage();

} // namespace wobbin
