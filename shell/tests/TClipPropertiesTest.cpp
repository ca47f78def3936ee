// The clip properties dialog's rules on a running program: what it shows, what OK writes, and the
// pasteable flags honoured by the put-back that follows.
#include "TClipProperties.h"
#include "CoreTestFixture.h"
#include "TClipListModel.h"
#include "TClipView5.h"

namespace bx::shell {
namespace {

using clipstore::TClipObj;
using coretest::TextBytes;
using platform::CF_TEXT;

class ClipPropertiesTest : public coretest::CoreFixture {
protected:
    // A text and an HTML clip captured from the editor, shown and selected.
    TClipObj* CaptureAndSelect(const std::string& before = {}) {
        Start();
        if (!before.empty())
            CopyText(editor, before);
        const platform::UINT html = desk.Clipboard().RegisterClipboardFormat("HTML Format");
        editor.Copy({{CF_TEXT, TextBytes("plain words")}, {html, TextBytes("<b>rich</b>")}});
        Settle();
        clipstore::TClipColl* coll = Coll("Short-Term");
        core->Tree().Select(core->Tree().GetTreeNodeOfColl(coll));
        core->ClipList().SetSelection({0}, 0);
        return core->ClipList().FirstSelected();
    }
    std::vector<platform::UINT> OfferedFormats() {
        platform::IClipboard& cb = desk.Clipboard();
        std::vector<platform::UINT> formats;
        if (!cb.OpenClipboard(editor.Window()))
            return formats;
        for (platform::UINT f = cb.EnumClipboardFormats(0); f != 0; f = cb.EnumClipboardFormats(f))
            if (f != core->ClipView().IgnoreFormat())
                formats.push_back(f);
        cb.CloseClipboard();
        return formats;
    }
};

TEST_F(ClipPropertiesTest, ShowsTheClipAndWritesOnlyWhatWasEdited) {
    TClipObj* clip = CaptureAndSelect();
    ASSERT_NE(clip, nullptr);
    core->SaveAllClips();
    TClipProperties shown(*clip);
    EXPECT_EQ(shown.Title, clip->Title);
    EXPECT_EQ(shown.Status(), TClipProperties::UnchangedText);
    EXPECT_EQ(shown.Serial(), std::to_string(clip->SerialNbr));
    ASSERT_EQ(shown.Formats.size(), 2u);
    EXPECT_EQ(shown.Formats[0].Number, CF_TEXT);
    EXPECT_FALSE(shown.WarningShown());
    shown.Apply();
    EXPECT_FALSE(clip->Dirty) << "OK without an edit changes nothing";

    const struct {
        std::string sortKey;
        std::int32_t stored;
    } keys[] = {{"9999999999", 2100000000}, {"2000000000", 2000000000}, {"", 0}, {"0042", 42}};
    for (const auto& k : keys) {
        SCOPED_TRACE(k.sortKey);
        TClipProperties edit(*clip);
        edit.SortKey = k.sortKey;
        edit.Title = std::string(80, 't');
        edit.SourceUrl = "https://example.org/" + std::string(300, 'u');
        edit.Apply();
        EXPECT_EQ(clip->SortKey, k.stored);
        EXPECT_EQ(clip->Title, std::string(60, 't'));
        EXPECT_EQ(clip->SourceURL.str().size(), TClipProperties::MaxUrlChars);
        EXPECT_TRUE(clip->Dirty);
    }
}

TEST_F(ClipPropertiesTest, ThePasteableFlagsDecideWhatTheNextPutBackOffers) {
    TClipObj* clip = CaptureAndSelect();
    ASSERT_NE(clip, nullptr);
    const platform::UINT html = desk.Clipboard().RegisterClipboardFormat("HTML Format");
    int refreshed = 0;
    const auto untickText = [](TClipProperties& p) {
        p.Formats[0].Pasteable = false;
        p.FormatsClicked();
        return true;
    };
    EXPECT_TRUE(TClipProperties::Run(*core, untickText, [&](const TClipObj&) { ++refreshed; }));
    EXPECT_EQ(refreshed, 1);
    EXPECT_FALSE(clip->GetPasteable(0));
    EXPECT_EQ(OfferedFormats(), (std::vector<platform::UINT>{html}));

    // Cancel changes nothing, but the clip goes on the clipboard again.
    desk.Clipboard().OpenClipboard(editor.Window());
    desk.Clipboard().EmptyClipboard();
    desk.Clipboard().CloseClipboard();
    const auto cancelAfterTicking = [](TClipProperties& p) {
        p.Formats[0].Pasteable = true;
        p.FormatsClicked();
        return false;
    };
    TClipProperties::Run(*core, cancelAfterTicking, nullptr);
    EXPECT_FALSE(clip->GetPasteable(0));
    EXPECT_EQ(OfferedFormats(), (std::vector<platform::UINT>{html}));

    const auto untickAll = [](TClipProperties& p) {
        for (auto& f : p.Formats)
            f.Pasteable = false;
        p.FormatsClicked();
        EXPECT_TRUE(p.WarningShown());
        return true;
    };
    TClipProperties::Run(*core, untickAll, nullptr);
    EXPECT_TRUE(OfferedFormats().empty());
}

TEST_F(ClipPropertiesTest, NeedsExactlyOneSelectedClip) {
    CaptureAndSelect("an earlier clip");
    core->ClipList().SelectAll();
    ASSERT_EQ(core->ClipList().SelectedCount(), 2u);
    bool opened = false;
    EXPECT_FALSE(TClipProperties::Run(
        *core, [&](TClipProperties&) { return opened = true; }, nullptr));
    EXPECT_FALSE(opened);
    ASSERT_FALSE(boxes.Boxes().empty());
    EXPECT_EQ(boxes.Boxes().back().text, TClipProperties::OneClipText);
    EXPECT_EQ(boxes.Boxes().back().caption, TClipProperties::OneClipCaption);
}

} // namespace
} // namespace bx::shell
