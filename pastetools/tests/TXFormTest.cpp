// The text transformations on characters: line starts at every kind of line break, whole characters,
// the re-flow rules and the casing of the user's locale.
#include "TXForm.h"
#include "TClipXForm.h"

#include "EBadAlloc.h"

#include <gtest/gtest.h>

#include <ostream>

namespace bx::pastetools {
namespace {

struct XFormCase {
    const char* name;
    TXFormKind kind;
    bool ctrl;
    const char* locale;
    const char16_t* text;
    const char16_t* expected;
};

void PrintTo(const XFormCase& c, std::ostream* os) {
    *os << c.name;
}

class XFormTextTest : public ::testing::TestWithParam<XFormCase> {};

TEST_P(XFormTextTest, TransformsTheText) {
    const XFormCase& c = GetParam();
    const QString got =
        TClipXForm::Transform(QString::fromUtf16(c.text), c.kind, c.ctrl, QLocale(QString::fromLatin1(c.locale)));
    EXPECT_EQ(got, QString::fromUtf16(c.expected)) << got.toStdString();
}

using K = TXFormKind;

INSTANTIATE_TEST_SUITE_P(
    Shifts, XFormTextTest,
    ::testing::Values(
        XFormCase{"LeftDropsBlankAndTabKeepsLetter", K::ShiftLeft, false, "en_US", u" a\r\n\tb\r\nxc", u"a\r\nb\r\nxc"},
        XFormCase{"LeftWithCtrlDropsLetterToo", K::ShiftLeft, true, "en_US", u" a\r\n\tb\r\nxc", u"a\r\nb\r\nc"},
        XFormCase{"LeftAtEveryKindOfBreak", K::ShiftLeft, false, "en_US", u" a\n b\r c\u2028 d", u"a\nb\rc\u2028d"},
        XFormCase{"LeftWithCtrlDropsWholeCharacters", K::ShiftLeft, true, "en_US", u"😀x\ne\u0301y\n\u00e9z",
                  u"x\ny\nz"},
        XFormCase{"LeftKeepsEmptyLines", K::ShiftLeft, true, "en_US", u"\r\n\n\r\u2028", u"\r\n\n\r\u2028"},
        XFormCase{"LeftOfEmptyText", K::ShiftLeft, true, "en_US", u"", u""},
        XFormCase{"RightSkipsEmptyLines", K::ShiftRight, false, "en_US", u"a\r\n\r\nb", u" a\r\n\r\n b"},
        XFormCase{"RightAtEveryKindOfBreak", K::ShiftRight, false, "en_US", u"é\n😀\rc\u2028d", u" é\n 😀\r c\u2028 d"},
        XFormCase{"RightOfOnlyLineBreaks", K::ShiftRight, false, "en_US", u"\n\r\n", u"\n\r\n"}));

INSTANTIATE_TEST_SUITE_P(
    LineBreaks, XFormTextTest,
    ::testing::Values(XFormCase{"ParagraphBreakStays", K::FlowText, false, "en_US", u"one\r\ntwo\r\n\r\nthree",
                                u"one two\r\n\r\nthree"},
                      XFormCase{"CtrlJoinsParagraphs", K::FlowText, true, "en_US", u"one\r\ntwo\r\n\r\nthree",
                                u"one two  three"},
                      XFormCase{"LfAndLineSeparator", K::FlowText, false, "en_US", u"one\ntwo\u2028three\n\nfour\rfive",
                                u"one two three\n\nfour five"},
                      XFormCase{"MixedBreaksMakeAParagraph", K::FlowText, false, "en_US", u"a\r\n\nb", u"a\r\n\nb"},
                      XFormCase{"BlanksAfterFullStopAndLetter", K::FlowText, false, "en_US", u"End.   Next   word",
                                u"End.  Next word"},
                      XFormCase{"BlanksAtLineStartsAndEnds", K::FlowText, false, "en_US", u"  one \n   two\n zwölf",
                                u"one two zwölf"},
                      XFormCase{"NoBlankForABreakAtTheStart", K::FlowText, true, "en_US", u"\n\nab\nc", u"ab c"},
                      XFormCase{"ShortFirstLine", K::FlowText, false, "en_US", u"I\nam", u"I am"},
                      XFormCase{"OnlyLineBreaks", K::FlowText, false, "en_US", u"\r\n\r\n", u"\r\n\r\n"}));

INSTANTIATE_TEST_SUITE_P(
    Cases, XFormTextTest,
    ::testing::Values(
        XFormCase{"MixedWordsWithApostrophesAndHyphens", K::Mixed, false, "en_US", u"JOHN'S car-park",
                  u"John's Car-Park"},
        XFormCase{"MixedKeepsOtherLettersCase", K::Mixed, false, "en_US", u"o'neil's DOG ÉMILE ÀßC",
                  u"O'neil's Dog Émile Àßc"},
        XFormCase{"MixedTypographicApostrophe", K::Mixed, false, "en_US", u"JOHN’S émile", u"John’s Émile"},
        XFormCase{"MixedTurkishDottedCapital", K::Mixed, false, "tr_TR", u"istanbul ISPARTA", u"İstanbul Isparta"},
        XFormCase{"MixedGreek", K::Mixed, false, "el_GR", u"αθήνα", u"Αθήνα"},
        XFormCase{"SentenceAfterEachMark", K::Sentence, false, "en_US", u"a. b! c? d: e", u"A. B! C? D: E"},
        XFormCase{"SentenceLowersTheRest", K::Sentence, false, "en_US", u"HELLO. how are you? fine",
                  u"Hello. How are you? Fine"},
        XFormCase{"SentenceNonAsciiAndDigits", K::Sentence, false, "de_DE", u"1. über alles. élan",
                  u"1. Über alles. Élan"},
        XFormCase{"UpperSharpS", K::Upper, false, "de_DE", u"straße", u"STRASSE"},
        XFormCase{"UpperTurkishI", K::Upper, false, "tr_TR", u"title", u"TİTLE"},
        XFormCase{"LowerTurkishCapitals", K::Lower, false, "tr_TR", u"İSTANBUL", u"istanbul"},
        XFormCase{"LowerGreekFinalSigma", K::Lower, false, "el_GR",
                  u"\u039f\u0394\u039f\u03a3 \u03a3\u039f\u03a6\u039f\u03a3",
                  u"\u03bf\u03b4\u03bf\u03c2 \u03c3\u03bf\u03c6\u03bf\u03c2"},
        XFormCase{"StripChangesNoText", K::StripNonText, true, "en_US", u" Ab\r\n", u" Ab\r\n"}));

TEST(XFormRangeTest, ASelectionNeverSplitsAPairOrALineBreakAndStaysInTheText) {
    const QString text = QString::fromUtf16(u"a😀b\r\nc");
    struct Case {
        TTextRange in, out;
    } cases[] = {
        {{2, 1}, {1, 2}},  // starts inside the pair
        {{0, 2}, {0, 3}},  // ends inside the pair
        {{5, 1}, {4, 2}},  // starts between CR and LF
        {{3, 2}, {3, 3}},  // ends between them
        {{6, 99}, {6, 1}}, // runs past the end
        {{-3, 1}, {0, 1}}, // starts before the text
        {{40, 1}, {7, 0}}, // starts after it
    };
    for (const Case& c : cases) {
        const TTextRange got = TClipXForm::Widened(text, c.in);
        EXPECT_EQ(got, c.out) << c.in.Start << "+" << c.in.Length << " -> " << got.Start << "+" << got.Length;
    }
}

} // namespace
} // namespace bx::pastetools
