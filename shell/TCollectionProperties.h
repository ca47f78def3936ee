#pragma once

#include <cstdint>
#include <string>

namespace bx::clipstore {
class TClipColl;
class TMasterList;
} // namespace bx::clipstore

namespace bx::platform {
class IMessageBoxes;
}

namespace bx::shell {

// The collection properties dialog without its window: the values it shows, the rules between its
// controls, the check of OK and writing the values back (renaming the directory with the title). The
// window binds its controls to it; any change through a setter marks the dialog modified.
class TCollectionProperties {
public:
    // The icons of the three retention choices (by number, by age, safe); a standard icon is 12 or lower.
    static constexpr std::int32_t RetentionIcons[3] = {10, 12, 11};
    static constexpr std::int32_t LastStandardIcon = 12;

    TCollectionProperties(clipstore::TClipColl& coll, const clipstore::TMasterList& master,
                          platform::IMessageBoxes& boxes);

    clipstore::TClipColl& Coll() const { return coll_; }
    // What the dialog shows beside its controls.
    std::size_t ItemCount() const;
    std::string StatusText() const;
    std::string DataDirectory() const;

    // The controls' values.
    const std::string& Title() const { return title_; }
    bool Favorite() const { return favorite_; }
    bool AcceptNewClips() const { return accept_; }
    bool AllowDuplicates() const { return allowDuplicates_; }
    // Enabled only while new clips are accepted.
    bool AllowDuplicatesEnabled() const { return accept_; }
    std::uint8_t Retention() const { return retention_; }
    const std::string& MaxItems() const { return maxItems_; }
    const std::string& MaxDays() const { return maxDays_; }
    bool MaxItemsEnabled() const { return retention_ == 0; }
    bool MaxDaysEnabled() const { return retention_ == 1; }
    std::int32_t ImageIndex() const { return image_; }
    const std::string& SortKey() const { return sortKey_; }
    bool Modified() const { return modified_; }

    void SetTitle(const std::string& title);
    void SetFavorite(bool on);
    void SetAcceptNewClips(bool on);
    void SetAllowDuplicates(bool on);
    // A retention choice; while the icon is a standard one it becomes the choice's icon.
    void ChooseRetention(std::uint8_t retention);
    void SetMaxItems(const std::string& text);
    void SetMaxDays(const std::string& text);
    void SetImageIndex(std::int32_t image);
    void SetSortKey(const std::string& text);

    // OK was pressed: false (with the error box) when another collection has the title, ignoring
    // case; the dialog then stays open.
    bool ConfirmOk() const;
    // After OK: writes the values back in the dialog's order, the title first (renaming the directory),
    // and marks the collection dirty; nothing when nothing changed. A number field that holds no
    // integer (or a negative limit) raises std::invalid_argument; the values before it stay applied.
    // True when written.
    bool Apply();

    // Whether a collection of master other than except has the title, ignoring case.
    static bool TitleInUse(const clipstore::TMasterList& master, const std::string& title,
                           const clipstore::TClipColl* except);
    // Renames coll to title: the new directory name (unique in the parent directory) and the
    // directory renamed within its parent, with the messages of each outcome. Unless the directory was
    // renamed, the title and the directory name stay as they were. A directory that is a link is not
    // renamed. True when renamed.
    static bool Rename(clipstore::TClipColl& coll, const std::string& title, platform::IMessageBoxes& boxes);
    // The integer a number field holds; raises std::invalid_argument otherwise.
    static std::int32_t ToInteger(const std::string& text);
    // The number of items or days a limit field holds: an integer of 0 or more (a negative limit would
    // empty the collection at the next purge); raises std::invalid_argument otherwise.
    static std::int32_t ToLimit(const std::string& text);

private:
    clipstore::TClipColl& coll_;
    const clipstore::TMasterList& master_;
    platform::IMessageBoxes& boxes_;
    std::string title_;
    bool favorite_;
    bool accept_;
    bool allowDuplicates_;
    std::uint8_t retention_;
    std::string maxItems_;
    std::string maxDays_;
    bool maxItemsEdited_ = false;
    bool maxDaysEdited_ = false;
    std::int32_t image_;
    std::string sortKey_;
    bool modified_ = false;
};

} // namespace bx::shell
