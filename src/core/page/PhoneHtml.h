#pragma once
// The page written for today's browsers ("Fits phones"): HTML5 in UTF-8 with
// a viewport, presentation in a small style sheet instead of attributes, and
// pictures that shrink to the screen. The blocks keep their meaning: the same
// alignment, the same new-line switch, the same order.
//
// Paragraph texts are written exactly as typed (a user may put tags of their
// own there); every other text the user typed is escaped, so that it shows as
// typed and cannot break the page. A "&" that already starts a character
// reference ("&amp;", "&#233;") is kept as it is.

#include "page/PageHtml.h"

namespace wobbin {

// <p class="logo"><a href="home"><img src="graphics/button.gif" ...></a></p>
QString PhoneLogoFooter();

// The whole page (or, with bodyOnly, the block fragments only). Refreshes
// every block's HTML. language is a BCP 47 tag; anything else gives "en".
QString BuildPhonePageHTML(BlockList &blocks, const QString &pageTitle, bool bodyOnly, bool logoOn,
                           const QString &language);

// The text of the page's TITLE element: the page title, or, when it is blank,
// the first heading's text (a page must have a title), or "Untitled".
QString PhoneTitleText(const QString &pageTitle, const BlockList &blocks);

// The page's style element: the layout rules every page gets, then the
// style's own rules (StyleSheet.h), ended by CR LF.
QString PhoneStyleElement(const QString &styleRules);
// Replaces the first "<style>" ... "</style>" element by the given one; a text
// without one is returned unchanged.
QString ReplaceStyleElement(const QString &html, const QString &element);

// The editors of the logo check box and the title box for this form: the
// footer goes in front of "</body>" (nothing changes without one, or when it
// is there already) or comes out; the TITLE element's text is replaced.
QString InsertPhoneLogoFooter(const QString &html);
QString RemovePhoneLogoFooter(const QString &html);
QString ReplacePhoneTitle(const QString &html, const QString &titleText);

// Escaping of a text typed by the user: "<", ">" and a "&" that starts no
// character reference; for an attribute value also the double quote.
QString EscapeHtmlText(const QString &text);
QString EscapeHtmlAttribute(const QString &text);

// The text an escaped value stands for: numeric character references and
// "&amp;", "&lt;", "&gt;", "&quot;", "&apos;" turned back into characters.
QString UnescapeHtml(const QString &text);

// The language a tag stands for when it is a well-formed BCP 47 tag, else "en".
QString PageLanguageTag(const QString &language);

} // namespace wobbin
