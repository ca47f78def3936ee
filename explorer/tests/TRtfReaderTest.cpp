// Rich text into a text document: the documents common word processors write, code pages, tables, and
// broken or hostile input.
#include "TRtfReader.h"

#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QTextFragment>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <string_view>
#include <vector>

using namespace bx::explorer;

namespace {

std::span<const std::uint8_t> AsBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The document's text with paragraphs ended by '\n' (no-break spaces and line separators stay).
QString RawText(const QTextDocument& document) {
    return document.toRawText().replace(QChar::ParagraphSeparator, u'\n');
}

QString PlainText(std::string_view rtf) {
    QTextDocument document;
    EXPECT_TRUE(TRtfReader::Read(AsBytes(rtf), document));
    return RawText(document);
}

// The character format of the first fragment that contains the text.
std::optional<QTextCharFormat> FormatOf(const QTextDocument& document, const QString& text) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (it.fragment().text().contains(text))
                return it.fragment().charFormat();
    return std::nullopt;
}

// What a plain word-processing accessory writes: a short header, one font per character set.
constexpr std::string_view WordPadLike =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\\deflang1033{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}"
    "{\\f1\\fnil\\fcharset238 Calibri;}{\\f2\\fnil\\fcharset2 Symbol;}}\r\n"
    "{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green77\\blue187;}\r\n"
    "{\\*\\generator Riched20 10.0.19041}\\viewkind4\\uc1 \r\n"
    "\\pard\\sa200\\sl276\\slmult1\\f0\\fs22\\lang9 Hello \\b bold\\b0 , \\i italic\\i0 , \\ul under\\ulnone .\\par\r\n"
    "\\cf1 Red\\cf0  caf\\'e9 \\f1\\fs28 \\'9alj\\'e1\\f0\\fs22\\par\r\n"
    "\\pard{\\pntext\\f2\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf2\\pnindent0{\\pntxtb\\'B7}}\\fi-360\\li720 Item\\par\r\n"
    "\\pard\\qc\\highlight2 Centered\\highlight0\\par\r\n"
    "}\r\n";

// What an office suite writes: style sheet, document information, page styles, Unicode with fallbacks.
constexpr std::string_view WriterLike =
    "{\\rtf1\\ansi\\deff4\\adeflang1025\n"
    "{\\fonttbl{\\f0\\froman\\fprq2\\fcharset0 Times New Roman;}{\\f1\\froman\\fprq2\\fcharset2 Symbol;}"
    "{\\f2\\fswiss\\fprq2\\fcharset0 Arial;}{\\f3\\froman\\fprq2\\fcharset0 Liberation Serif{\\*\\falt Times New "
    "Roman};}{\\f4\\fswiss\\fprq2\\fcharset0 Liberation Sans{\\*\\falt Arial};}}\n"
    "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red255\\green255\\blue0;}\n"
    "{\\stylesheet{\\s0\\snext0\\hich\\af6\\dbch\\af7\\langfe2052\\loch\\f3\\fs24\\lang1033 Normal;}\n"
    "{\\s15\\sbasedon0\\snext16\\ql\\sb240\\sa120\\keepn\\loch\\f4\\fs28 Heading;}}\n"
    "{\\*\\generator Office/7.4$Linux_X86_64}{\\info{\\author Someone}{\\creatim\\yr2024\\mo3\\dy1\\hr10\\min5}"
    "{\\revtim\\yr2024\\mo3\\dy1\\hr10\\min6}}{\\*\\userprops}\\deftab709\n"
    "\\hyphauto1\\viewscale100\n"
    "{\\*\\pgdsctbl\n"
    "{\\pgdsc0\\pgdscuse451\\pgwsxn11906\\pghsxn16838\\pgdscnxt0 Default Page Style;}}\n"
    "\\formshade\\paperh16838\\paperw11906\\sectd\\sbknone\\pgndecimal\\sftnnar\n"
    "{\\*\\ftnsep\\chftnsep}\\pgndec{\\header\\pard\\plain Page header\\par}\\pard\\plain \\s0\\hich\\af6\\dbch\\af7"
    "\\langfe2052\\loch\\f3\\hich\\af3\\fs24\\lang1033{\\rtlch \\ltrch\\loch\n"
    "Plain }{\\b\\ab\\rtlch \\ltrch\\loch\n"
    "Bold}{\\rtlch \\ltrch\\loch\n"
    " \\u8222\\'84Quote\\u8220\\'93 }{\\cf2\\i\\ai\\rtlch \\ltrch\\loch\\fs32\n"
    "Blue}\n"
    "\\par \\pard\\plain \\s0\\qr\\loch\\f4\\fs24{\\highlight3\\loch Marked}{\\strike\\loch  gone}"
    "{\\super 2}\\line next\\tab col\\par }";

