#include "TClipProperties.h"

#include "IMessageBoxes.h"
#include "TBrindlexCore.h"
#include "TClipData.h"
#include "TClipListModel.h"
#include "TClipObj.h"
#include "TUtf8.h"

#include <algorithm>
#include <cctype>

namespace bx::shell {

using clipstore::TClipObj;
using namespace platform;

TClipProperties::TClipProperties(TClipObj& clip) : clip_(clip) {
    Title = clip.Title;
    SourceUrl = clip.SourceURL.str();
    SortKey = std::to_string(clip.SortKey);
    // Reading a format's name loads the clip.
    static_cast<void>(clip.GetFormatName(0));
    if (clip.Formats)
        for (const auto& d : *clip.Formats)
            Formats.push_back({d->FormatName.str(), d->FormatNum, d->Pasteable});
    title_ = Title;
    sourceUrl_ = SourceUrl;
    sortKey_ = SortKey;
}

std::string TClipProperties::Creator() const {
    return clip_.Creator.str();
}

std::string TClipProperties::Status() const {
    return clip_.Dirty ? ChangedText : UnchangedText;
}

std::string TClipProperties::Timestamp() const {
    return clip_.STimeStamp();
}

std::string TClipProperties::Serial() const {
    return std::to_string(clip_.SerialNbr);
}

bool TClipProperties::WarningShown() const {
    return std::none_of(Formats.begin(), Formats.end(), [](const TFormat& f) { return f.Pasteable; });
}

std::int32_t TClipProperties::SortKeyOf(const std::string& digits) {
    std::int64_t value = 0;
    for (const char c : digits) {
        if (std::isdigit(static_cast<unsigned char>(c)) == 0)
            continue;
        value = std::min<std::int64_t>(value * 10 + (c - '0'), MaxSortKey);
    }
    return static_cast<std::int32_t>(value);
}

void TClipProperties::Apply() {
    if (Title == title_ && SourceUrl == sourceUrl_ && SortKey == sortKey_ && !formatsClicked_)
        return;
    clip_.SetDirty(true);
    clip_.SortKey = SortKeyOf(SortKey);
    clip_.SetTitle(Title);
    clip_.SourceURL = clipstore::TUtf8::CutChars(SourceUrl, MaxUrlChars);
    for (std::size_t i = 0; i < Formats.size(); ++i)
        clip_.SetPasteable(static_cast<int>(i), Formats[i].Pasteable);
}

bool TClipProperties::Run(TBrindlexCore& core, const std::function<bool(TClipProperties&)>& dialog,
                          const std::function<void(const TClipObj&)>& refresh) {
    TClipListModel& list = core.ClipList();
    if (list.Coll() == nullptr || list.SelectedCount() != 1) {
        core.Boxes().MessageBox(OneClipText, OneClipCaption, MsgType::Error, MsgButtons::Ok);
        return false;
    }
    TClipObj* clip = list.FirstSelected();
    TClipProperties properties(*clip);
    if (dialog(properties)) {
        properties.Apply();
        if (refresh)
            refresh(*clip);
        core.SetSelectItem(clip->Title, false);
    }
    // A changed set of offered formats counts at once.
    core.CopyItem(clip);
    return true;
}

} // namespace bx::shell
