// The transformation engine on clips of a running program: the selected part only, the text format
// alone afterwards (picture files removed), the text's own encoding, the title's case.
#include "TClipXForm.h"
#include "TransformTestFixture.h"

#include "EBadAlloc.h"
#include "TDirFiles.h"
#include "TestBytes.h"
#include "TestDib.h"

namespace bx::pastetools {
namespace {

using clipstore::TClipObj;
using platform::CF_BITMAP;
using platform::CF_TEXT;

class ClipXFormTest : public transformtest::TransformFixture {};

TEST_F(ClipXFormTest, ASelectionChangesOnlyItsCharactersAndIsSelectedAfterwards) {
    StartIn();
    // Twenty characters, two of them outside ASCII.
    TClipObj* clip = AddText("abcde fghij klmnö pü", "abcde fghij");
    const auto result = TClipXForm::XForm(*clip, TXFormKind::Upper, {6, 5}, false, QLocale("en_US"));
    EXPECT_TRUE(result.HadText);
    EXPECT_EQ(result.Selected, (TTextRange{6, 5}));
    EXPECT_EQ(Text(*clip), "abcde FGHIJ klmnö pü");
    EXPECT_EQ(clip->Title, "ABCDE FGHIJ") << "the title takes the case";
    // At the end, and the whole text when nothing is selected.
    TClipXForm::XForm(*clip, TXFormKind::Upper, {17, 3}, false, QLocale("en_US"));
    EXPECT_EQ(Text(*clip), "abcde FGHIJ klmnö PÜ");
    const auto whole = TClipXForm::XForm(*clip, TXFormKind::Lower, {3, 0}, false, QLocale("en_US"));
    EXPECT_EQ(whole.Selected, (TTextRange{0, 20}));
    EXPECT_EQ(Text(*clip), "abcde fghij klmnö pü");
}

TEST_F(ClipXFormTest, AClipWithTextBitmapAndRichTextKeepsItsTextAloneAndItsPictureFileGoes) {
    StartIn();
    const platform::UINT rtf = desk.Clipboard().RegisterClipboardFormat("Rich Text Format");
    ASSERT_TRUE(paint.Copy({{CF_TEXT, testsupport::TextBytes("Picture CAPTION")},
                            {CF_BITMAP, testsupport::SeededDib(1)},
                            {rtf, testsupport::TextBytes("{\\rtf1 Picture}")}}));
    Settle();
    TClipObj* clip = coll->Clip(0);
    ASSERT_NE(clip, nullptr);
    ASSERT_TRUE(clip->HasFormat(CF_BITMAP));
    ASSERT_GE(clip->FormatCount(), 2);
    core->SaveAllClips();
    const std::string picture = clipstore::TClipData::PictureName(clip->SerialNbr, ".bmp");
    ASSERT_TRUE(clipstore::TDirFiles::Exists(coll->GetPath(), picture));

    TClipXForm::XForm(*clip, TXFormKind::Lower, {}, false, QLocale("en_US"));
    EXPECT_EQ(clip->FormatCount(), 1);
    EXPECT_TRUE(clip->HasFormat(CF_TEXT));
    EXPECT_FALSE(clip->HasFormat(CF_BITMAP));
    EXPECT_FALSE(clip->HasFormat(rtf));
    EXPECT_EQ(clip->IconIndex(), 0) << "a text clip";
    EXPECT_EQ(Text(*clip), "picture caption");
    EXPECT_FALSE(clipstore::TDirFiles::Exists(coll->GetPath(), picture));
    // Saved and read again, the clip is still text alone.
    core->SaveAllClips();
    clip->UnLoad();
    EXPECT_EQ(clip->FormatCount(), 1);
    EXPECT_EQ(Text(*clip), "picture caption");
}

TEST_F(ClipXFormTest, TheTextKeepsItsEncodingWhileTheResultFitsIt) {
    StartIn();
    struct Case {
        const char* name;
        std::string stored;
        TXFormKind kind;
        std::string expected;
    } cases[] = {
        // Windows-1252 (not UTF-8): "Straße café" upper case fits it.
        {"Windows-1252 stays",
         "Stra\xdf"
         "e caf\xe9",
         TXFormKind::Upper, "STRASSE CAF\xc9"},
        {"UTF-8 stays",
         "stra\xc3\x9f"
         "e",
         TXFormKind::Upper, "STRASSE"},
        // "ÿ" upper case is "Ÿ", which Windows-1252 has (0x9F); that of the micro sign is the Greek capital
        // mu, which it has not: the text goes UTF-8.
        {"Windows-1252 outside Latin-1", "\xff", TXFormKind::Upper, "\x9f"},
        {"Windows-1252 to UTF-8", "\xb5", TXFormKind::Upper, "\xce\x9c"},
        {"unchanged bytes", "a\r\nb", TXFormKind::StripNonText, "a\r\nb"},
    };
    for (const Case& c : cases) {
        TClipObj* clip = AddText(c.stored, "t");
        TClipXForm::XForm(*clip, c.kind, {}, false, QLocale("de_DE"));
        EXPECT_EQ(Text(*clip), c.expected) << c.name;
    }
}

TEST_F(ClipXFormTest, AClipWithoutTextIsLeftAsItIsAndAnEmptyTextStaysEmpty) {
    StartIn();
    TClipObj* empty = AddText("", "empty");
    const auto none = TClipXForm::XForm(*empty, TXFormKind::ShiftRight, {2, 3}, false, QLocale());
    EXPECT_TRUE(none.HadText);
    EXPECT_EQ(none.Selected, (TTextRange{0, 0}));
    EXPECT_EQ(Text(*empty), "");

    ASSERT_TRUE(paint.Copy({{CF_BITMAP, testsupport::SeededDib(2)}}));
    Settle();
    TClipObj* clip = coll->Clip(0);
    ASSERT_NE(clip, nullptr);
    const int formats = clip->FormatCount();
    const auto result = TClipXForm::XForm(*clip, TXFormKind::StripNonText, {}, false, QLocale());
    EXPECT_FALSE(result.HadText);
    EXPECT_EQ(clip->FormatCount(), formats);
    EXPECT_TRUE(clip->HasFormat(CF_BITMAP));
}

} // namespace
} // namespace bx::pastetools