// What a full word processor writes: themes, latent styles, revision ids, a Cyrillic code page, a field,
// a picture, and a two-row table.
constexpr std::string_view WordLike =
    "{\\rtf1\\adeflang1025\\ansi\\ansicpg1251\\uc1\\adeff0\\deff0\\stshfdbch0\\stshfloch31506\\stshfhich31506"
    "\\stshfbi31506\\deflang1049\\deflangfe1049\\themelang1049\\themelangfe0\\themelangcs0{\\fonttbl{\\f0\\fbidi "
    "\\froman\\fcharset204\\fprq2{\\*\\panose 02020603050405020304}Times New Roman;}{\\f1\\fbidi "
    "\\fswiss\\fcharset204\\fprq2{\\*\\panose 020b0604020202020204}Arial;}\r\n"
    "{\\f39\\fbidi \\fswiss\\fcharset0\\fprq2 Calibri;}{\\flomajor\\f31500\\fbidi \\froman\\fcharset204\\fprq2 "
    "Times New Roman;}}\r\n"
    "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green255\\blue255;\\red0\\green255\\blue0;"
    "\\red255\\green0\\blue255;\\red255\\green0\\blue0;\\red255\\green255\\blue0;\\red255\\green255\\blue255;}\r\n"
    "{\\*\\defchp \\f31506\\fs22\\lang1049\\langfe1033\\langfenp1033 }{\\*\\defpap \\ql \\li0\\ri0\\sa200\\sl276"
    "\\slmult1\\widctlpar\\wrapdefault\\aspalpha\\aspnum\\faauto\\adjustright\\rin0\\lin0\\itap0 }\r\n"
    "{\\stylesheet{\\ql \\li0\\ri0\\sa200\\sl276\\slmult1\\widctlpar\\wrapdefault\\rin0\\lin0\\itap0 \\rtlch\\fcs1 "
    "\\af0\\afs22\\alang1025 \\ltrch\\fcs0 \\f31506\\fs22\\lang1049\\langfe1033\\cgrid\\langnp1049\\langfenp1033 "
    "\\snext0 \\sqformat \\spriority0 Normal;}{\\*\\cs10 \\additive \\ssemihidden Default Paragraph Font;}}\r\n"
    "{\\*\\rsidtbl \\rsid1\\rsid2}{\\mmathPr\\mmathFont34\\mbrkBin0}{\\info{\\author User}{\\operator User}"
    "{\\creatim\\yr2024\\mo1\\dy2\\hr3\\min4}{\\version2}}\r\n"
    "{\\*\\xmlnstbl {\\xmlns1 http://schemas.example.com/wordml}}\\paperw11906\\paperh16838\\margl1701\\margr850"
    "\\gutter0\\ltrsect \r\n"
    "\\widowctrl\\ftnbj\\sectd \\ltrsect\\linex0\\headery708\\footery708\\sftnbj {\\*\\pnseclvl1\\pnucrm\\pnstart1"
    "\\pnindent720\\pnhang {\\pntxta .}}\r\n"
    "\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\sa200\\sl276\\slmult1\\widctlpar\\wrapdefault\\rin0\\lin0\\itap0 "
    "\\rtlch\\fcs1 \\af0\\afs22\\alang1025 \\ltrch\\fcs0 \\f31506\\fs22\\lang1049\\langfe1033\\cgrid\\langnp1049 "
    "{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\insrsid1 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2, }{\\rtlch\\fcs1 \\af0 "
    "\\ltrch\\fcs0 \\b\\insrsid1 \\'ec\\'e8\\'f0}{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\insrsid1  \\u8364\\'88 "
    "{\\field{\\*\\fldinst {\\insrsid1 HYPERLINK \"http://example.com/\" }}{\\fldrslt {\\cf2\\ul\\insrsid1 "
    "link}}}\\par }\r\n"
    "{\\*\\shppict{\\pict{\\*\\picprop}\\wmetafile8\\picw10\\pich10 010009000003}}{\\nonshppict{\\pict\\wmetafile8 "
    "0100}}\r\n"
    "\\trowd \\irow0\\irowband0\\ltrrow\\ts11\\trgaph108\\trleft-108\\trbrdrt\\brdrs\\brdrw10 \\trftsWidth1"
    "\\trautofit1\\tblind0\\tblindtype3 \\clvertalt\\clbrdrt\\brdrs\\brdrw10 \\cltxlrtb\\clftsWidth3\\clwWidth4785"
    "\\clshdrawnil \\cellx4677\\clvertalt\\cltxlrtb\\clftsWidth3\\clwWidth4786\\clshdrawnil \\cellx9463\\pard\\plain "
    "\\ltrpar\\ql \\li0\\ri0\\widctlpar\\intbl\\wrapdefault\\rin0\\lin0 {\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 "
    "\\lang1033\\insrsid1 Name}{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\insrsid1 \\cell }{\\rtlch\\fcs1 \\af0 "
    "\\ltrch\\fcs0 \\lang1033\\insrsid1 Qty}{\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 \\insrsid1 \\cell }\\pard\\plain "
    "\\ltrpar\\ql \\li0\\ri0\\sa200\\widctlpar\\intbl\\wrapdefault\\rin0\\lin0 {\\rtlch\\fcs1 \\af0 \\ltrch\\fcs0 "
    "\\insrsid1 \\trowd \\irow0\\irowband0\\ltrrow\\cellx4677\\cellx9463\\row }\\pard\\plain \\ltrpar\\ql "
    "\\widctlpar\\intbl\\wrapdefault {\\insrsid1 Apple\\cell 3\\cell }\\pard\\plain \\intbl {\\insrsid1 \\trowd "
    "\\irow1\\irowband1\\lastrow \\cellx4677\\cellx9463\\row }\\pard\\plain \\ltrpar\\ql \\li0\\ri0\\sa200 "
    "{\\insrsid1 \\par }\r\n"
    "{\\*\\themedata 504b030414000600080000002100e9de0fbfff0000001c020000130000005b436f6e74656e745f}\r\n"
    "{\\*\\colorschememapping 3c3f786d6c2076657273696f6e3d22312e30}\r\n"
    "{\\*\\latentstyles\\lsdstimax376\\lsdlockeddef0{\\lsdlockedexcept \\lsdqformat1 \\lsdpriority0 Normal;}}\r\n"
    "{\\*\\datastore 0105000002000000}}\r\n";

} // namespace

