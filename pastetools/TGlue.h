#pragma once

#include "IMessageBoxes.h"
#include "TEvent.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace bx::clipstore {
class TClipObj;
}

namespace bx::shell {
class TBrindlexCore;
}

namespace bx::pastetools {

// Glue joins the texts of clips into one new text clip, with the separator of the settings
// (GlueSeparator) between the pieces. With two or more rows selected the Glue command makes the glue
// clip at once from the selected clips, in the order in which the user extended the selection. With
// one row or none it switches auto-glue on: an empty glue clip is added to the shown collection, and
// every text another program puts on the clipboard is appended to it (and the whole glued text goes
// back on the clipboard) instead of becoming a clip of its own, until Glue is clicked again, a command
// ends auto-glue (TBrindlexCore::EndAutoGlue, heard as AutoGlueEnded), or data without text arrives,
// which is then captured as usual.
//
// Texts are UTF-8 (older clips may hold Windows-1252, read as such); pieces are joined as characters,
// and the line break the separator's "\n" makes is LF. With GlueOmitExistingCRLF one trailing line
// break (CR LF, LF or CR) of the text before a separator is dropped, so a piece that ends with a line
// break gets no empty line. The glue clip's only format is TEXT: UTF-8 with a zero after it, as the
// clipboard's text is kept, so the preview, the put-back and find read it as any captured text.
class TGlue {
public:
    static constexpr const char* SoundGlue = "Brindlex5_Glue";
    static constexpr const char* GlueCreator = "Brindlex - Glue";
    static constexpr const char* NothingText = "Sorry, there is nothing to GLUE!   (Only TEXT items may be glued.)";
    static constexpr const char* NothingCaption = "Brindlex GLUE Error";
    static constexpr const char* ReadOnlyText = "Sorry, The current collection is Read Only.";
    static constexpr const char* ReadOnlyCaption = "Brindlex GLUE Error";
    static constexpr const char* OpenFailedText = "Error - Could Not Open Clipboard";
    // The separator holds at most this many characters.
    static constexpr std::size_t SeparatorLimit = 80;

    TGlue(shell::TBrindlexCore& core, platform::IMessageBoxes& boxes);
    ~TGlue();
    TGlue(const TGlue&) = delete;
    TGlue& operator=(const TGlue&) = delete;

    // The separator from its setting: "\n" (or "\N") is a line break (LF), "\t" (or "\T") a Tab, "\\" a
    // backslash, a backslash before any other character a "?" (both characters are used up), a backslash
    // at the very end stays; every other character is copied. At most SeparatorLimit characters.
    static std::string ParseSeparator(std::string_view setting);
    // The text without one line break (CR LF, LF or CR) at its end.
    static std::string WithoutTrailingLineBreak(std::string text);
    // The glue order: downward (top to bottom) when both row indexes are known and the current row is
    // not above the previous one, so the pieces follow the direction the selection was extended in.
    static bool GlueDownward(int prevSelIndex, int curSelIndex);

    // Takes the separator from the settings again (at the start and after the settings changed).
    void ParseGlueSeparator();
    const std::string& GlueSeparatorText() const { return separator_; }

    // The Glue command: glues the selected clips (two or more rows), else switches auto-glue on or off.
    // The row indexes are the list's previous and current selected rows (TClipListSelection).
    void cmdGlueClick(int prevSelIndex, int curSelIndex);
    // With append, the clipboard's text goes onto the glue clip (the core holds the change for it);
    // without, auto-glue ends.
    void AutoGlue(bool append);

    bool AutoGlueOn() const;
    // The clip that auto-glue appends to; nullptr while auto-glue is off.
    clipstore::TClipObj* GlueClip() const { return glueClip_; }
    // The texts appended since auto-glue was switched on.
    int GlueCount() const { return glueCount_; }

    // Auto-glue was switched on or off (the window shows the button's image and the check marks).
    platform::TEvent<> StateChanged;
    // The glue clip's title or text changed (its row, the header and the preview show it again).
    platform::TEvent<clipstore::TClipObj*> ClipChanged;
    // A glue clip was made from the selected clips and put on the clipboard (the preview takes the focus).
    platform::TEvent<clipstore::TClipObj*> Glued;

private:
    void StartAutoGlue();
    void GlueSelected(bool downward);
    // The end of auto-glue, however it came: the glue clip gets its final title.
    void Ended();
    // A new text clip in the shown collection, its row added and selected; nullptr (after the message)
    // when the collection keeps no clips of its own.
    clipstore::TClipObj* AddGlueClip(const std::string& title, const std::string& text);
    // The text before the next piece: without its trailing line break when the settings ask, then the
    // separator; an empty text stays empty.
    std::string BeforeNextPiece(std::string text) const;
    // The clip's text as UTF-8; nullopt when it has none.
    static std::optional<std::string> ClipText(clipstore::TClipObj& clip);
    // The open clipboard's text as UTF-8; nullopt when it holds none.
    std::optional<std::string> ClipboardText() const;
    void UpdateTitle(const std::string& title);
    bool GlueClipListed() const;

    shell::TBrindlexCore& core_;
    platform::IMessageBoxes& boxes_;
    std::string separator_;
    clipstore::TClipObj* glueClip_ = nullptr;
    int glueCount_ = 0;
    platform::TSubscription held_;
    platform::TSubscription ended_;
    platform::TSubscription userMoving_;
    platform::TSubscription shuttingDown_;
    platform::TSubscription rowsReset_;
};

} // namespace bx::pastetools
