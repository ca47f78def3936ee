#include "TEditCommands.h"

#include "GlobalMemory.h"
#include "ICollectionDialogs.h"
#include "IDesktop.h"
#include "IMessageBoxes.h"
#include "LogHook.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipListModel.h"
#include "TClipListSelection.h"
#include "TClipObj.h"
#include "TMessageWindow.h"
#include "TUrlFinder.h"
#include "TUtf8.h"

#include <cstring>
#include <exception>
#include <vector>

namespace bx::pastetools {

using clipstore::TClipObj;
using clipstore::TUtf8;
using platform::CF_TEXT;
using platform::LogMsg;
using platform::MsgButtons;
using platform::MsgType;

namespace {

// A title is one line: line breaks and other control characters of the selection become blanks.
std::string OneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = ' ';
    return text;
}

} // namespace

TEditCommands::TEditCommands(shell::TBrindlexCore& core, platform::IDesktop& desktop,
                             shell::TClipListSelection& selection, shell::ICollectionDialogs& dialogs)
    : core_(core), desktop_(desktop), selection_(selection), dialogs_(dialogs),
      window_(std::make_unique<platform::TMessageWindow>(
          desktop.Windows(), "Brindlex editor",
          [](platform::UINT, platform::WPARAM, platform::LPARAM) { return platform::LRESULT{0}; })) {}

TEditCommands::~TEditCommands() = default;

void TEditCommands::SetPane(IEditPane* pane) {
    pane_ = pane;
    SelectionChanged();
}

void TEditCommands::Status(const std::string& text) {
    core_.ShowStatus(shell::StatusInBar, false, text);
}

TEditEnabling TEditCommands::Enabling() const {
    TEditEnabling e;
    if (pane_ == nullptr)
        return e;
    const bool selected = pane_->HasSelection();
    const bool editable = pane_->Editable();
    e.Transform = editable && pane_->Length() > 0;
    e.Cut = selected && editable;
    e.Copy = selected;
    e.MakeTitle = selected && selection_.EditClip != nullptr;
    e.LaunchExact = selected;
    e.Undo = editable && pane_->CanUndo();
    return e;
}

void TEditCommands::SelectionChanged() {
    if (pane_ != nullptr)
        pane_->ShowEnabling(Enabling());
}

bool TEditCommands::ClipboardHasText() const {
    return desktop_.Clipboard().IsClipboardFormatAvailable(CF_TEXT);
}

bool TEditCommands::ReadClipboardText(std::string& text) const {
    platform::IClipboard& cb = desktop_.Clipboard();
    if (!cb.OpenClipboard(window_->Handle()))
        return false;
    bool got = false;
    const platform::HANDLE h = cb.GetClipboardData(CF_TEXT);
    if (h != 0 && platform::GlobalMemory::IsBlock(h)) {
        const std::size_t size = platform::GlobalMemory::Size(h);
        if (const auto* p = reinterpret_cast<const char*>(platform::GlobalMemory::Lock(h)); p != nullptr) {
            // Another program's bytes: up to the first zero, as UTF-8 or else Windows-1252.
            text = TUtf8::FromStored(std::string_view(p, strnlen(p, size)));
            platform::GlobalMemory::Unlock(h);
            got = true;
        }
    }
    cb.CloseClipboard();
    return got;
}

bool TEditCommands::WriteClipboardText(const std::string& text) {
    platform::IClipboard& cb = desktop_.Clipboard();
    if (!cb.OpenClipboard(window_->Handle())) {
        Status(ClipboardBusyText);
        return false;
    }
    bool set = false;
    if (cb.EmptyClipboard()) {
        const platform::HANDLE block = platform::GlobalMemory::FromBytes(text.c_str(), text.size() + 1);
        set = block != 0 && cb.SetClipboardData(CF_TEXT, block) != 0;
        if (!set && block != 0)
            platform::GlobalMemory::Free(block);
    }
    cb.CloseClipboard();
    if (!set)
        Status(ClipboardBusyText);
    return set;
}

bool TEditCommands::Copy() {
    if (pane_ == nullptr || !pane_->HasSelection())
        return false;
    return WriteClipboardText(pane_->SelectedText());
}

bool TEditCommands::Cut() {
    if (pane_ == nullptr || !pane_->HasSelection() || !pane_->Editable())
        return false;
    if (!WriteClipboardText(pane_->SelectedText()))
        return false;
    pane_->ReplaceSelection({});
    SelectionChanged();
    return true;
}

bool TEditCommands::Paste() {
    if (pane_ == nullptr || !pane_->Editable())
        return false;
    std::string text;
    if (!ReadClipboardText(text) || text.empty())
        return false;
    pane_->ReplaceSelection(text);
    SelectionChanged();
    return true;
}

void TEditCommands::Undo() {
    if (pane_ == nullptr || !pane_->Editable() || !pane_->CanUndo())
        return;
    pane_->Undo();
    pane_->ClearUndo();
    SelectionChanged();
}

bool TEditCommands::MakeTitle() {
    TClipObj* clip = selection_.EditClip;
    if (pane_ == nullptr || clip == nullptr || !pane_->HasSelection())
        return false;
    clip->SetTitle(OneLine(TUtf8::CutChars(pane_->SelectedText(), TClipObj::MaxTitleChars)));
    TitleChanged.Emit(*clip);
    return true;
}

