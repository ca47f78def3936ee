#include "TGlue.h"

#include "LogHook.h"
#include "LogLevels.h"
#include "PlatformTypes.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipListModel.h"
#include "TClipObj.h"
#include "TClipView5.h"
#include "TClipboard.h"
#include "TUtf8.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace bx::pastetools {

using namespace platform;
using clipstore::TClipColl;
using clipstore::TClipObj;
using clipstore::TUtf8;

namespace {

// The text of a block that holds text up to its first zero, as UTF-8.
std::string TextOfBlock(const std::uint8_t* data, std::size_t size) {
    const auto* start = reinterpret_cast<const char*>(data);
    return TUtf8::FromStored(std::string_view(start, strnlen(start, size)));
}

} // namespace

TGlue::TGlue(shell::TBrindlexCore& core, IMessageBoxes& boxes) : core_(core), boxes_(boxes) {
    ParseGlueSeparator();
    shell::TCoreEvents& events = core.Events();
    held_ = events.ClipboardChangeHeld.Subscribe([this] { AutoGlue(true); });
    ended_ = events.AutoGlueEnded.Subscribe([this] { Ended(); });
    userMoving_ = events.UserMoving.Subscribe([this](const shell::TUserMove& move) {
        if (move.What != shell::TUserMove::Kind::RunRow)
            core_.EndAutoGlue();
    });
    shuttingDown_ = events.ShuttingDown.Subscribe([this] { core_.EndAutoGlue(); });
    // The glue clip's row went away with the rows: nothing is appended to a clip the list no longer holds.
    rowsReset_ = core.ClipList().RowsReset.Subscribe([this] {
        if (glueClip_ != nullptr && !GlueClipListed()) {
            glueClip_ = nullptr;
            core_.EndAutoGlue();
        }
    });
}

TGlue::~TGlue() = default;

std::string TGlue::ParseSeparator(std::string_view setting) {
    const std::string text = TUtf8::FromStored(setting);
    std::string out;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size() && chars < SeparatorLimit; ++chars) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char code = text[i + 1];
            if (code == 'n' || code == 'N')
                out += '\n';
            else if (code == 't' || code == 'T')
                out += '\t';
            else if (code == '\\')
                out += '\\';
            else
                out += '?';
            // The character after the backslash is used up whole, however many bytes it has.
            i += 1 + std::max<std::size_t>(1, TUtf8::SequenceLength(text, i + 1));
            continue;
        }
        const std::size_t length = std::max<std::size_t>(1, TUtf8::SequenceLength(text, i));
        out.append(text, i, length);
        i += length;
    }
    return out;
}

std::string TGlue::WithoutTrailingLineBreak(std::string text) {
    if (text.ends_with("\r\n"))
        text.resize(text.size() - 2);
    else if (text.ends_with('\n') || text.ends_with('\r'))
        text.pop_back();
    return text;
}

bool TGlue::GlueDownward(int prevSelIndex, int curSelIndex) {
    return prevSelIndex >= 0 && curSelIndex >= 0 && curSelIndex >= prevSelIndex;
}

void TGlue::ParseGlueSeparator() {
    separator_ = ParseSeparator(core_.Settings().GlueSeparator);
}

bool TGlue::AutoGlueOn() const {
    return core_.AutoGlueMode();
}

bool TGlue::GlueClipListed() const {
    // Only the pointer is compared: a clip that left the list may be gone.
    return glueClip_ != nullptr && core_.ClipList().RowOf(glueClip_) >= 0;
}

std::string TGlue::BeforeNextPiece(std::string text) const {
    if (text.empty())
        return text;
    if (core_.Settings().GlueOmitExistingCRLF)
        text = WithoutTrailingLineBreak(std::move(text));
    return text + separator_;
}

std::optional<std::string> TGlue::ClipText(TClipObj& clip) {
    if (!clip.HasFormat(CF_TEXT))
        return std::nullopt;
    const std::size_t size = clip.Lock(CF_TEXT);
    std::optional<std::string> text;
    if (clip.LockedData != nullptr)
        text = TextOfBlock(clip.LockedData, size);
    else if (size == 0)
        text = std::string();
    clip.Unlock();
    return text;
}

std::optional<std::string> TGlue::ClipboardText() const {
    cliplink::TClipboard& clipboard = core_.Clipboard();
    std::vector<std::uint8_t> bytes;
    if (clipboard.HasFormat(CF_TEXT) && clipboard.GetBytes(CF_TEXT, bytes))
        return TextOfBlock(bytes.data(), bytes.size());
    if (clipboard.HasFormat(CF_UNICODETEXT) && clipboard.GetBytes(CF_UNICODETEXT, bytes)) {
        std::u16string units;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            const auto unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
            if (unit == 0)
                break;
            units += unit;
        }
        return TUtf8::FromUtf16(units);
    }
    return std::nullopt;
}

