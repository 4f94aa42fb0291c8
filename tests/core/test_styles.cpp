// Style library: the file bytes, colour notation, BODY tag building and the
// replacement of the BODY tag in a page text.

#include "styles/StyleLibrary.h"
#include "support/ResultCheck.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace wobbin;

namespace {

QByteArray Hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

QByteArray Int32(std::int32_t v)
{
    QByteArray b(4, '\0');
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        b[i] = char((u >> (8 * i)) & 0xFF);
    return b;
}

QByteArray PStr(const QByteArray &text)
{
    return Int32(std::int32_t(text.size()) - 1) + text;
}

TStyleChunk StarsStyle()
{
    TStyleChunk s;
    s.Name = QStringLiteral("Stars");
    s.Image = QStringLiteral("backgrnd\\Stars.GIF");
    s.BackColour = 0x00000000;
    s.TextColour = 0x00FFFFFF;
    s.LinkColour = 0x00FF0000;
    s.ActiveColour = 0x000000FF;
    s.VisitedColour = 0x00800080;
    return s;
}

} // namespace

class TestStyles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fileBytesOfOneStyle()
    {
        TStyleChunk s;
        s.Name = QStringLiteral("A");
        s.BackColour = 0x00123456;
        s.TextColour = 0x00000000;
        s.LinkColour = 0x80000005;
        s.ActiveColour = clNone;
        s.VisitedColour = 0x00C0C0C0;
        const QByteArray bytes = SerializeStyles({s});
        const QByteArray expected = Hex("01000000")      // one style
            + Hex("00000000 41")                          // "A"
            + Hex("FFFFFFFF")                             // empty image
            + PStr("$00123456") + PStr("clBlack") + PStr("clWindow") + PStr("clNone")
            + PStr("clSilver");
        QCOMPARE(bytes.toHex(' '), expected.toHex(' '));

        StyleLoadStatus status;
        const StyleList back = ParseStyles(bytes, &status);
        QCOMPARE(status, StyleLoadStatus::Complete);
        QCOMPARE(back.size(), 1);
        QCOMPARE(back.at(0), s);
    }

    void emptyLibrary()
    {
        StyleLoadStatus status;
        QVERIFY(ParseStyles(Int32(0), &status).isEmpty());
        QCOMPARE(status, StyleLoadStatus::Complete);
        QCOMPARE(SerializeStyles({}), Int32(0));
        // A negative count holds nothing either.
        QVERIFY(ParseStyles(Int32(-5), &status).isEmpty());
        // A zero-byte file is an empty library, not a crash.
        QVERIFY(ParseStyles(QByteArray(), &status).isEmpty());
        QCOMPARE(StyleListEntries({}), QStringList{QStringLiteral("[None]")});
    }

    void shortAndDamagedFilesKeepWhatWasRead()
    {
        const StyleList two = {StarsStyle(), TStyleChunk{QStringLiteral("Plain"), QString(), 0x00C0C0C0, 0, 0x00FF0000, 0x000000FF, 0x00FF00FF}};
        const QByteArray full = SerializeStyles(two);
        StyleLoadStatus status;

        // Every truncation point yields a prefix of the list, never a crash.
        for (qsizetype cut = 0; cut < full.size(); ++cut) {
            const StyleList got = ParseStyles(full.left(cut), &status);
            QVERIFY(got.size() <= 1);
            if (got.size() == 1)
                QCOMPARE(got.at(0), two.at(0));
            if (cut > 0)
                QCOMPARE(status, StyleLoadStatus::Damaged);
        }

        // A count larger than the records present: the records present.
        QByteArray more = full;
        more.replace(0, 4, Int32(5));
        QCOMPARE(ParseStyles(more, &status), two);
        QCOMPARE(status, StyleLoadStatus::Damaged);

        // A huge count and a huge string length do not allocate or loop.
        QByteArray huge = Int32(0x7FFFFFFF) + Int32(0x7FFFFFF0) + QByteArray("xy");
        QVERIFY(ParseStyles(huge, &status).isEmpty());
        QCOMPARE(status, StyleLoadStatus::Damaged);
    }

    void unknownColourTextEndsTheLibrary()
    {
        StyleList styles = {StarsStyle(), StarsStyle()};
        styles[1].Name = QStringLiteral("Second");
        QByteArray bytes = SerializeStyles(styles);
        // Turn the second style's visited colour ("clPurple") into nonsense.
        const qsizetype at = bytes.lastIndexOf("clPurple");
        QVERIFY(at > bytes.indexOf("Second"));
        bytes.replace(at, 8, "clMauve!");
        StyleLoadStatus status;
        const StyleList got = ParseStyles(bytes, &status);
        QCOMPARE(status, StyleLoadStatus::Damaged);
        QCOMPARE(got.size(), 1);
        QCOMPARE(got.at(0).Name, QStringLiteral("Stars"));
    }

    void colourNotation()
    {
        QCOMPARE(ColourToString(0x00123456), QStringLiteral("$00123456"));
        QCOMPARE(ColourToString(0x00ABCDEF), QStringLiteral("$00ABCDEF"));
        QCOMPARE(ColourToString(0x00FF0000), QStringLiteral("clBlue"));
        QCOMPARE(ColourToString(0x80000000), QStringLiteral("clScrollBar"));
        QCOMPARE(ColourToString(0x8000000F), QStringLiteral("clBtnFace"));
        QCOMPARE(ColourToString(0x80000018), QStringLiteral("clInfoBk"));
        QCOMPARE(ColourToString(0x80000019), QStringLiteral("$80000019"));
        QCOMPARE(ColourToString(clNone), QStringLiteral("clNone"));

        const QStringList systemNames = {
            "clScrollBar", "clBackground", "clActiveCaption", "clInactiveCaption", "clMenu",
            "clWindow", "clWindowFrame", "clMenuText", "clWindowText", "clCaptionText",
            "clActiveBorder", "clInactiveBorder", "clAppWorkSpace", "clHighlight",
            "clHighlightText", "clBtnFace", "clBtnShadow", "clGrayText", "clBtnText",
            "clInactiveCaptionText", "clBtnHighlight", "cl3DDkShadow", "cl3DLight",
            "clInfoText", "clInfoBk"};
        for (int i = 0; i < systemNames.size(); ++i) {
            TColor c = 0;
            QVERIFY(StringToColour(systemNames.at(i), c));
            QCOMPARE(c, TColor(0x80000000u + i));
            QCOMPARE(ColourToString(c), systemNames.at(i));
        }
        const QList<QPair<QString, TColor>> basic = {
            {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000},
            {"clOlive", 0x008080}, {"clNavy", 0x800000}, {"clPurple", 0x800080},
            {"clTeal", 0x808000}, {"clGray", 0x808080}, {"clSilver", 0xC0C0C0},
            {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
            {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},
            {"clWhite", 0xFFFFFF}};
        for (const auto &[name, value] : basic) {
            TColor c = 1;
            QVERIFY(StringToColour(name, c));
            QCOMPARE(c, value);
            QCOMPARE(ColourToString(value), name);
        }

        TColor c = 0;
        QVERIFY(StringToColour(QStringLiteral("CLWHITE"), c));
        QCOMPARE(c, TColor(0x00FFFFFF));
        QVERIFY(StringToColour(QStringLiteral("$00abcdef"), c));
        QCOMPARE(c, TColor(0x00ABCDEF));
        QVERIFY(StringToColour(QStringLiteral("255"), c));
        QCOMPARE(c, TColor(255));
        QVERIFY(StringToColour(QStringLiteral("-16777201"), c));   // a system colour, signed
        QCOMPARE(c, TColor(0xFF00000F));

        c = 42;
        for (const char *bad : {"", "$", "$123456789", "$12G456", "clMauve", "12abc", "99999999999"})
            QVERIFY2(!StringToColour(QString::fromLatin1(bad), c), bad);
        QCOMPARE(c, TColor(42));
    }

    void colourToHtml()
    {
        QCOMPARE(ColourToHTML(0x00123456), QStringLiteral("563412"));
        QCOMPARE(ColourToHTML(0x000000FF), QStringLiteral("FF0000"));
        QCOMPARE(ColourToHTML(0x80000005), QStringLiteral("050000"));
        QCOMPARE(ColourToHTML(0x00ABCDEF), QStringLiteral("EFCDAB"));
    }

    void bodyTagOfAStyle()
    {
        QCOMPARE(BuildBodyWithStyle(StarsStyle()),
                 QStringLiteral("<BODY BACKGROUND=\"backgrnd/stars.gif\" BGCOLOR=\"#000000\" "
                                "TEXT=\"#FFFFFF\" LINK=\"#0000FF\" ALINK=\"#FF0000\" "
                                "VLINK=\"#800080\">\r\n"));
        TStyleChunk noImage = StarsStyle();
        noImage.Image.clear();
        noImage.BackColour = 0x00123456;
        const QString tag = BuildBodyWithStyle(noImage);
        QVERIFY(!tag.contains(QLatin1String("BACKGROUND")));
        QVERIFY(tag.startsWith(QLatin1String("<BODY BGCOLOR=\"#563412\" TEXT=")));
    }

    void replacingTheBodyTag()
    {
        const QString tag = BodyTagForEntry({StarsStyle()}, 1);
        QVERIFY(!tag.contains(QLatin1Char('\n')));
        QVERIFY(tag.endsWith(QLatin1String("VLINK=\"#800080\">")));

        const QString page = QStringLiteral("<HTML>\r\n<BODY>\r\n<P>Hi</P>\r\n</BODY>\r\n</HTML>");
        const QString styled = ReplaceBodyTag(page, tag);
        QCOMPARE(styled, QStringLiteral("<HTML>\r\n") + tag + QStringLiteral("\r\n<P>Hi</P>\r\n</BODY>\r\n</HTML>"));
        // Choosing "[None]" afterwards turns it back into a plain tag.
        QCOMPARE(ReplaceBodyTag(styled, BodyTagForEntry({StarsStyle()}, 0)), page);

        // A tag edited by hand is replaced as a whole; only the first one.
        const QString edited = QStringLiteral("<HTML><BODY bgcolor=\"red\" onload=\"x()\">a<BODY>b");
        QCOMPARE(ReplaceBodyTag(edited, QStringLiteral("<BODY>")), QStringLiteral("<HTML><BODY>a<BODY>b"));
        // The search is case-sensitive; no tag: unchanged.
        QCOMPARE(ReplaceBodyTag(QStringLiteral("<body>x"), tag), QStringLiteral("<body>x"));
        // No closing ">": the tag replaces the rest.
        QCOMPARE(ReplaceBodyTag(QStringLiteral("ab<BODY bgcolor="), QStringLiteral("<BODY>")),
                 QStringLiteral("ab<BODY>"));
        // Only the page's own BODY tag changes: not "<BODY" in the title, a
        // comment, a script, another tag's attribute or the text after it.
        const QString tricky = QStringLiteral(
            "<HTML><HEAD><TITLE>Put <BODY> here</TITLE>\r\n"
            "<!-- old <BODY bgcolor=\"red\"> -->\r\n"
            "<SCRIPT>var s = \"<BODY>\";</SCRIPT>\r\n"
            "<META NAME=\"x\" CONTENT=\"<BODY>\"></HEAD>\r\n"
            "<BODY onload=\"a>b\">\r\n<P>Write <BODY> like this</P></BODY></HTML>");
        QCOMPARE(ReplaceBodyTag(tricky, QStringLiteral("<BODY>")),
                 QStringLiteral("<HTML><HEAD><TITLE>Put <BODY> here</TITLE>\r\n"
                                "<!-- old <BODY bgcolor=\"red\"> -->\r\n"
                                "<SCRIPT>var s = \"<BODY>\";</SCRIPT>\r\n"
                                "<META NAME=\"x\" CONTENT=\"<BODY>\"></HEAD>\r\n"
                                "<BODY>\r\n<P>Write <BODY> like this</P></BODY></HTML>"));
        // A page without a BODY tag keeps "<BODY" of its title as it is.
        QCOMPARE(ReplaceBodyTag(QStringLiteral("<TITLE><BODY></TITLE>x"), tag),
                 QStringLiteral("<TITLE><BODY></TITLE>x"));
        // "<BODYGUARD>" is another tag.
        QCOMPARE(ReplaceBodyTag(QStringLiteral("<BODYGUARD><BODY>"), QStringLiteral("<BODY X>")),
                 QStringLiteral("<BODYGUARD><BODY X>"));
        // Entries outside the list apply nothing.
        QVERIFY(BodyTagForEntry({StarsStyle()}, 2).isEmpty());
        QVERIFY(BodyTagForEntry({StarsStyle()}, -1).isEmpty());
    }

    void entriesAndLookupByName()
    {
        StyleList styles = {StarsStyle(), StarsStyle()};
        styles[1].Name = QStringLiteral("Ocean Breeze");
        const QStringList entries = StyleListEntries(styles);
        QCOMPARE(entries, (QStringList{"[None]", "Stars", "Ocean Breeze"}));
        QCOMPARE(FindStyleEntry(entries, QStringLiteral("ocean BREEZE")), 2);
        QCOMPARE(FindStyleEntry(entries, QStringLiteral("[none]")), 0);
        QCOMPARE(FindStyleEntry(entries, QStringLiteral("Ocean")), -1);
        QCOMPARE(FindStyleEntry(entries, QString()), -1);
    }

    void fileRoundTripAndMissingFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("Styles.data"));
        StyleLoadStatus status;
        QVERIFY(LoadStyles(path, &status).isEmpty());
        QCOMPARE(status, StyleLoadStatus::Missing);

        StyleList styles = {StarsStyle()};
        styles[0].Name = QStringLiteral("Caf\u00e9 \u20ac");   // é is in the code page, € too
        QVERIFY(WriteStyles(path, styles).ok());
        QCOMPARE(LoadStyles(path, &status), styles);
        QCOMPARE(status, StyleLoadStatus::Complete);

        // The file is found, and replaced, whatever the letter case of its name.
        QVERIFY(QFile::rename(path, dir.filePath(QStringLiteral("styles.DATA"))));
        QCOMPARE(LoadStyles(path), styles);
        styles.append(StarsStyle());
        QVERIFY(WriteStyles(path, styles).ok());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("styles.DATA")});
        QCOMPARE(LoadStyles(dir.filePath(QStringLiteral("styles.DATA"))), styles);

        // Writing into a folder that does not exist fails and says so.
        QString error;
        QVERIFY(!testing::Succeeds(WriteStyles(dir.filePath(QStringLiteral("no/such/Styles.data")), styles), &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(LoadStyles(path), styles);
    }
};

QTEST_GUILESS_MAIN(TestStyles)
#include "test_styles.moc"