bool TEditCommands::Rename() {
    platform::SetTraceLocation("TfrmBX.mnuTitleClick");
    shell::TClipListModel& list = core_.ClipList();
    const clipstore::TClipColl* coll = list.Coll();
    if (coll == nullptr || coll->ReadOnly) {
        core_.Boxes().MessageBox(ReadOnlyText, ReadOnlyCaption, MsgType::Error, MsgButtons::Ok);
        return false;
    }
    TClipObj* clip = list.SelectedCount() == 1 ? list.FirstSelected() : nullptr;
    if (clip == nullptr)
        return false;
    const std::optional<std::string> answer = dialogs_.TextPrompt(RenameCaption, RenamePrompt, clip->Title);
    if (!answer)
        return false;
    // The row and the bar show the title as kept (its first 60 characters).
    clip->SetTitle(OneLine(*answer));
    TitleChanged.Emit(*clip);
    return true;
}

bool TEditCommands::ClipText(TClipObj& clip, std::string& text) {
    if (!clip.HasFormat(CF_TEXT))
        return false;
    const std::size_t size = clip.Lock(CF_TEXT);
    bool got = false;
    if (clip.LockedData != nullptr) {
        const auto* p = reinterpret_cast<const char*>(clip.LockedData);
        text = TUtf8::FromStored(std::string_view(p, strnlen(p, size)));
        got = true;
    }
    clip.Unlock();
    return got;
}

void TEditCommands::DropClips() {
    if (pane_ == nullptr || !pane_->Editable())
        return;
    Status(DroppedText);
    const std::size_t caret = pane_->Caret();
    const bool atEnd = caret >= pane_->Length();
    shell::TClipListModel& list = core_.ClipList();
    std::string insertion;
    for (std::size_t row = 0; row < list.Count(); ++row) {
        std::string text;
        if (list.IsSelected(row) && ClipText(*list.Clip(row), text))
            insertion += text;
    }
    if (!insertion.empty()) {
        pane_->InsertAt(caret, insertion);
        pane_->SetCaret(atEnd ? pane_->Length() : caret);
    }
    // The dropped rows are deselected and the focused one selected, in one change: the edit is written back
    // into the pane's clip before the pane shows another.
    const int focused = list.FocusedRow();
    list.SetSelection(focused >= 0 ? std::vector<std::size_t>{static_cast<std::size_t>(focused)}
                                   : std::vector<std::size_t>{},
                      focused);
    SelectionChanged();
}

std::string TEditCommands::Target(const std::string& text) const {
    const platform::IShell& shell = desktop_.Shell();
    return TUrlFinder::Launchable(
        text, [&shell](const std::string& path) { return shell.PathExists(path); }, core_.Settings().Dirs().HomeDir());
}

bool TEditCommands::Launch(const std::string& text) {
    const std::string target = Target(text);
    if (target.empty()) {
        LogMsg(platform::LogErrors, "TfrmBX.LaunchURL", "Not launched (no web, mail or file address): " + text);
        return false;
    }
    LogMsg(platform::LogDataEvents, "TfrmBX.LaunchURL", "Launching " + target);
    return desktop_.Shell().ShellExecute("open", target, "");
}

bool TEditCommands::LaunchExact() {
    if (pane_ == nullptr || !pane_->HasSelection())
        return false;
    if (!Launch(TUtf8::CutChars(pane_->SelectedText(), TUrlFinder::MaxLaunchChars))) {
        Status(NoUrlStatus);
        return false;
    }
    return true;
}

bool TEditCommands::LaunchUrlNear(const std::string& text, std::size_t caret) {
    try {
        const std::string url = TUtf8::CutChars(TUrlFinder::Near(text, caret), TUrlFinder::MaxLaunchChars);
        if (url.empty() || Target(url).empty()) {
            if (!url.empty())
                LogMsg(platform::LogErrors, "TfrmBX.LaunchURL", "Not launched (no web, mail or file address): " + url);
            Status(NoUrlStatus);
            return false;
        }
        Status(LaunchingStatus + url);
        return Launch(url);
    } catch (const std::exception&) {
        Status(UrlErrorStatus);
        return false;
    }
}

bool TEditCommands::LaunchSmart() {
    if (pane_ == nullptr)
        return false;
    if (LaunchUrlNear(pane_->Text(), pane_->Caret()))
        return true;
    core_.Boxes().MessageBox(NoUrlText, "Brindlex", MsgType::Error, MsgButtons::Ok);
    return false;
}

bool TEditCommands::LaunchSelectedClip() {
    if (EndDrag)
        EndDrag();
    platform::IMessageBoxes& boxes = core_.Boxes();
    shell::TClipListModel& list = core_.ClipList();
    TClipObj* clip = list.SelectedCount() == 1 ? list.FirstSelected() : nullptr;
    if (clip == nullptr) {
        boxes.MessageBox(SelectOneText, "Brindlex", MsgType::Error, MsgButtons::Ok);
        return false;
    }
    std::string text;
    if (!ClipText(*clip, text)) {
        boxes.MessageBox(TextOnlyText, "Brindlex", MsgType::Error, MsgButtons::Ok);
        return false;
    }
    // The address around the first full stop that gives one the desktop can open ("Hello. See a.b/c" opens
    // a.b/c, not "Hello.").
    std::string tried;
    for (const std::size_t caret : TUrlFinder::AfterFullStops(text)) {
        const std::string url = TUrlFinder::Near(text, caret);
        if (url.empty() || url == tried || Target(TUtf8::CutChars(url, TUrlFinder::MaxLaunchChars)).empty()) {
            tried = url;
            continue;
        }
        return LaunchUrlNear(text, caret);
    }
    boxes.MessageBox(NoUrlText, "Brindlex", MsgType::Error, MsgButtons::Ok);
    return false;
}

} // namespace bx::pastetools
