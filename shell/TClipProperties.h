#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace bx::clipstore {
class TClipObj;
}

namespace bx::shell {

class TBrindlexCore;

// The clip properties dialog without its window: the values it shows of one clip, the warning while no
// format is offered, and what OK writes back (title, sort key, source address, each format's pasteable
// flag). Run is the command: it needs exactly one selected clip and puts that clip on the clipboard again
// afterwards, so that a changed set of offered formats counts at once.
class TClipProperties {
public:
    static constexpr const char* Caption = "Clip Properties";
    static constexpr const char* WarningText = "Warning - Nothing will be pasted, if you turn off ALL of the formats!";
    static constexpr const char* ChangedText = "Changed or New";
    static constexpr const char* UnchangedText = "Unchanged since read from disk";
    static constexpr const char* OneClipText = "Please select one, and only one clip.";
    static constexpr const char* OneClipCaption = "Program Error";
    static constexpr std::int64_t MaxSortKey = 2100000000;
    static constexpr std::size_t MaxSortKeyDigits = 10;
    static constexpr std::size_t MaxUrlChars = 255;

    struct TFormat {
        std::string Name;
        unsigned Number = 0;
        bool Pasteable = true;
    };

    explicit TClipProperties(clipstore::TClipObj& clip);

    // The fields, as the dialog edits them.
    std::string Title;
    std::string SourceUrl;
    std::string SortKey; // digits
    std::vector<TFormat> Formats;
    // The labels.
    std::string Creator() const;
    std::string Status() const;
    std::string Timestamp() const;
    std::string Serial() const;

    // A click in the format list (a check mark may have changed).
    void FormatsClicked() { formatsClicked_ = true; }
    // While no format is checked.
    bool WarningShown() const;
    // OK: writes what was edited into the clip (and marks it dirty); nothing when nothing was edited.
    void Apply();
    // The sort key as typed, within 0 .. MaxSortKey (no digits: 0).
    static std::int32_t SortKeyOf(const std::string& digits);

    // The command: opens the dialog (dialog answers true for OK) for the one selected clip. False when
    // not exactly one row is selected (after the box). After OK the clip's row shows its new values
    // (refresh) and the selected-item bar its title.
    static bool Run(TBrindlexCore& core, const std::function<bool(TClipProperties&)>& dialog,
                    const std::function<void(const clipstore::TClipObj&)>& refresh);

private:
    clipstore::TClipObj& clip_;
    std::string title_;
    std::string sourceUrl_;
    std::string sortKey_;
    bool formatsClicked_ = false;
};

} // namespace bx::shell