TEST(TRtfReaderTest, WordPadLikeDocument) {
    QTextDocument document;
    ASSERT_TRUE(TRtfReader::Read(AsBytes(WordPadLike), document));
    EXPECT_EQ(RawText(document),
              QString::fromUtf8("Hello bold, italic, under.\nRed caf\u00e9 \u0161lj\u00e1\n\u00b7\tItem\nCentered\n"));

    const auto bold = FormatOf(document, "bold");
    ASSERT_TRUE(bold);
    EXPECT_EQ(bold->fontWeight(), QFont::Bold);
    EXPECT_FALSE(bold->fontItalic());
    EXPECT_EQ(bold->fontPointSize(), 11.0);
    EXPECT_EQ(bold->fontFamilies().toStringList(), QStringList{"Calibri"});
    EXPECT_TRUE(FormatOf(document, "italic")->fontItalic());
    EXPECT_EQ(FormatOf(document, "italic")->fontWeight(), QFont::Normal);
    EXPECT_TRUE(FormatOf(document, "under")->fontUnderline());
    EXPECT_FALSE(FormatOf(document, ".")->fontUnderline());
    EXPECT_EQ(FormatOf(document, "Red")->foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(FormatOf(document, QString::fromUtf8("\u0161lj"))->fontPointSize(), 14.0);
    EXPECT_EQ(FormatOf(document, "Centered")->background().color(), QColor(0, 77, 187));
    // "caf\u00e9" uses the automatic colour: no foreground brush is set.
    EXPECT_FALSE(FormatOf(document, "caf")->hasProperty(QTextFormat::ForegroundBrush));

    const QTextBlock centered = document.findBlockByNumber(3);
    EXPECT_EQ(centered.text(), "Centered");
    EXPECT_EQ(centered.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    const QTextBlock item = document.findBlockByNumber(2);
    EXPECT_DOUBLE_EQ(item.blockFormat().leftMargin(), 48.0);
    EXPECT_DOUBLE_EQ(item.blockFormat().textIndent(), -24.0);
    EXPECT_DOUBLE_EQ(document.findBlockByNumber(0).blockFormat().bottomMargin(), 200 / 15.0);
    EXPECT_DOUBLE_EQ(item.blockFormat().bottomMargin(), 0.0); // \pard resets the spacing
}

TEST(TRtfReaderTest, WriterLikeDocument) {
    QTextDocument document;
    ASSERT_TRUE(TRtfReader::Read(AsBytes(WriterLike), document));
    EXPECT_EQ(RawText(document), QString::fromUtf8("Plain Bold \u201eQuote\u201c Blue\nMarked gone2\u2028next\tcol\n"));

    EXPECT_EQ(FormatOf(document, "Plain")->fontFamilies().toStringList(), QStringList{"Liberation Serif"});
    EXPECT_EQ(FormatOf(document, "Bold")->fontWeight(), QFont::Bold);
    const auto blue = FormatOf(document, "Blue");
    EXPECT_TRUE(blue->fontItalic());
    EXPECT_EQ(blue->fontPointSize(), 16.0);
    EXPECT_EQ(blue->foreground().color(), QColor(0, 0, 255));
    const auto marked = FormatOf(document, "Marked");
    EXPECT_EQ(marked->background().color(), QColor(255, 255, 0));
    EXPECT_EQ(marked->fontFamilies().toStringList(), QStringList{"Liberation Sans"});
    EXPECT_TRUE(FormatOf(document, "gone")->fontStrikeOut());
    EXPECT_EQ(FormatOf(document, "2")->verticalAlignment(), QTextCharFormat::AlignSuperScript);
    EXPECT_EQ(document.findBlockByNumber(1).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
}

TEST(TRtfReaderTest, WordLikeDocumentWithTable) {
    QTextDocument document;
    ASSERT_TRUE(TRtfReader::Read(AsBytes(WordLike), document));
    EXPECT_EQ(RawText(document),
              QString::fromUtf8("\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440 \u20ac link\n"
                                "Name\tQty\nApple\t3\n\n"));
    EXPECT_EQ(FormatOf(document, QString::fromUtf8("\u043c\u0438\u0440"))->fontWeight(), QFont::Bold);
    const auto link = FormatOf(document, "link");
    EXPECT_TRUE(link->fontUnderline());
    EXPECT_EQ(link->foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(link->fontPointSize(), 11.0);
}

TEST(TRtfReaderTest, CodePageEscapes) {
    struct Case {
        std::string_view header; // code page words before the font table
        std::string_view font;   // the font's own declarations
        std::string_view escapes;
        const char* expected;
    };
    const Case cases[] = {
        {"\\ansi\\ansicpg1252", "", "\\'80\\'e9\\'9f", "\u20ac\u00e9\u0178"},
        {"\\ansi\\ansicpg1250", "", "\\'8a\\'e8\\'f8", "\u0160\u010d\u0159"},
        {"\\ansi\\ansicpg1251", "", "\\'c0\\'e1\\'b8", "\u0410\u0431\u0451"},
        {"\\ansi\\ansicpg1253", "", "\\'c1\\'e2\\'e3", "\u0391\u03b2\u03b3"},
        {"\\ansi\\ansicpg1254", "", "\\'de\\'f0\\'fd", "\u015e\u011f\u0131"},
        {"\\ansi\\ansicpg1257", "", "\\'c0\\'e0\\'fe", "\u0104\u0105\u017e"},
        {"\\pc", "", "\\'81\\'b0\\'e1", "\u00fc\u2591\u00df"},
        {"\\pca", "", "\\'81\\'d5\\'e1", "\u00fc\u0131\u00df"},
        {"\\ansi\\ansicpg65001", "", "\\'c3\\'a9\\'e2\\'82\\'ac", "\u00e9\u20ac"},
        // The font's character set wins over the document's code page.
        {"\\ansi\\ansicpg1252", "\\fcharset204", "\\'c0", "\u0410"},
        {"\\ansi\\ansicpg1252", "\\fcharset238", "\\'8a", "\u0160"},
        {"\\ansi\\ansicpg1251", "\\fcharset0", "\\'c0", "\u00c0"},
        {"\\ansi\\ansicpg1252", "\\cpg1253", "\\'c1", "\u0391"},
        // Undefined bytes become the replacement character, never control characters.
        {"\\ansi\\ansicpg1252", "", "\\'81", "\ufffd"},
    };
    for (const Case& c : cases) {
        const std::string rtf = "{\\rtf1" + std::string(c.header) + "\\deff0{\\fonttbl{\\f0" + std::string(c.font) +
                                " Face;}}\\f0 " + std::string(c.escapes) + "}";
        EXPECT_EQ(PlainText(rtf), QString::fromUtf8(c.expected)) << rtf;
    }
}

TEST(TRtfReaderTest, UnicodeEscapesAndTheirFallbacks) {
    const struct {
        std::string_view rtf;
        const char* expected;
    } cases[] = {
        {"{\\rtf1 a\\u946?b}", "a\u03b2b"},
        {"{\\rtf1 \\uc2\\u946??x}", "\u03b2x"},
        {"{\\rtf1 \\uc0\\u946 x}", "\u03b2x"},
        {"{\\rtf1 \\u-10179\\'3f\\u-8704\\'3f!}", "\U0001F600!"},
        {"{\\rtf1 \\uc1 {\\uc3\\u946 abc} d\\u947 ef}", "\u03b2 d\u03b3f"},
        // A group end stops the skipping.
        {"{\\rtf1 \\uc3{\\u946 a}bc}", "\u03b2bc"},
        {"{\\rtf1 \\u946\\'e9x}", "\u03b2x"},
        {"{\\rtf1 \\u946\\par x}", "\u03b2x"},
        {"{\\rtf1 a\\u0?b\\u7?c\\u65535?d\\u99999999999?e}", "abcde"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlainText(c.rtf), QString::fromUtf8(c.expected)) << c.rtf;
}

TEST(TRtfReaderTest, ControlWordsAndSkippedGroupsNeverShowAsText) {
    const struct {
        std::string_view rtf;
        const char* expected;
    } cases[] = {
        {"{\\rtf1 a\\foo123 b\\bar-7c}", "abc"},
        {"{\\rtf1 a{\\*\\unknown hidden {nested}}b}", "ab"},
        {"{\\rtf1 a{\\footnote note}b{\\header h}{\\footerr f}c}", "abc"},
        {"{\\rtf1 a{\\pict\\pngblip 89504e47}b{\\object{\\*\\objdata 0102}{\\result shown}}}", "abshown"},
        {"{\\rtf1 a\\{b\\}c\\\\d\\~e\\-f\\_g}", "a{b}c\\d\u00a0ef\u2011g"},
        {"{\\rtf1 a{\\v hidden}b\\v c\\v0 d}", "abd"},
        {"{\\rtf1 \\emdash\\endash\\lquote\\rquote\\ldblquote\\rdblquote\\bullet}",
         "\u2014\u2013\u2018\u2019\u201c\u201d\u2022"},
        {"{\\rtf1 line\r\nend\\\nnext}", "lineend\nnext"},
        {"{\\rtf1 a\\bin4 {}\\\\b}", "ab"},
        {"{\\rtf1 text} after the document", "text"},
        {"  \r\n{\\rtf1 x}", "x"},
        {"{\\rtf1\\ansi{\\fonttbl\\f0\\fswiss Helvetica;\\f1 Courier;}\\f1 mac}", "mac"},
        // A tab in a table's first cell is kept; empty cells still separate.
        {"{\\rtf1 \\trowd\\cellx100\\cellx200\\cellx300\\pard\\intbl \\cell b\\cell\\cell\\row after}", "\tb\nafter"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlainText(c.rtf), QString::fromUtf8(c.expected)) << c.rtf;
}

TEST(TRtfReaderTest, RejectsWhatIsNoRichText) {
    QTextDocument document;
    document.setPlainText("old");
    EXPECT_FALSE(TRtfReader::Read(AsBytes("plain text"), document));
    EXPECT_TRUE(document.isEmpty());
    EXPECT_FALSE(TRtfReader::Read(AsBytes(""), document));
    EXPECT_FALSE(TRtfReader::Read(AsBytes("{\\rt"), document));
}

TEST(TRtfReaderTest, HostileInputIsBounded) {
    // Deep nesting: the groups beyond the limit are left out, the text around them stays.
    std::string deep = "{\\rtf1 a";
    deep += std::string(100000, '{') + "deep" + std::string(100000, '}');
    deep += "b}";
    EXPECT_EQ(PlainText(deep), "ab");
    std::string unclosed = "{\\rtf1 a" + std::string(100000, '{') + "\\{x";
    EXPECT_EQ(PlainText(unclosed), "a");

    // Huge numbers are capped, a binary run cannot reach past the end, and cut-off input shows what came.
    const std::string_view cases[] = {
        "{\\rtf1 \\fs999999999999999999999 a\\f99999999999 b\\cf4294967297 c\\uc99999999 \\u946 d}",
        "{\\rtf1 x\\bin999999999999",
        "{\\rtf1 x\\bin-5 y}",
        "{\\rtf1 x\\'",
        "{\\rtf1 x\\'4",
        "{\\rtf1 x\\",
        "{\\rtf1{\\fonttbl{\\f0 Cut",
        "{\\rtf1{\\colortbl;\\red300\\green-1\\blue99999999999;}\\cf1 x}",
        "{\\rtf1 \\li99999999999\\fi-99999999999 x}",
    };
    for (std::string_view rtf : cases) {
        QTextDocument document;
        EXPECT_TRUE(TRtfReader::Read(AsBytes(rtf), document)) << rtf;
        EXPECT_LE(document.characterCount(), 16) << rtf;
    }
    QTextDocument document;
    TRtfReader::Read(AsBytes(cases[0]), document);
    EXPECT_EQ(RawText(document), QString::fromUtf8("abc\u03b2")); // the skip count runs to the group's end
    EXPECT_EQ(FormatOf(document, "a")->fontPointSize(), 1638.0);
    TRtfReader::Read(AsBytes("{\\rtf1{\\colortbl;\\red300\\green-1\\blue99999999999;}\\cf1 x}"), document);
    EXPECT_EQ(FormatOf(document, "x")->foreground().color(), QColor(255, 0, 255));

    // Many fonts and colours: the tables stop growing, the text still comes through.
    std::string tables = "{\\rtf1{\\fonttbl";
    for (int i = 0; i < 20000; ++i)
        tables += "{\\f" + std::to_string(i) + " F;}";
    tables += "}{\\colortbl;";
    for (int i = 0; i < 20000; ++i)
        tables += "\\red1;";
    tables += "}\\f19999\\cf19999 end}";
    EXPECT_EQ(PlainText(tables), "end");

    // The text stops at the character limit.
    const std::string huge = "{\\rtf1 " + std::string(TRtfReader::MaxCharacters + 100, 'a') + "\\par more}";
    TRtfReader::Read(AsBytes(huge), document);
    EXPECT_EQ(document.characterCount(), TRtfReader::MaxCharacters + 1); // with the closing paragraph mark
}

// Random damage to a realistic document never crashes the reader; the result stays within the limits.
TEST(TRtfReaderTest, SurvivesMutatedDocuments) {
    const std::string_view tokens[] = {"{",
                                       "}",
                                       "\\",
                                       "\\'",
                                       "\\'f",
                                       "\\bin",
                                       "\\bin99999 ",
                                       "\\u-1",
                                       "\\uc9",
                                       "\\*",
                                       "{\\*\\x ",
                                       "\\fonttbl",
                                       "\\colortbl",
                                       "\\f",
                                       "\\fs",
                                       "\\cf9999",
                                       "\\par",
                                       "\\cell",
                                       "\\row",
                                       "\\u65",
                                       "\\ansicpg932",
                                       "\\ansicpg65001",
                                       "\\'82\\'",
                                       "-",
                                       "9999999999999",
                                       ";",
                                       "\r\n",
                                       std::string_view("\0", 1)};
    const std::string_view fixtures[] = {WordPadLike, WriterLike, WordLike};
    std::mt19937 random(20240311);
    const auto start = std::chrono::steady_clock::now();
    int cases = 0;
    for (; cases < 3000; ++cases) {
        std::string rtf(fixtures[static_cast<std::size_t>(cases) % std::size(fixtures)]);
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits && !rtf.empty(); ++e) {
            const std::size_t at = random() % rtf.size();
            switch (random() % 5) {
            case 0:
                rtf[at] = static_cast<char>(random() % 256);
                break;
            case 1:
                rtf.erase(at, 1 + random() % 16);
                break;
            case 2:
                rtf.insert(at, tokens[random() % std::size(tokens)]);
                break;
            case 3:
                rtf.resize(at);
                break;
            case 4:
                rtf.insert(at, rtf.substr(random() % rtf.size(), random() % 64));
                break;
            }
        }
        if (rtf.size() < 5 || rtf.compare(0, 5, "{\\rtf") != 0)
            rtf.insert(0, "{\\rtf1");
        QTextDocument document;
        ASSERT_TRUE(TRtfReader::Read(AsBytes(rtf), document));
        ASSERT_LE(document.characterCount(), static_cast<int>(rtf.size()) + 2);
    }
    EXPECT_EQ(cases, 3000);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
}

TEST(TRtfReaderTest, MultiByteCodePages) {
    if (!QStringDecoder("Shift_JIS").isValid())
        GTEST_SKIP() << "this Qt has no Shift JIS converter";
    // A trail byte may be written as a plain letter after an escaped lead byte.
    EXPECT_EQ(PlainText("{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset128 Mincho;}{\\f1 Arial;}}"
                        "\\f0 \\'82\\'a0\\'83e\\f1 \\'e9}"),
              QString::fromUtf8("\u3042\u30c6\u00e9"));
}
