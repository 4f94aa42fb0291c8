#include "page/PhoneHtml.h"

#include <QRegularExpression>

namespace wobbin {
namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The layout every page gets: a readable column on wide screens, a body text
// a phone shows at a readable size, pictures no wider than the screen, the
// block alignments, and the footer below everything.
const char kLayoutRules[] =
    "html{-webkit-text-size-adjust:100%;text-size-adjust:100%}\r\n"
    "body{max-width:40em;margin:0 auto;padding:.5em 1em;font-size:max(1rem,16px);line-height:1.45;"
    "overflow-wrap:break-word}\r\n"
    "img{max-width:100%;height:auto}\r\n"
    ".left{text-align:left}\r\n"
    ".center{text-align:center}\r\n"
    ".right{text-align:right}\r\n"
    "img.left{float:left;margin:.2em 1em .5em 0}\r\n"
    "img.right{float:right;margin:.2em 0 .5em 1em}\r\n"
    "div.p{margin:1em 0}\r\n"
    ".logo{clear:both;margin-top:2em;text-align:center}\r\n";

// A character reference starts at text[i] ("&amp;", "&#233;", "&#xE9;").
bool StartsReference(const QString &text, qsizetype i)
{
    static const QRegularExpression ref(
        QStringLiteral("\\G&(?:#[0-9]{1,7}|#[xX][0-9A-Fa-f]{1,6}|[A-Za-z][A-Za-z0-9]{1,31});"));
    return ref.match(text, i, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption)
        .hasMatch();
}

QString Escape(const QString &text, bool attribute)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('&'))
            out += StartsReference(text, i) ? QStringLiteral("&") : QStringLiteral("&amp;");
        else if (c == QLatin1Char('<'))
            out += QStringLiteral("&lt;");
        else if (c == QLatin1Char('>'))
            out += QStringLiteral("&gt;");
        else if (attribute && c == QLatin1Char('"'))
            out += QStringLiteral("&quot;");
        else
            out += c;
    }
    return out;
}

// The CSS class of an alignment; empty for none (and for a damaged value).
QString AlignClass(int align)
{
    switch (align) {
    case 1: return QStringLiteral("left");
    case 2: return QStringLiteral("center");
    case 3: return QStringLiteral("right");
    default: return QString();
    }
}

QString ClassAttr(const QString &cls)
{
    return cls.isEmpty() ? QString() : QStringLiteral(" class=\"") + cls + QLatin1Char('"');
}

