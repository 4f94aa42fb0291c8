#include "page/PageHtml.h"
#include "page/PhoneHtml.h"

namespace wobbin {
namespace {
const QString kCrLf = QStringLiteral("\r\n");

// First character of a combo text (the digit); empty when there is none.
QString FirstChar(const QString &s)
{
    return s.isEmpty() ? QString() : s.left(1);
}
} // namespace

QString HomePageAddress()
{
    return QStringLiteral("http://www.wobbinexpress.com/");
}

QString LogoFooter()
{
    return QStringLiteral("<BR><BR><A HREF=\"") + HomePageAddress()
        + QStringLiteral("\"><IMG SRC=\"graphics/button.gif\"></A>");
}

void EmitPara(TWebChunk &block)
{
    QString h;
    if (const TBlockPara *p = block.Para.get()) {
        const QString word = AlignWord(p->Align);
        if (p->Align != 0)
            h += QStringLiteral("<P ALIGN=") + word + QStringLiteral(">") + kCrLf;
        QString text = p->Text;
        text.replace(QLatin1Char('\r'), QStringLiteral("<BR>\r"));
        h += text;
        if (p->Align != 0)
            h += QStringLiteral("</P>") + kCrLf;
        if (p->NewLine == 1)
            h += QStringLiteral("<BR>") + kCrLf;
    }
    block.HTML = h;
}

void EmitLink(TWebChunk &block)
{
    QString h;
    if (const TBlockLink *l = block.Link.get()) {
        if (l->Align != 0)
            h += QStringLiteral("<DIV ALIGN=") + AlignWord(l->Align) + QStringLiteral(">") + kCrLf;
        h += l->PreText + QStringLiteral(" <A HREF=\"") + l->URL + QStringLiteral("\">") + l->LinkText
            + QStringLiteral("</A> ") + l->PostText + kCrLf;
        if (l->Align != 0)
            h += QStringLiteral("</DIV>") + kCrLf;
        if (l->NewLine == 1)
            h += QStringLiteral("<BR>") + kCrLf;
    }
    block.HTML = h;
}

void EmitImage(TWebChunk &block)
{
    QString h;
    if (const TBlockImage *im = block.Image.get()) {
        if (im->Align == 2)
            h += QStringLiteral("<CENTER>") + kCrLf;
        const bool anchor = !im->LinkURL.isEmpty() && im->LinkURL != QLatin1String("http://");
        if (anchor)
            h += QStringLiteral("<A HREF=\"") + im->LinkURL + QStringLiteral("\">") + kCrLf;
        QString src = im->FileName;
        src.replace(QLatin1Char('\\'), QLatin1Char('/'));
        h += QStringLiteral("<IMG SRC=\"") + src + QStringLiteral("\"");
        if (!im->ImgHeight.isEmpty())
            h += QStringLiteral(" HEIGHT=") + im->ImgHeight;
        if (!im->ImgWidth.isEmpty())
            h += QStringLiteral(" WIDTH=") + im->ImgWidth;
        if (im->Align != 0 && im->Align != 2)
            h += QStringLiteral(" ALIGN=") + AlignWord(im->Align);
        if (!im->AltText.isEmpty())
            h += QStringLiteral(" ALT=\"") + im->AltText + QStringLiteral("\"");
        h += QStringLiteral(">") + kCrLf;
        if (anchor)
            h += QStringLiteral("</A>") + kCrLf;
        if (im->Align == 2)
            h += QStringLiteral("</CENTER>") + kCrLf;
        if (im->NewLine == 1)
            h += QStringLiteral("<BR>") + kCrLf;
    }
    block.HTML = h;
}

void EmitHeading(TWebChunk &block)
{
    QString h;
    if (const TBlockHeading *hd = block.Heading.get()) {
        const QString d = FirstChar(hd->SizeText);
        h += QStringLiteral("<H") + d;
        if (hd->Align != 0)
            h += QStringLiteral(" ALIGN=") + AlignWord(hd->Align);
        h += QStringLiteral(">") + hd->Text + QStringLiteral("</H") + d + QStringLiteral(">") + kCrLf;
    }
    block.HTML = h;
}

void EmitEmail(TWebChunk &block)
{
    QString h;
    if (const TBlockEmail *e = block.Email.get()) {
        if (e->Align != 0)
            h += QStringLiteral("<DIV ALIGN=") + AlignWord(e->Align) + QStringLiteral(">") + kCrLf;
        h += e->PreText + QStringLiteral(" <A HREF=\"mailto:") + e->Address + QStringLiteral("\">")
            + e->LinkText + QStringLiteral("</A> ") + e->PostText + kCrLf;
        if (e->Align != 0)
            h += QStringLiteral("</DIV>");
        if (e->NewLine == 1)
            h += QStringLiteral("<BR>") + kCrLf;
    }
    block.HTML = h;
}

void EmitLine(TWebChunk &block)
{
    QString h;
    if (const TBlockLine *l = block.Line.get()) {
        h += QStringLiteral("<HR");
        if (!l->LineWidth.isEmpty())
            h += QStringLiteral(" WIDTH=") + l->LineWidth + QStringLiteral("%");
        h += QStringLiteral(" SIZE=") + FirstChar(l->ThickText) + QStringLiteral(">") + kCrLf;
    }
    block.HTML = h;
}

void EmitBlock(TWebChunk &block)
{
    switch (block.Kind) {
    case bkPara: EmitPara(block); break;
    case bkLink: EmitLink(block); break;
    case bkImage: EmitImage(block); break;
    case bkHeading: EmitHeading(block); break;
    case bkEmail: EmitEmail(block); break;
    case bkLine: EmitLine(block); break;
    default: break;
    }
}

QString BuildPageHTML(BlockList &blocks, const QString &pageTitle, bool bodyOnly, bool logoOn)
{
    QString out;
    if (!bodyOnly) {
        out += QStringLiteral("<HTML>\r\n<HEAD>\r\n<TITLE>") + pageTitle + QStringLiteral("</TITLE>\r\n")
            + QStringLiteral("<META NAME=\"Generator\" CONTENT=\"Wobbin Express V1.0 (Win95)\">\r\n")
            + QStringLiteral("<META NAME=\"Description\" CONTENT=\"Wobbin Express Document\">\r\n")
            + QStringLiteral("</HEAD>\r\n<BODY>\r\n");
    }
    for (auto &block : blocks) {
        EmitBlock(*block);
        out += block->HTML;
        out += kCrLf;
    }
    if (!bodyOnly) {
        if (logoOn)
            out += QStringLiteral("<CENTER>") + LogoFooter() + QStringLiteral("</CENTER>") + kCrLf;
        out += QStringLiteral("</BODY>\r\n</HTML>\r\n");
    }
    return out;
}

QString BuildPageHTML(BlockList &blocks, const QString &pageTitle, bool bodyOnly, bool logoOn,
                      const PageWriting &how)
{
    if (how.Form == HtmlForm::FitsPhones)
        return BuildPhonePageHTML(blocks, pageTitle, bodyOnly, logoOn, how.Language);
    return BuildPageHTML(blocks, pageTitle, bodyOnly, logoOn);
}

QString ReplaceBetween(const QString &text, const QString &startMarker, const QString &endMarker,
                       const QString &replacement)
{
    if (startMarker.isEmpty())
        return text;
    const qsizetype start = text.indexOf(startMarker);
    if (start < 0)
        return text;
    const qsizetype afterStart = start + startMarker.size();
    const qsizetype end = endMarker.isEmpty() ? -1 : text.indexOf(endMarker, afterStart);
    if (end < 0) {
        // No end marker: keep everything after the start marker.
        return text.left(start) + replacement + text.mid(afterStart);
    }
    return text.left(start) + replacement + text.mid(end + endMarker.size());
}

QString InsertLogoFooter(const QString &html)
{
    const QString end = QStringLiteral("</HTML>");
    const QString replacement = QStringLiteral("<CENTER>") + LogoFooter() + QStringLiteral("</CENTER>")
        + kCrLf + QStringLiteral("</BODY>") + kCrLf + end + kCrLf;
    const qsizetype body = html.indexOf(QStringLiteral("</BODY>"));
    if (body < 0)
        return html;
    // Without a closing HTML tag after the body the footer still goes in front
    // of "</BODY>" and nothing after it is lost.
    if (html.indexOf(end, body) < 0)
        return html.left(body) + QStringLiteral("<CENTER>") + LogoFooter() + QStringLiteral("</CENTER>")
            + kCrLf + html.mid(body);
    return ReplaceBetween(html, QStringLiteral("</BODY>"), end, replacement);
}

QString RemoveLogoFooter(const QString &html)
{
    const QString start = QStringLiteral("<CENTER>") + LogoFooter();
    const qsizetype at = html.indexOf(start);
    if (at < 0)
        return html;
    if (html.indexOf(QStringLiteral("</CENTER>"), at + start.size()) < 0)
        return html.left(at) + html.mid(at + start.size());
    return ReplaceBetween(html, start, QStringLiteral("</CENTER>"), QString());
}

QString ReplaceTitle(const QString &html, const QString &title)
{
    return ReplaceBetween(html, QStringLiteral("<TITLE>"), QStringLiteral("</TITLE>"),
                          QStringLiteral("<TITLE>") + title + QStringLiteral("</TITLE>"));
}

QString InsertLogoFooter(const QString &html, HtmlForm form)
{
    return form == HtmlForm::FitsPhones ? InsertPhoneLogoFooter(html) : InsertLogoFooter(html);
}

QString RemoveLogoFooter(const QString &html, HtmlForm form)
{
    return form == HtmlForm::FitsPhones ? RemovePhoneLogoFooter(html) : RemoveLogoFooter(html);
}

QString ReplaceTitle(const QString &html, const QString &title, HtmlForm form)
{
    return form == HtmlForm::FitsPhones ? ReplacePhoneTitle(html, title) : ReplaceTitle(html, title);
}

} // namespace wobbin