TClipObj* TGlue::AddGlueClip(const std::string& title, const std::string& text) {
    shell::TClipListModel& list = core_.ClipList();
    TClipColl* coll = list.Coll();
    // The search results and folders keep no clips of their own: a glue clip made there would be lost.
    if (coll == nullptr || coll->ReadOnly || coll->CollType == TClipColl::SearchResultsColl ||
        coll->CollType == TClipColl::FolderColl) {
        boxes_.MessageBox(ReadOnlyText, ReadOnlyCaption, MsgType::Error, MsgButtons::Ok);
        return nullptr;
    }
    auto owned = std::make_unique<TClipObj>(coll->Context(), coll->GetNextSerialNum(), GlueCreator);
    TClipObj* clip = owned.get();
    clip->SetTitle(title);
    clip->SetIcon(CF_TEXT);
    clip->SetColl(coll);
    clip->SortKey = coll->GetNextClipSortKey();
    clip->PutText(text, 0);
    const int order = coll->MyAddObject(clip->Title, std::move(owned));
    coll->SetDirty(true);
    list.AddToLists(clip, true, order);
    core_.SetCurrentClip(clip);
    return clip;
}

void TGlue::cmdGlueClick(int prevSelIndex, int curSelIndex) {
    SetTraceLocation("TfrmBX.cmdGlueClick");
    if (core_.ClipList().SelectedCount() >= 2) {
        // The new clip is made at once: a running auto-glue is complete.
        core_.EndAutoGlue();
        GlueSelected(GlueDownward(prevSelIndex, curSelIndex));
    } else if (core_.AutoGlueMode())
        AutoGlue(false);
    else
        StartAutoGlue();
    StateChanged.Emit();
}

void TGlue::StartAutoGlue() {
    LogMsg(LogDataEvents, "TfrmBX.cmdGlueClick", "Auto-Glue On");
    TClipObj* clip = AddGlueClip("Glue: (0 Items)", std::string());
    if (clip == nullptr)
        return;
    glueClip_ = clip;
    glueCount_ = 0;
    core_.StartAutoGlue();
    core_.SetSelectItem(clip->Title, false);
    ClipChanged.Emit(clip);
}

void TGlue::GlueSelected(bool downward) {
    shell::TClipListModel& list = core_.ClipList();
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < list.Count(); ++row)
        if (list.IsSelected(row))
            rows.push_back(row);
    if (!downward)
        std::reverse(rows.begin(), rows.end());
    std::string glued;
    int count = 0;
    for (const std::size_t row : rows) {
        const std::optional<std::string> text = ClipText(*list.Clip(row));
        if (!text)
            continue;
        ++count;
        glued = BeforeNextPiece(std::move(glued)) + *text;
    }
    if (count == 0) {
        boxes_.MessageBox(NothingText, NothingCaption, MsgType::Error, MsgButtons::Ok);
        return;
    }
    TClipObj* clip = AddGlueClip("Glue: (" + std::to_string(count) + " Items)", glued);
    if (clip == nullptr)
        return;
    LogMsg(LogDataEvents, "TfrmBX.cmdGlueClick", "Glued " + std::to_string(count) + " Items");
    core_.SetSelectItem(clip->Title, false);
    core_.CopyItem(clip);
    Glued.Emit(clip);
}

void TGlue::AutoGlue(bool append) {
    SetTraceLocation("TfrmBX.AutoGlue");
    if (!append) {
        core_.EndAutoGlue();
        return;
    }
    if (!core_.AutoGlueMode())
        return;
    if (!GlueClipListed()) {
        // Nothing to append to: the change is captured as usual.
        glueClip_ = nullptr;
        core_.EndAutoGlue();
        return;
    }
    cliplink::TClipView5& view = core_.ClipView();
    if (!view.Open()) {
        boxes_.MessageBox(OpenFailedText, "Brindlex", MsgType::Information, MsgButtons::Ok);
        LogMsg(LogErrors, "Auto-Glue", std::string(OpenFailedText) + ": " + view.ErrMsg());
        return;
    }
    std::optional<std::string> text;
    try {
        text = ClipboardText();
    } catch (...) {
        view.Close();
        throw;
    }
    view.Close();
    if (!text) {
        // Data without text ends auto-glue; the core captures it as a clip of its own.
        core_.EndAutoGlue();
        return;
    }
    TClipObj& clip = *glueClip_;
    int index = -1;
    clip.HasFormat(CF_TEXT, index);
    clip.PutText(BeforeNextPiece(ClipText(clip).value_or(std::string())) + *text, index);
    ++glueCount_;
    // The clipboard holds the whole glued text now; the core does not capture its own put-back.
    core_.CopyItem(&clip);
    UpdateTitle("Glue: (" + std::to_string(glueCount_) + ") Items");
    LogMsg(LogDataEvents, "TfrmBX.AutoGlue", clip.Title);
    if (core_.Settings().BeepOnGlue)
        core_.PlaySoundOrBeep(SoundGlue);
}

void TGlue::Ended() {
    LogMsg(LogDataEvents, "TfrmBX.AutoGlue", "Auto-Glue Off");
    if (GlueClipListed())
        UpdateTitle("Glue Complete: (" + std::to_string(glueCount_) + ") Items");
    glueClip_ = nullptr;
    glueCount_ = 0;
    StateChanged.Emit();
}

void TGlue::UpdateTitle(const std::string& title) {
    glueClip_->SetTitle(title);
    if (core_.CurrentClip() == glueClip_ || core_.ClipList().FirstSelected() == glueClip_)
        core_.SetSelectItem(glueClip_->Title, false);
    core_.ShowStatus(shell::StatusInBar, false, glueClip_->Title);
    ClipChanged.Emit(glueClip_);
}

} // namespace bx::pastetools