// A whole number of pixels as typed ("320", " 320 "); empty for anything else.
QString Pixels(const QString &typed)
{
    static const QRegularExpression number(QStringLiteral("^\\s*([0-9]{1,6})\\s*(?:px)?\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const auto m = number.match(typed);
    return m.hasMatch() ? QString::number(m.captured(1).toInt()) : QString();
}

// A paragraph text holding block elements of its own cannot stand inside a P.
bool HoldsBlockMarkup(const QString &text)
{
    static const QRegularExpression block(
        QStringLiteral("<\\s*/?\\s*(address|article|aside|blockquote|center|dd|details|dialog|dir|div|dl|dt|"
                       "fieldset|figcaption|figure|footer|form|h[1-6]|header|hr|li|main|menu|nav|ol|p|pre|"
                       "section|table|tbody|td|tfoot|th|thead|tr|ul)(?![A-Za-z0-9])"),
        QRegularExpression::CaseInsensitiveOption);
    return text.contains(QLatin1Char('<')) && block.match(text).hasMatch();
}

// Each line break of the memo becomes "<br>" CR LF, as in the classic page.
QString ParaText(const TBlockPara &p)
{
    QString text = p.Text;
    text.replace(QLatin1Char('\r'), QStringLiteral("<br>\r"));
    return text;
}

// Pre-text, the link, post-text; a link without a text shows its address.
QString Phrase(const QString &pre, const QString &href, const QString &linkText, const QString &shownAddress,
               const QString &post)
{
    QStringList parts;
    if (!pre.trimmed().isEmpty())
        parts << EscapeHtmlText(pre.trimmed());
    const QString shown = linkText.trimmed().isEmpty() ? shownAddress.trimmed() : linkText;
    parts << QStringLiteral("<a href=\"") + EscapeHtmlAttribute(href.trimmed()) + QStringLiteral("\">")
            + EscapeHtmlText(shown) + QStringLiteral("</a>");
    if (!post.trimmed().isEmpty())
        parts << EscapeHtmlText(post.trimmed());
    return parts.join(QLatin1Char(' '));
}

QString ImageTag(const TBlockImage &im, const QString &cls)
{
    QString src = im.FileName;
    src.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString tag = QStringLiteral("<img src=\"") + EscapeHtmlAttribute(src.trimmed()) + QLatin1Char('"');
    const QString width = Pixels(im.ImgWidth);
    const QString height = Pixels(im.ImgHeight);
    if (!width.isEmpty())
        tag += QStringLiteral(" width=\"") + width + QLatin1Char('"');
    if (!height.isEmpty())
        tag += QStringLiteral(" height=\"") + height + QLatin1Char('"');
    tag += QStringLiteral(" alt=\"") + EscapeHtmlAttribute(im.AltText) + QLatin1Char('"') + ClassAttr(cls)
        + QLatin1Char('>');
    const bool anchor = !im.LinkURL.trimmed().isEmpty() && im.LinkURL != QLatin1String("http://");
    if (anchor)
        tag = QStringLiteral("<a href=\"") + EscapeHtmlAttribute(im.LinkURL.trimmed()) + QStringLiteral("\">") + tag
            + QStringLiteral("</a>");
    return tag;
}

int AlignOf(const TWebChunk &b)
{
    switch (b.Kind) {
    case bkPara: return b.Para ? b.Para->Align : 0;
    case bkLink: return b.Link ? b.Link->Align : 0;
    case bkImage: return b.Image ? b.Image->Align : 0;
    case bkHeading: return b.Heading ? b.Heading->Align : 0;
    case bkEmail: return b.Email ? b.Email->Align : 0;
    default: return 0;
    }
}

bool EndsLine(const TWebChunk &b)
{
    switch (b.Kind) {
    case bkPara: return b.Para && b.Para->NewLine == 1;
    case bkLink: return b.Link && b.Link->NewLine == 1;
    case bkImage: return b.Image && b.Image->NewLine == 1;
    case bkEmail: return b.Email && b.Email->NewLine == 1;
    default: return true;
    }
}

// Blocks that flow within a line of text, as they do in the classic page:
// paragraphs, links and e-mail links without alignment, and pictures that are
// not centred (a left or right picture floats beside the text).
bool Flows(const TWebChunk &b)
{
    const bool aligned = !AlignClass(AlignOf(b)).isEmpty();
    switch (b.Kind) {
    case bkPara: return b.Para && !aligned;
    case bkLink: return b.Link && !aligned;
    case bkEmail: return b.Email && !aligned;
    case bkImage: return b.Image && AlignOf(b) != 2;
    default: return false;
    }
}

// The content of a flowing block.
QString InlineContent(const TWebChunk &b)
{
    switch (b.Kind) {
    case bkPara: return ParaText(*b.Para);
    case bkLink:
        return Phrase(b.Link->PreText, b.Link->URL, b.Link->LinkText, b.Link->URL, b.Link->PostText);
    case bkEmail:
        return Phrase(b.Email->PreText, QStringLiteral("mailto:") + b.Email->Address.trimmed(), b.Email->LinkText,
                      b.Email->Address, b.Email->PostText);
    case bkImage: return ImageTag(*b.Image, AlignClass(b.Image->Align));
    default: return QString();
    }
}

// A block that stands on its own lines.
QString BlockElement(const TWebChunk &b)
{
    const QString cls = AlignClass(AlignOf(b));
    const bool record = (b.Kind == bkPara && b.Para) || (b.Kind == bkLink && b.Link)
        || (b.Kind == bkImage && b.Image) || (b.Kind == bkEmail && b.Email) || b.Kind == bkHeading
        || b.Kind == bkLine;
    if (!record)
        return QString();
    switch (b.Kind) {
    case bkPara:
        if (HoldsBlockMarkup(b.Para->Text))
            return QStringLiteral("<div class=\"p ") + cls + QStringLiteral("\">") + kCrLf + ParaText(*b.Para)
                + kCrLf + QStringLiteral("</div>") + kCrLf;
        return QStringLiteral("<p") + ClassAttr(cls) + QLatin1Char('>') + ParaText(*b.Para) + QStringLiteral("</p>")
            + kCrLf;
    case bkLink:
    case bkEmail:
        return QStringLiteral("<p") + ClassAttr(cls) + QLatin1Char('>') + InlineContent(b) + QStringLiteral("</p>")
            + kCrLf;
    case bkImage:
        return QStringLiteral("<p class=\"center\">") + ImageTag(*b.Image, QString()) + QStringLiteral("</p>") + kCrLf;
    case bkHeading: {
        if (!b.Heading)
            return QString();
        const QChar d = b.Heading->SizeText.isEmpty() ? QLatin1Char('1') : b.Heading->SizeText.at(0);
        const QString level = (d >= QLatin1Char('1') && d <= QLatin1Char('6')) ? QString(d) : QStringLiteral("1");
        return QStringLiteral("<h") + level + ClassAttr(cls) + QLatin1Char('>') + EscapeHtmlText(b.Heading->Text)
            + QStringLiteral("</h") + level + QLatin1Char('>') + kCrLf;
    }
    case bkLine: {
        if (!b.Line)
            return QString();
        QStringList style;
        static const QRegularExpression percent(QStringLiteral("^\\s*([0-9]{1,3}(?:\\.[0-9]{1,3})?)\\s*%?\\s*$"));
        const auto m = percent.match(b.Line->LineWidth);
        if (m.hasMatch())
            style << QStringLiteral("width:") + QString::number(qMin(100.0, m.captured(1).toDouble())) + QLatin1Char('%');
        // SIZE n draws a rule n pixels high, its 1-pixel borders included.
        const QChar t = b.Line->ThickText.isEmpty() ? QChar() : b.Line->ThickText.at(0);
        if (t >= QLatin1Char('1') && t <= QLatin1Char('9')) {
            const int size = t.digitValue();
            style << (size == 1 ? QStringLiteral("height:0;border-bottom-width:0")
                                : QStringLiteral("height:%1px").arg(size - 2));
        }
        return style.isEmpty() ? QStringLiteral("<hr>") + kCrLf
                               : QStringLiteral("<hr style=\"") + style.join(QLatin1Char(';')) + QStringLiteral("\">")
                + kCrLf;
    }
    default:
        return QString();
    }
}

// Writes every block's HTML: a run of flowing blocks up to one whose new-line
// switch is on makes one paragraph, every other block stands on its own.
void EmitBlocks(BlockList &blocks)
{
    const int n = blocks.Count();
    int i = 0;
    while (i < n) {
        TWebChunk &first = blocks.At(i);
        if (!IsBlockKind(first.Kind)) {
            ++i;
            continue;
        }
        if (!Flows(first)) {
            first.HTML = BlockElement(first);
            ++i;
            continue;
        }
        int last = i;
        while (last + 1 < n && !EndsLine(blocks.At(last)) && Flows(blocks.At(last + 1)))
            ++last;
        bool blank = true;
        bool div = false;
        for (int k = i; k <= last; ++k) {
            TWebChunk &b = blocks.At(k);
            b.HTML = InlineContent(b) + kCrLf;
            blank = blank && b.HTML.trimmed().isEmpty();
            div = div || (b.Kind == bkPara && HoldsBlockMarkup(b.Para->Text));
        }
        if (blank) {
            // An empty paragraph stands for an empty line.
            first.HTML = QStringLiteral("<br>") + kCrLf;
        } else {
            first.HTML.prepend(div ? QStringLiteral("<div class=\"p\">") + kCrLf : QStringLiteral("<p>"));
            blocks.At(last).HTML += (div ? QStringLiteral("</div>") : QStringLiteral("</p>")) + kCrLf;
        }
        i = last + 1;
    }
}

} // namespace

QString EscapeHtmlText(const QString &text) { return Escape(text, false); }
QString EscapeHtmlAttribute(const QString &text) { return Escape(text, true); }

QString UnescapeHtml(const QString &text)
{
    if (!text.contains(QLatin1Char('&')))
        return text;
    static const QRegularExpression ref(
        QStringLiteral("&(?:#([0-9]{1,7})|#[xX]([0-9A-Fa-f]{1,6})|(amp|lt|gt|quot|apos));"));
    QString out;
    qsizetype done = 0;
    auto it = ref.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        QString c;
        if (m.hasCaptured(3)) {
            const QString name = m.captured(3);
            c = name == QLatin1String("amp") ? QStringLiteral("&")
                : name == QLatin1String("lt") ? QStringLiteral("<")
                : name == QLatin1String("gt") ? QStringLiteral(">")
                : name == QLatin1String("quot") ? QStringLiteral("\"")
                                                : QStringLiteral("'");
        } else {
            bool ok = false;
            const uint cp = m.hasCaptured(1) ? m.captured(1).toUInt(&ok) : m.captured(2).toUInt(&ok, 16);
            if (!ok || cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
                continue;
            const char32_t ch = char32_t(cp);
            c = QString::fromUcs4(&ch, 1);
        }
        out += QStringView(text).mid(done, m.capturedStart() - done);
        out += c;
        done = m.capturedEnd();
    }
    out += QStringView(text).mid(done);
    return out;
}

QString PageLanguageTag(const QString &language)
{
    static const QRegularExpression tag(QStringLiteral("^[A-Za-z]{2,8}(-[A-Za-z0-9]{1,8})*$"));
    const QString t = language.trimmed();
    return tag.match(t).hasMatch() ? t : QStringLiteral("en");
}

QString PhoneLogoFooter()
{
    return QStringLiteral("<p class=\"logo\"><a href=\"") + HomePageAddress()
        + QStringLiteral("\"><img src=\"graphics/button.gif\" width=\"88\" height=\"31\" "
                         "alt=\"Made with Wobbin Express\"></a></p>");
}

QString PhoneTitleText(const QString &pageTitle, const BlockList &blocks)
{
    if (!pageTitle.trimmed().isEmpty())
        return pageTitle;
    for (const auto &b : blocks)
        if (b->Kind == bkHeading && b->Heading && !b->Heading->Text.trimmed().isEmpty())
            return b->Heading->Text.trimmed();
    return QStringLiteral("Untitled");
}

QString PhoneStyleElement(const QString &styleRules)
{
    QString rules = styleRules;
    if (!rules.isEmpty() && !rules.endsWith(kCrLf))
        rules += kCrLf;
    return QStringLiteral("<style>") + kCrLf + QLatin1String(kLayoutRules) + rules + QStringLiteral("</style>")
        + kCrLf;
}

QString ReplaceStyleElement(const QString &html, const QString &element)
{
    const QString open = QStringLiteral("<style>");
    const QString close = QStringLiteral("</style>");
    const qsizetype start = html.indexOf(open);
    if (start < 0)
        return html;
    const qsizetype end = html.indexOf(close, start + open.size());
    if (end < 0)
        return html;
    qsizetype after = end + close.size();
    if (html.mid(after, 2) == kCrLf && element.endsWith(kCrLf))
        after += 2;
    return html.left(start) + element + html.mid(after);
}

QString BuildPhonePageHTML(BlockList &blocks, const QString &pageTitle, bool bodyOnly, bool logoOn,
                           const QString &language)
{
    EmitBlocks(blocks);
    QString out;
    if (!bodyOnly) {
        out += QStringLiteral("<!DOCTYPE html>\r\n<html lang=\"") + PageLanguageTag(language)
            + QStringLiteral("\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
                             "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n<title>")
            + EscapeHtmlText(PhoneTitleText(pageTitle, blocks)) + QStringLiteral("</title>\r\n")
            + QStringLiteral("<meta name=\"generator\" content=\"Wobbin Express " WOBBIN_VERSION_TEXT "\">\r\n")
            + PhoneStyleElement(QString()) + QStringLiteral("</head>\r\n<body>\r\n");
    }
    for (const auto &block : blocks)
        if (IsBlockKind(block->Kind))
            out += block->HTML;
    if (!bodyOnly) {
        if (logoOn)
            out += PhoneLogoFooter() + kCrLf;
        out += QStringLiteral("</body>\r\n</html>\r\n");
    }
    return out;
}

QString InsertPhoneLogoFooter(const QString &html)
{
    const qsizetype body = html.indexOf(QStringLiteral("</body>"));
    if (body < 0 || html.contains(PhoneLogoFooter()))
        return html;
    return html.left(body) + PhoneLogoFooter() + kCrLf + html.mid(body);
}

QString RemovePhoneLogoFooter(const QString &html)
{
    const QString footer = PhoneLogoFooter();
    const qsizetype at = html.indexOf(footer);
    if (at < 0)
        return html;
    qsizetype after = at + footer.size();
    if (html.mid(after, 2) == kCrLf)
        after += 2;
    return html.left(at) + html.mid(after);
}

QString ReplacePhoneTitle(const QString &html, const QString &titleText)
{
    return ReplaceBetween(html, QStringLiteral("<title>"), QStringLiteral("</title>"),
                          QStringLiteral("<title>") + EscapeHtmlText(titleText) + QStringLiteral("</title>"));
}

} // namespace wobbin
