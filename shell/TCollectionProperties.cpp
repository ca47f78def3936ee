#include "TCollectionProperties.h"

#include "IMessageBoxes.h"
#include "LogHook.h"
#include "LogLevels.h"
#include "TClipColl.h"
#include "TCollectionDirName.h"
#include "TMasterList.h"
#include "TUtf8.h"

#include <QString>

#include <charconv>
#include <filesystem>
#include <stdexcept>

namespace bx::shell {

namespace fs = std::filesystem;
using clipstore::TClipColl;
using clipstore::TCollectionDirName;
using platform::MsgButtons;
using platform::MsgType;

namespace {

constexpr const char* BoxCaption = "Brindlex";
constexpr const char* LineBreak = "\n";

// The path without its final "/".
std::string WithoutSlash(const std::string& path) {
    return !path.empty() && path.back() == '/' ? path.substr(0, path.size() - 1) : path;
}

} // namespace

TCollectionProperties::TCollectionProperties(TClipColl& coll, const clipstore::TMasterList& master,
                                             platform::IMessageBoxes& boxes)
    : coll_(coll), master_(master), boxes_(boxes), title_(coll.Title), favorite_(coll.Favorite),
      accept_(coll.AcceptNewClips), allowDuplicates_(coll.AllowDuplicates), retention_(coll.Retention),
      maxItems_(std::to_string(coll.MaxItems)), maxDays_(std::to_string(coll.MaxDays)), image_(coll.ImageIndex),
      sortKey_(std::to_string(coll.SortKey)) {}

std::size_t TCollectionProperties::ItemCount() const {
    return coll_.Count();
}

std::string TCollectionProperties::StatusText() const {
    return coll_.Dirty ? "Collection has been updated since read from disk."
                       : "No updates since collection read from disk.";
}

std::string TCollectionProperties::DataDirectory() const {
    return coll_.GetPath();
}

void TCollectionProperties::SetTitle(const std::string& title) {
    title_ = title;
    modified_ = true;
}

void TCollectionProperties::SetFavorite(bool on) {
    favorite_ = on;
    modified_ = true;
}

void TCollectionProperties::SetAcceptNewClips(bool on) {
    accept_ = on;
    modified_ = true;
}

void TCollectionProperties::SetAllowDuplicates(bool on) {
    allowDuplicates_ = on;
    modified_ = true;
}

void TCollectionProperties::ChooseRetention(std::uint8_t retention) {
    if (retention > 2)
        return;
    retention_ = retention;
    if (image_ <= LastStandardIcon)
        image_ = RetentionIcons[retention];
    modified_ = true;
}

void TCollectionProperties::SetMaxItems(const std::string& text) {
    maxItems_ = text;
    maxItemsEdited_ = true;
    modified_ = true;
}

void TCollectionProperties::SetMaxDays(const std::string& text) {
    maxDays_ = text;
    maxDaysEdited_ = true;
    modified_ = true;
}

void TCollectionProperties::SetImageIndex(std::int32_t image) {
    image_ = image;
    modified_ = true;
}

void TCollectionProperties::SetSortKey(const std::string& text) {
    sortKey_ = text;
    modified_ = true;
}

bool TCollectionProperties::TitleInUse(const clipstore::TMasterList& master, const std::string& title,
                                       const TClipColl* except) {
    const QString wanted = QString::fromStdString(title);
    for (std::size_t i = 0; i < master.Count(); ++i) {
        const TClipColl* other = master.Item(i);
        if (other != except && QString::fromStdString(other->Title).compare(wanted, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool TCollectionProperties::ConfirmOk() const {
    if (!TitleInUse(master_, title_, &coll_))
        return true;
    boxes_.MessageBox("Collection Name Must Be Unique - This Name Is Already In Use." + std::string(LineBreak) + title_,
                      BoxCaption, MsgType::Error, MsgButtons::Ok);
    return false;
}

std::int32_t TCollectionProperties::ToInteger(const std::string& text) {
    std::size_t begin = text.find_first_not_of(' ');
    const std::size_t end = text.find_last_not_of(' ');
    std::int32_t value = 0;
    if (begin != std::string::npos) {
        if (text[begin] == '+')
            ++begin;
        const auto [ptr, ec] = std::from_chars(text.data() + begin, text.data() + end + 1, value);
        if (ec == std::errc() && ptr == text.data() + end + 1)
            return value;
    }
    throw std::invalid_argument("'" + text + "' is not a valid integer value");
}

std::int32_t TCollectionProperties::ToLimit(const std::string& text) {
    const std::int32_t value = ToInteger(text);
    if (value < 0)
        throw std::invalid_argument("'" + text + "' is not a valid limit: it must be 0 or more");
    return value;
}

bool TCollectionProperties::Apply() {
    if (!modified_)
        return false;
    if (title_ != coll_.Title)
        Rename(coll_, title_, boxes_);
    coll_.Favorite = favorite_;
    coll_.AcceptNewClips = accept_;
    coll_.AllowDuplicates = allowDuplicates_;
    coll_.Retention = retention_;
    coll_.SetDirty(true);
    if (maxItemsEdited_)
        coll_.MaxItems = ToLimit(maxItems_);
    if (maxDaysEdited_)
        coll_.MaxDays = ToLimit(maxDays_);
    coll_.SetImageIndex(image_);
    coll_.SortKey = ToInteger(sortKey_);
    return true;
}

bool TCollectionProperties::Rename(TClipColl& coll, const std::string& title, platform::IMessageBoxes& boxes) {
    platform::SetTraceLocation("TfrmCollProperties.Rename");
    const std::string oldTitle = coll.Title;
    const std::string oldDirName = coll.DirName;
    const std::string oldPath = WithoutSlash(coll.GetPath());
    const std::string parentDir = coll.Parent != nullptr ? coll.Parent->GetPath() : std::string();
    coll.Title = clipstore::TUtf8::CutBytes(title, TCollectionDirName::MaxBytes);
    const auto dirName = TCollectionDirName::Unique(TCollectionDirName::FromTitle(title), [&](const std::string& name) {
        return name != oldDirName && TCollectionDirName::ExistsIn(parentDir, name);
    });
    bool renamed = false;
    std::error_code ec;
    if (dirName && !parentDir.empty() && fs::symlink_status(oldPath, ec).type() == fs::file_type::directory) {
        coll.DirName = *dirName;
        const std::string newPath = WithoutSlash(coll.GetPath());
        if (newPath != oldPath && fs::symlink_status(newPath, ec).type() != fs::file_type::not_found) {
            boxes.MessageBox("Error renaming directory - check to see if a collection by this name already exists: " +
                                 std::string(LineBreak) + newPath,
                             BoxCaption, MsgType::Warning, MsgButtons::Ok);
        } else {
            std::error_code renameError;
            fs::rename(oldPath, newPath, renameError);
            renamed = !renameError;
            if (renamed) {
                platform::LogMsg(platform::LogDataEvents, "Rename", oldPath + " -> " + newPath);
                boxes.MessageBox("Directory Rename Successful.", BoxCaption, MsgType::Information, MsgButtons::Ok);
            } else {
                boxes.MessageBox("Directory Rename Failed!" + std::string(LineBreak) + oldPath + LineBreak +
                                     "To:" + LineBreak + newPath,
                                 BoxCaption, MsgType::Error, MsgButtons::Ok);
            }
        }
    }
    if (!renamed) {
        coll.Title = oldTitle;
        coll.DirName = oldDirName;
    }
    return renamed;
}

} // namespace bx::shell
