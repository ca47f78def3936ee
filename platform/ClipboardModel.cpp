#include "ClipboardModel.h"

#include "GlobalMemory.h"

#include <algorithm>

namespace bx::platform {

ClipboardModel::ClipboardModel(IWindows& windows)
    : windows_(windows), chain_(windows), releaser_([](UINT, HANDLE h) { GlobalMemory::Free(h); }) {}

ClipboardModel::~ClipboardModel() {
    ReleaseAll();
}

void ClipboardModel::SetHandleReleaser(HandleReleaser releaser) {
    releaser_ = std::move(releaser);
}

ClipboardModel::Entry* ClipboardModel::Slot(UINT format) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [format](const Entry& e) { return e.format == format; });
    return it == entries_.end() ? nullptr : &*it;
}

const ClipboardModel::Entry* ClipboardModel::Find(UINT format) const {
    return const_cast<ClipboardModel*>(this)->Slot(format);
}

void ClipboardModel::Release(const Entry& e) {
    if (e.handle != 0 && releaser_)
        releaser_(e.format, e.handle);
}

void ClipboardModel::ReleaseAll() {
    for (const Entry& e : entries_)
        Release(e);
    entries_.clear();
}

bool ClipboardModel::OpenClipboard(HWND hwnd) {
    if (open_)
        return openWindow_ == hwnd;
    open_ = true;
    openWindow_ = hwnd;
    changed_ = false;
    return true;
}

bool ClipboardModel::CloseClipboard() {
    const std::optional<bool> changed = CloseQuietly();
    if (changed && *changed)
        chain_.NotifyChanged();
    return changed.has_value();
}

std::optional<bool> ClipboardModel::CloseQuietly() {
    if (!open_)
        return std::nullopt;
    open_ = false;
    openWindow_ = NoWindow;
    const bool changed = changed_;
    changed_ = false;
    return changed;
}

bool ClipboardModel::EmptyClipboard() {
    if (!open_)
        return false;
    if (owner_ != NoWindow)
        windows_.SendMessage(owner_, WM_DESTROYCLIPBOARD, 0, 0);
    ReleaseAll();
    owner_ = openWindow_;
    changed_ = true;
    ++sequence_;
    return true;
}

HANDLE ClipboardModel::SetClipboardData(UINT format, HANDLE h) {
    // While a render request runs, the owner may give every announced format its data at once.
    const Entry* announced = Find(format);
    const bool rendering =
        rendering_ != 0 && (rendering_ == format || (announced != nullptr && announced->handle == 0 && h != 0));
    if (format == 0 || (!open_ && !rendering))
        return 0;
    if (Entry* e = Slot(format)) {
        if (e->handle != h)
            Release(*e);
        e->handle = h;
        e->rendered = rendering && h != 0;
    } else {
        entries_.push_back(Entry{format, h});
    }
    if (!rendering) {
        changed_ = true;
        ++sequence_;
    }
    return h;
}

HANDLE ClipboardModel::GetClipboardData(UINT format) {
    return open_ ? Render(format) : 0;
}

HANDLE ClipboardModel::Render(UINT format) {
    const Entry* e = Find(format);
    if (e == nullptr)
        return 0;
    if (e->handle == 0 && owner_ != NoWindow && rendering_ == 0) {
        lastRender_ = RenderRequest{};
        lastRender_.format = format;
        lastRender_.target = formats_.Name(format, 256);
        lastRender_.window = openWindow_;
        if (open_ && openWindow_ != NoWindow) {
            lastRender_.pid = windows_.GetWindowProcessId(openWindow_);
            const HWND front = windows_.GetForegroundWindow();
            lastRender_.foreground =
                lastRender_.pid != 0 && front != NoWindow && windows_.GetWindowProcessId(front) == lastRender_.pid;
        }
        rendering_ = format;
        windows_.SendMessage(owner_, WM_RENDERFORMAT, format, 0);
        rendering_ = 0;
        e = Find(format); // the owner may have set other formats meanwhile
    }
    return e == nullptr ? 0 : e->handle;
}

void ClipboardModel::Offer(UINT format) {
    if (format != 0 && Find(format) == nullptr)
        entries_.push_back(Entry{format, 0});
}

bool ClipboardModel::Provide(UINT format, HANDLE h) {
    Entry* e = Slot(format);
    if (e == nullptr || e->handle != 0)
        return false;
    e->handle = h;
    return true;
}

bool ClipboardModel::WithdrawRendered() {
    if (open_ || rendering_ != 0)
        return false;
    bool any = false;
    for (Entry& e : entries_) {
        if (!e.rendered)
            continue;
        Release(e);
        e.handle = 0;
        e.rendered = false;
        any = true;
    }
    return any;
}

void ClipboardModel::DropFormatsWithoutData() {
    std::erase_if(entries_, [](const Entry& e) { return e.handle == 0; });
}

UINT ClipboardModel::EnumClipboardFormats(UINT previous) {
    if (!open_ || entries_.empty())
        return 0;
    if (previous == 0)
        return entries_.front().format;
    for (std::size_t i = 0; i + 1 < entries_.size(); ++i)
        if (entries_[i].format == previous)
            return entries_[i + 1].format;
    return 0;
}

int ClipboardModel::CountClipboardFormats() const {
    return static_cast<int>(entries_.size());
}

bool ClipboardModel::IsClipboardFormatAvailable(UINT format) const {
    return Find(format) != nullptr;
}

HWND ClipboardModel::GetClipboardOwner() const {
    return owner_;
}

HWND ClipboardModel::GetOpenClipboardWindow() const {
    return open_ ? openWindow_ : NoWindow;
}

std::uint32_t ClipboardModel::GetClipboardSequenceNumber() const {
    return sequence_;
}

UINT ClipboardModel::RegisterClipboardFormat(std::string_view name) {
    return formats_.Register(name);
}

std::string ClipboardModel::GetClipboardFormatName(UINT format, int maxChars) const {
    return formats_.Name(format, maxChars);
}

HWND ClipboardModel::SetClipboardViewer(HWND hwnd) {
    return chain_.Join(hwnd);
}

bool ClipboardModel::ChangeClipboardChain(HWND remove, HWND next) {
    chain_.Leave(remove, next);
    return true;
}

HWND ClipboardModel::GetClipboardViewer() const {
    return chain_.Head();
}

} // namespace bx::platform
