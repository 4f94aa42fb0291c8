#pragma once
// HTML of a page: one emitter per block kind and the page assembly. Every line
// break written is CR LF; texts are inserted exactly as typed.

#include "page/BlockList.h"

#include <QString>

namespace wobbin {

// The two ways of writing a page: the classic HTML of the program's first
// version (the default, byte for byte as it always was), and HTML5 in UTF-8
// that fits a phone's screen (PhoneHtml.h).
enum class HtmlForm { Classic, FitsPhones };

// How a page is written: the form and, for the page that fits phones, the
// language of its text (a BCP 47 tag such as "en" or "de-CH").
struct PageWriting {
    HtmlForm Form = HtmlForm::Classic;
    QString Language;
};

// Home page the logo footer links to.
QString HomePageAddress(); // "http://www.wobbinexpress.com/"
// <BR><BR><A HREF="home"><IMG SRC="graphics/button.gif"></A>
QString LogoFooter();

// Emitters: each builds the block's fragment from empty into its HTML field.
void EmitPara(TWebChunk &block);
void EmitLink(TWebChunk &block);
void EmitImage(TWebChunk &block);
void EmitHeading(TWebChunk &block);
void EmitEmail(TWebChunk &block);
void EmitLine(TWebChunk &block);
// The emitter of the block's kind; a kind outside 0..5 keeps its old HTML.
void EmitBlock(TWebChunk &block);

// The whole page (head lines, blocks, optional logo footer, closing lines) or,
// with bodyOnly, the block fragments only. Refreshes every block's HTML.
QString BuildPageHTML(BlockList &blocks, const QString &pageTitle, bool bodyOnly, bool logoOn);
// The same in the given way of writing.
QString BuildPageHTML(BlockList &blocks, const QString &pageTitle, bool bodyOnly, bool logoOn,
                      const PageWriting &how);

// Text before the first startMarker + replacement + text after the first
// endMarker that follows it. No start marker: text unchanged. A start marker
// without an end marker after it: the replacement takes the start marker's
// place and everything after the start marker is kept.
QString ReplaceBetween(const QString &text, const QString &startMarker,
                       const QString &endMarker, const QString &replacement);

// The logo check box: puts the footer in front of "</BODY>" (text unchanged
// without "</BODY>") or takes it out (unchanged when absent).
QString InsertLogoFooter(const QString &html);
QString RemoveLogoFooter(const QString &html);
// The title box: replaces the TITLE element, leaving everything else as it is.
QString ReplaceTitle(const QString &html, const QString &title);

// The three editors for a text written in the given form.
QString InsertLogoFooter(const QString &html, HtmlForm form);
QString RemoveLogoFooter(const QString &html, HtmlForm form);
QString ReplaceTitle(const QString &html, const QString &title, HtmlForm form);

} // namespace wobbin
