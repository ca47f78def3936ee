#include "X11ClipboardBridge.h"

#include "AsciiText.h"
#include "GlobalMemory.h"
#include "LogHook.h"
#include "X11DataConversions.h"

#include <xcb/xfixes.h>

#include <QMetaObject>

#include <algorithm>
#include <cstring>

namespace bx::platform::x11 {

namespace {

using Conv = X11DataConversions;

constexpr std::size_t MaxTargets = 1000;

std::string BlockBytes(HANDLE h) {
    const std::size_t size = GlobalMemory::Size(h);
    const std::uint8_t* p = GlobalMemory::Lock(h);
    if (p == nullptr)
        return {};
    std::string out(reinterpret_cast<const char*>(p), size);
    GlobalMemory::Unlock(h);
    return out;
}

std::string_view UpToZero(std::string_view s) {
    const std::size_t z = s.find('\0');
    return z == std::string_view::npos ? s : s.substr(0, z);
}

std::string FirstLine(std::string_view s) {
    const std::size_t end = s.find_first_of("\r\n");
    return std::string(end == std::string_view::npos ? s : s.substr(0, end));
}

// A Windows metafile as LibreOffice puts it on the clipboard may begin with the placeable header.
std::string_view WithoutPlaceableHeader(std::string_view wmf) {
    if (wmf.size() > 22 && static_cast<unsigned char>(wmf[0]) == 0xD7 && static_cast<unsigned char>(wmf[1]) == 0xCD &&
        static_cast<unsigned char>(wmf[2]) == 0xC6 && static_cast<unsigned char>(wmf[3]) == 0x9A)
        return wmf.substr(22);
    return wmf;
}

} // namespace

X11ClipboardBridge::X11ClipboardBridge(QtWindows& windows, const char* display)
    : windows_(windows), chain_(windows), conn_(XcbConnection::Open(display)) {
    if (!conn_) {
        LogMsg(LogErrors, "X11ClipboardBridge", "No X display: the clipboard stays within the program");
        return;
    }
    reader_ = std::make_unique<X11SelectionReader>(*conn_);
    incr_ = std::make_unique<X11IncrSender>(*conn_);
    info_ = std::make_unique<X11WindowInfo>(*conn_);
    clipboardAtom_ = conn_->Atom("CLIPBOARD");
    managerAtom_ = conn_->Atom("CLIPBOARD_MANAGER");
    if (conn_->XFixesFirstEvent() >= 0) {
        for (xcb_atom_t selection : {clipboardAtom_, managerAtom_})
            xcb_xfixes_select_selection_input(conn_->Raw(), conn_->Window(), selection,
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                                  XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                                  XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    } else {
        LogMsg(LogErrors, "X11ClipboardBridge", "The X server lacks XFIXES: clipboard changes are not heard");
    }
    SetForeignOwner(CurrentOwner());
    TakeManagerRole();
    conn_->Flush();
    notifier_ = std::make_unique<QSocketNotifier>(conn_->Fd(), QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, &context_, [this] { ProcessEvents(); });
    ScheduleProcessing();
}

X11ClipboardBridge::~X11ClipboardBridge() {
    if (conn_)
        HandOverToManager();
    notifier_.reset();
    if (foreignWindow_ != NoWindow)
        windows_.DestroyWindow(foreignWindow_);
    for (const Entry& e : entries_)
        GlobalMemory::Free(e.handle);
}

void X11ClipboardBridge::SetWait(std::chrono::milliseconds wait) {
    if (reader_)
        reader_->SetWait(wait);
}

// ---- the in-memory part, as the model has it ----

X11ClipboardBridge::Entry* X11ClipboardBridge::Find(UINT format) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [format](const Entry& e) { return e.format == format; });
    return it == entries_.end() ? nullptr : &*it;
}

const X11ClipboardBridge::Entry* X11ClipboardBridge::Find(UINT format) const {
    auto it = std::find_if(entries_.begin(), entries_.end(), [format](const Entry& e) { return e.format == format; });
    return it == entries_.end() ? nullptr : &*it;
}

void X11ClipboardBridge::ReleaseAll() {
    for (const Entry& e : entries_)
        if (e.handle != 0)
            GlobalMemory::Free(e.handle);
    entries_.clear();
    served_.clear();
}

std::optional<X11FormatMap::Kind> X11ClipboardBridge::KindOf(UINT format) const {
    if (format == CF_DIB || format == CF_DIBV5)
        return Kind::Bitmap;
    if (format == CF_UNICODETEXT)
        return Kind::Text;
    for (Kind k : X11FormatMap::DerivedOrder()) {
        const UINT standard = X11FormatMap::StandardFormat(k);
        if (standard != 0
                ? standard == format
                : LowerCase(GetClipboardFormatName(format, 256)) == LowerCase(X11FormatMap::RegisteredName(k)))
            return k;
    }
    return std::nullopt;
}

bool X11ClipboardBridge::OpenClipboard(HWND hwnd) {
    if (open_)
        return openWindow_ == hwnd;
    ProcessEvents(); // owner changes that are waiting decide what the snapshot is
    open_ = true;
    openWindow_ = hwnd;
    changed_ = false;
    if (!ours_ && conn_)
        TakeSnapshot();
    ScheduleProcessing();
    return true;
}

bool X11ClipboardBridge::CloseClipboard() {
    if (!open_)
        return false;
    open_ = false;
    openWindow_ = NoWindow;
    if (changed_) {
        changed_ = false;
        lostWhileOpen_ = false;
        if (conn_)
            TakeOwnership(); // the owner change comes back from the server and reaches the viewers
        else
            chain_.NotifyChanged();
    } else if (lostWhileOpen_) {
        lostWhileOpen_ = false;
        DropOurs();
    }
    ScheduleProcessing();
    return true;
}

bool X11ClipboardBridge::EmptyClipboard() {
    if (!open_)
        return false;
    if (owner_ != NoWindow && ours_)
        windows_.SendMessage(owner_, WM_DESTROYCLIPBOARD, 0, 0);
    ReleaseAll();
    ours_ = true;
    lostWhileOpen_ = false;
    if (foreignWindow_ != NoWindow) {
        windows_.DestroyWindow(foreignWindow_);
        foreignWindow_ = NoWindow;
        foreignOwner_ = XCB_NONE;
    }
    owner_ = openWindow_;
    changed_ = true;
    ++sequence_;
    return true;
}

HANDLE X11ClipboardBridge::SetClipboardData(UINT format, HANDLE h) {
    const bool rendering = rendering_ != 0 && rendering_ == format;
    if (format == 0 || (!open_ && !rendering))
        return 0;
    if (!ours_) {
        // Formats set beside another owner's data: the program takes the clipboard over with the data
        // it has read so far (what it has not read cannot be given to others).
        std::erase_if(entries_, [](const Entry& e) { return e.handle == 0; });
        for (Entry& e : entries_) {
            e.kind.reset();
            e.target = XCB_NONE;
        }
        ours_ = true;
        owner_ = openWindow_;
    }
    served_.clear();
    if (Entry* e = Find(format)) {
        if (e->handle != h && e->handle != 0)
            GlobalMemory::Free(e->handle);
        e->handle = h;
    } else {
        entries_.push_back(Entry{format, h, false, std::nullopt, XCB_NONE});
    }
    if (!rendering) {
        changed_ = true;
        ++sequence_;
    }
    return h;
}

HANDLE X11ClipboardBridge::GetClipboardData(UINT format) {
    if (!open_)
        return 0;
    Entry* e = Find(format);
    if (e == nullptr)
        return 0;
    if (ours_) {
        if (e->handle == 0 && owner_ != NoWindow && rendering_ == 0) {
            rendering_ = format;
            windows_.SendMessage(owner_, WM_RENDERFORMAT, format, 0);
            rendering_ = 0;
            e = Find(format);
        }
        return e == nullptr ? 0 : e->handle;
    }
    return FetchEntry(format);
}

HANDLE X11ClipboardBridge::FetchEntry(UINT format) {
    Entry* e = Find(format);
    if (e == nullptr)
        return 0;
    if (e->handle == 0 && !e->tried && conn_) {
        e->tried = true;
        std::optional<std::string> bytes;
        if (e->kind) {
            bytes = Derive(*e->kind);
        } else if (std::optional<X11SelectionReader::Data> d = Take(conn_->AtomName(e->target))) {
            bytes = std::move(d->bytes);
        }
        e = Find(format);
        if (e != nullptr && bytes && e->handle == 0)
            e->handle = GlobalMemory::FromBytes(bytes->data(), bytes->size());
        ScheduleProcessing();
    }
    return e == nullptr ? 0 : e->handle;
}

UINT X11ClipboardBridge::EnumClipboardFormats(UINT previous) {
    if (!open_ || entries_.empty())
        return 0;
    if (previous == 0)
        return entries_.front().format;
    for (std::size_t i = 0; i + 1 < entries_.size(); ++i)
        if (entries_[i].format == previous)
            return entries_[i + 1].format;
    return 0;
}

int X11ClipboardBridge::CountClipboardFormats() const {
    return static_cast<int>(entries_.size());
}

bool X11ClipboardBridge::IsClipboardFormatAvailable(UINT format) const {
    return Find(format) != nullptr;
}

HWND X11ClipboardBridge::GetClipboardOwner() const {
    return owner_;
}

HWND X11ClipboardBridge::GetOpenClipboardWindow() const {
    return open_ ? openWindow_ : NoWindow;
}

std::uint32_t X11ClipboardBridge::GetClipboardSequenceNumber() const {
    return sequence_;
}

UINT X11ClipboardBridge::RegisterClipboardFormat(std::string_view name) {
    return formats_.Register(name);
}

std::string X11ClipboardBridge::GetClipboardFormatName(UINT format, int maxChars) const {
    return formats_.Name(format, maxChars);
}

HWND X11ClipboardBridge::SetClipboardViewer(HWND hwnd) {
    return chain_.Join(hwnd);
}

bool X11ClipboardBridge::ChangeClipboardChain(HWND remove, HWND next) {
    chain_.Leave(remove, next);
    return true;
}

HWND X11ClipboardBridge::GetClipboardViewer() const {
    return chain_.Head();
}

// ---- events ----

void X11ClipboardBridge::ScheduleProcessing() {
    // Events read while waiting for an answer sit in our queue, where the socket notifier cannot see them.
    if (!conn_ || scheduled_)
        return;
    scheduled_ = true;
    QMetaObject::invokeMethod(
        &context_,
        [this] {
            scheduled_ = false;
            ProcessEvents();
        },
        Qt::QueuedConnection);
}

void X11ClipboardBridge::ProcessEvents() {
    if (!conn_ || processing_)
        return;
    processing_ = true;
    while (XcbEvent e = conn_->NextEvent())
        Handle(*e);
    if (conn_->HasError() && notifier_ && notifier_->isEnabled()) {
        // The server is gone: the socket would wake us for ever. The clipboard keeps what it has.
        notifier_->setEnabled(false);
        LogMsg(LogErrors, "X11ClipboardBridge", "The connection to the X server is lost");
    }
    incr_->DropIdle(XcbConnection::Clock::now());
    conn_->Flush();
    processing_ = false;
}

void X11ClipboardBridge::Handle(const xcb_generic_event_t& e) {
    const std::uint8_t type = XcbConnection::EventType(e);
    const int xfixes = conn_->XFixesFirstEvent();
    if (xfixes >= 0 && type == xfixes + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto& n = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(e);
        if (n.selection == clipboardAtom_)
            OnOwnerChange(n.owner, n.selection_timestamp);
        else if (n.selection == managerAtom_ && n.owner == XCB_NONE)
            TakeManagerRole(); // the other manager is gone
        return;
    }
    switch (type) {
    case XCB_SELECTION_REQUEST:
        Serve(reinterpret_cast<const xcb_selection_request_event_t&>(e));
        break;
    case XCB_SELECTION_CLEAR:
        if (const auto& c = reinterpret_cast<const xcb_selection_clear_event_t&>(e);
            c.selection == clipboardAtom_ && CurrentOwner() != conn_->Window())
            LoseOwnership();
        else if (c.selection == managerAtom_)
            managing_ = false;
        break;
    case XCB_PROPERTY_NOTIFY:
        incr_->OnPropertyNotify(reinterpret_cast<const xcb_property_notify_event_t&>(e));
        break;
    default:
        break;
    }
}

void X11ClipboardBridge::OnOwnerChange(xcb_window_t owner, xcb_timestamp_t time) {
    ++generation_;
    if (owner == conn_->Window() && quietTime_ != XCB_CURRENT_TIME && time == quietTime_) {
        quietTime_ = XCB_CURRENT_TIME; // we kept an exiting owner's data: the contents did not change
        return;
    }
    if (owner != conn_->Window()) {
        if (xOwned_) {
            // A report read late may tell of an owner that came before our latest taking.
            if (CurrentOwner() == conn_->Window())
                return;
            LoseOwnership();
        }
        ++sequence_;
        if (!ours_)
            SetForeignOwner(owner);
    }
    chain_.NotifyChanged();
}

void X11ClipboardBridge::LoseOwnership() {
    if (!xOwned_)
        return;
    xOwned_ = false;
    if (open_)
        lostWhileOpen_ = true;
    else
        DropOurs();
}

void X11ClipboardBridge::DropOurs() {
    if (!ours_)
        return;
    if (owner_ != NoWindow)
        windows_.SendMessage(owner_, WM_DESTROYCLIPBOARD, 0, 0);
    ReleaseAll();
    ours_ = false;
    owner_ = NoWindow;
    snapshotGeneration_ = 0;
    const xcb_window_t owner = CurrentOwner();
    SetForeignOwner(owner != conn_->Window() ? owner : XCB_NONE);
}

void X11ClipboardBridge::SetForeignOwner(xcb_window_t owner) {
    if (owner == foreignOwner_ && (owner == XCB_NONE || foreignWindow_ != NoWindow)) {
        owner_ = foreignWindow_;
        return;
    }
    if (foreignWindow_ != NoWindow)
        windows_.DestroyWindow(foreignWindow_);
    foreignWindow_ = NoWindow;
    foreignOwner_ = owner;
    if (owner != XCB_NONE)
        foreignWindow_ = windows_.AddForeignWindow(info_->Title(owner), info_->ProcessId(owner));
    owner_ = foreignWindow_;
}

xcb_window_t X11ClipboardBridge::CurrentOwner(xcb_atom_t selection) {
    XcbReply<xcb_get_selection_owner_reply_t> r(xcb_get_selection_owner_reply(
        conn_->Raw(), xcb_get_selection_owner(conn_->Raw(), selection == XCB_NONE ? clipboardAtom_ : selection),
        nullptr));
    return r ? r->owner : XCB_NONE;
}

void X11ClipboardBridge::TakeManagerRole() {
    // Another clipboard manager of the desktop keeps the data of exiting programs: we leave it alone.
    if (managing_ || CurrentOwner(managerAtom_) != XCB_NONE)
        return;
    managerTime_ = conn_->ServerTime();
    xcb_set_selection_owner(conn_->Raw(), conn_->Window(), managerAtom_, managerTime_);
    managing_ = CurrentOwner(managerAtom_) == conn_->Window();
}

void X11ClipboardBridge::HandOverToManager() {
    ProcessEvents();
    if (!xOwned_ || !ours_ || managing_ || open_ || CurrentOwner() != conn_->Window() ||
        CurrentOwner(managerAtom_) == XCB_NONE)
        return;
    // Announced formats cannot be rendered once the program's windows are gone.
    std::erase_if(entries_, [](const Entry& e) { return e.handle == 0; });
    served_.clear();
    const xcb_atom_t saveTargets = conn_->Atom("SAVE_TARGETS");
    xcb_convert_selection(conn_->Raw(), conn_->Window(), managerAtom_, saveTargets, conn_->Atom("BX_SAVE_TARGETS"),
                          XCB_CURRENT_TIME);
    // The manager reads our targets before it answers: serve it meanwhile, for a bounded time.
    const auto deadline = XcbConnection::Clock::now() + std::chrono::seconds(5);
    processing_ = true;
    for (;;) {
        const XcbEvent e = conn_->WaitFor([](const xcb_generic_event_t&) { return true; }, deadline);
        if (!e)
            break;
        if (XcbConnection::EventType(*e) == XCB_SELECTION_NOTIFY &&
            reinterpret_cast<const xcb_selection_notify_event_t*>(e.get())->target == saveTargets)
            break;
        Handle(*e);
    }
    processing_ = false;
}

bool X11ClipboardBridge::SaveTargets() {
    if (xOwned_ && ours_)
        return true; // the data is ours already
    if (open_ || ours_ || rendering_ != 0)
        return false;
    // Read everything the exiting owner offers while it waits for our answer, then serve it ourselves.
    snapshotGeneration_ = 0;
    TakeSnapshot();
    for (const Entry& e : std::vector<Entry>(entries_))
        FetchEntry(e.format);
    std::erase_if(entries_, [](const Entry& e) { return e.handle == 0; });
    if (entries_.empty())
        return false;
    for (Entry& e : entries_) {
        e.kind.reset();
        e.target = XCB_NONE;
    }
    ours_ = true;
    if (foreignWindow_ != NoWindow)
        windows_.DestroyWindow(foreignWindow_);
    foreignWindow_ = NoWindow;
    foreignOwner_ = XCB_NONE;
    owner_ = NoWindow;
    TakeOwnership();
    quietTime_ = ownTime_;
    return xOwned_;
}

void X11ClipboardBridge::TakeOwnership() {
    ownTime_ = conn_->ServerTime();
    xcb_set_selection_owner(conn_->Raw(), conn_->Window(), clipboardAtom_, ownTime_);
    xOwned_ = CurrentOwner() == conn_->Window();
    if (!xOwned_)
        LogMsg(LogErrors, "X11ClipboardBridge", "Could not take the clipboard selection");
}

// ---- another owner's data ----

void X11ClipboardBridge::TakeSnapshot() {
    xcb_window_t owner = CurrentOwner();
    if (owner == conn_->Window())
        owner = XCB_NONE;
    // Without XFIXES no change is heard, so every opening reads the targets afresh.
    if (snapshotGeneration_ == generation_ && owner == foreignOwner_ && conn_->XFixesFirstEvent() >= 0)
        return;
    snapshotGeneration_ = generation_;
    ReleaseAll();
    offered_.clear();
    fetched_.clear();
    ownerStalled_ = false;
    SetForeignOwner(owner);
    if (owner == XCB_NONE)
        return;

    const std::optional<X11SelectionReader::Data> targets = reader_->Read(clipboardAtom_, conn_->Atom("TARGETS"));
    ownerStalled_ = reader_->TimedOut();
    if (!targets || targets->format != 32)
        return;
    // An owner that offers more targets than any application does is read only so far.
    const std::size_t count = std::min<std::size_t>(targets->bytes.size() / 4, MaxTargets);
    std::vector<xcb_atom_t> atoms(count);
    if (count > 0)
        std::memcpy(atoms.data(), targets->bytes.data(), count * 4);
    conn_->CacheNames(atoms);
    for (xcb_atom_t a : atoms) {
        const std::string name = conn_->AtomName(a);
        if (!name.empty() && !X11FormatMap::IsMetaTarget(name))
            offered_.emplace(name, a);
    }

    auto add = [&](UINT format, std::optional<Kind> kind, xcb_atom_t target) {
        if (format != 0 && Find(format) == nullptr)
            entries_.push_back(Entry{format, 0, false, kind, target});
    };
    for (Kind k : X11FormatMap::DerivedOrder()) {
        const auto& sources = X11FormatMap::SourceTargets(k);
        bool present = std::any_of(sources.begin(), sources.end(), [&](std::string_view t) { return Offers(t); });
        if (present && (k == Kind::HDrop || k == Kind::Url || k == Kind::Ignore))
            present = Derive(k).has_value(); // decided by the data, which is small
        if (present) {
            const UINT standard = X11FormatMap::StandardFormat(k);
            add(standard != 0 ? standard : RegisterClipboardFormat(X11FormatMap::RegisteredName(k)), k, XCB_NONE);
        }
    }
    for (xcb_atom_t a : atoms) {
        // TEXT stands for whichever encoding the owner chooses: it is one source of the text, not a
        // format of its own.
        const std::string name = conn_->AtomName(a);
        if (offered_.contains(name) && name != "TEXT")
            add(RegisterClipboardFormat(name), std::nullopt, a);
    }
}

std::optional<X11SelectionReader::Data> X11ClipboardBridge::Take(std::string_view target) {
    if (auto f = fetched_.find(target); f != fetched_.end()) {
        std::optional<X11SelectionReader::Data> data = std::move(f->second);
        fetched_.erase(f);
        return data;
    }
    auto it = offered_.find(target);
    return it != offered_.end() ? Read(it->second) : std::nullopt;
}

std::optional<X11SelectionReader::Data> X11ClipboardBridge::Read(xcb_atom_t target) {
    // An owner that let one request go unanswered is not waited for again until it changes.
    if (ownerStalled_)
        return std::nullopt;
    std::optional<X11SelectionReader::Data> data = reader_->Read(clipboardAtom_, target);
    ownerStalled_ = reader_->TimedOut();
    return data;
}

bool X11ClipboardBridge::Offers(std::string_view target) const {
    return offered_.find(target) != offered_.end();
}

const X11SelectionReader::Data* X11ClipboardBridge::Fetch(std::string_view target) {
    auto it = offered_.find(target);
    if (it == offered_.end())
        return nullptr;
    auto f = fetched_.find(target);
    if (f == fetched_.end()) {
        if (ownerStalled_)
            return nullptr; // not kept: the next owner gets its chance
        f = fetched_.emplace(std::string(target), Read(it->second)).first;
    }
    return f->second ? &*f->second : nullptr;
}

std::optional<std::string> X11ClipboardBridge::Derive(Kind kind) {
    const auto& sources = X11FormatMap::SourceTargets(kind);
    switch (kind) {
    case Kind::Text:
        // The text may be all there is and large: its bytes are read once and not kept twice.
        for (std::string_view t : sources)
            if (std::optional<X11SelectionReader::Data> d = Take(t))
                if (auto text = Conv::TextFromTarget(t, conn_->AtomName(d->type), std::move(d->bytes)))
                    return text;
        return std::nullopt;
    case Kind::Html: {
        const auto* d = Fetch("text/html");
        if (d == nullptr)
            return std::nullopt;
        std::string url;
        if (const auto* moz = Fetch(X11FormatMap::MozUrlPriv))
            url = FirstLine(Conv::Utf16ToUtf8(moz->bytes));
        else if (const auto* chromium = Fetch(X11FormatMap::ChromiumSourceUrl))
            url = FirstLine(UpToZero(chromium->bytes));
        return Conv::WrapHtml(d->bytes, UpToZero(url));
    }
    case Kind::Rtf:
    case Kind::EnhMetafile:
        for (std::string_view t : sources)
            if (const auto* d = Fetch(t))
                return d->bytes;
        return std::nullopt;
    case Kind::MetafilePict:
        if (const auto* d = Fetch(sources.front())) {
            std::string out(16, '\0');
            out[0] = 8; // MM_ANISOTROPIC; the extents are left to the picture
            out += WithoutPlaceableHeader(d->bytes);
            return out;
        }
        return std::nullopt;
    case Kind::Bitmap:
        for (std::string_view t : sources)
            if (const auto* d = Fetch(t))
                if (auto dib = Conv::DibFromImage(d->bytes, t == "image/bmp" || t == "image/x-bmp"))
                    return dib;
        return std::nullopt;
    case Kind::HDrop: {
        std::vector<std::string> paths;
        if (const auto* d = Fetch("x-special/gnome-copied-files")) {
            std::vector<std::string> lines = Conv::UriListLines(d->bytes);
            for (std::size_t i = 1; i < lines.size(); ++i) // the first line says copy or cut
                if (auto p = Conv::PathFromFileUri(lines[i]))
                    paths.push_back(*p);
        } else if (const auto* l = Fetch("text/uri-list")) {
            for (const std::string& line : Conv::UriListLines(l->bytes))
                if (auto p = Conv::PathFromFileUri(line))
                    paths.push_back(*p);
        }
        if (paths.empty())
            return std::nullopt;
        return Conv::DropFiles(paths);
    }
    case Kind::Url: {
        if (const auto* d = Fetch("text/x-moz-url")) {
            const std::string text = Conv::IsUtf8(d->bytes) && d->bytes.find('\0') == std::string::npos
                                         ? d->bytes
                                         : Conv::Utf16ToUtf8(d->bytes);
            const std::string url = FirstLine(UpToZero(text));
            if (!url.empty())
                return url + '\0';
        }
        if (const auto* l = Fetch("text/uri-list")) {
            const std::vector<std::string> lines = Conv::UriListLines(l->bytes);
            if (lines.size() == 1 && !Conv::PathFromFileUri(lines.front()) &&
                lines.front().find(':') != std::string::npos)
                return lines.front() + '\0';
        }
        return std::nullopt;
    }
    case Kind::Ignore:
        if (const auto* d = Fetch(X11FormatMap::IgnoreName))
            return d->bytes;
        if (const auto* d = Fetch(X11FormatMap::PasswordHint); d != nullptr && d->bytes == "secret")
            return d->bytes;
        return std::nullopt;
    }
    return std::nullopt;
}

// ---- our data, for other programs ----

void X11ClipboardBridge::Serve(const xcb_selection_request_event_t& r) {
    xcb_atom_t property = r.property == XCB_NONE ? r.target : r.property; // obsolete requestors
    bool ok = false;
    if (r.selection == managerAtom_) {
        if (managing_ && r.owner == conn_->Window()) {
            const std::string target = conn_->AtomName(r.target);
            if (target == "TARGETS") {
                const xcb_atom_t atoms[] = {conn_->Atom("TARGETS"), conn_->Atom("SAVE_TARGETS"),
                                            conn_->Atom("TIMESTAMP")};
                xcb_change_property(conn_->Raw(), XCB_PROP_MODE_REPLACE, r.requestor, property, XCB_ATOM_ATOM, 32, 3,
                                    atoms);
                ok = true;
            } else if (target == "TIMESTAMP") {
                xcb_change_property(conn_->Raw(), XCB_PROP_MODE_REPLACE, r.requestor, property, XCB_ATOM_INTEGER, 32, 1,
                                    &managerTime_);
                ok = true;
            } else if (target == "SAVE_TARGETS") {
                ok = SaveTargets();
                if (ok) // the answer to SAVE_TARGETS is an empty property of type NULL
                    xcb_change_property(conn_->Raw(), XCB_PROP_MODE_REPLACE, r.requestor, property, conn_->Atom("NULL"),
                                        32, 0, nullptr);
            }
        }
    } else if (r.selection == clipboardAtom_ && xOwned_ && ours_ && r.owner == conn_->Window() &&
               (r.time == XCB_CURRENT_TIME || r.time >= ownTime_)) {
        const std::string target = conn_->AtomName(r.target);
        if (target == "MULTIPLE") {
            if (r.property != XCB_NONE) {
                std::optional<XcbConnection::Property> pairs = conn_->GetProperty(r.requestor, r.property, false);
                if (pairs && pairs->format == 32) {
                    std::vector<xcb_atom_t> atoms(pairs->bytes.size() / 4);
                    if (!atoms.empty())
                        std::memcpy(atoms.data(), pairs->bytes.data(), atoms.size() * 4);
                    for (std::size_t i = 0; i + 1 < atoms.size(); i += 2)
                        if (atoms[i + 1] == XCB_NONE || !ConvertInto(r.requestor, atoms[i], atoms[i + 1], false))
                            atoms[i + 1] = XCB_NONE;
                    xcb_change_property(conn_->Raw(), XCB_PROP_MODE_REPLACE, r.requestor, r.property, pairs->type, 32,
                                        static_cast<std::uint32_t>(atoms.size()), atoms.data());
                    ok = true;
                }
            }
        } else {
            ok = ConvertInto(r.requestor, r.target, property, true);
        }
    }
    conn_->SendSelectionNotify(r, ok ? property : XCB_NONE);
}

bool X11ClipboardBridge::ConvertInto(xcb_window_t requestor, xcb_atom_t target, xcb_atom_t property, bool allowIncr) {
    const std::string name = conn_->AtomName(target);
    if (name == "TARGETS") {
        std::vector<xcb_atom_t> atoms{conn_->Atom("TARGETS"), conn_->Atom("TIMESTAMP"), conn_->Atom("MULTIPLE")};
        for (xcb_atom_t a : OfferedTargets())
            atoms.push_back(a);
        xcb_change_property(conn_->Raw(), XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_ATOM, 32,
                            static_cast<std::uint32_t>(atoms.size()), atoms.data());
        return true;
    }
    if (name == "TIMESTAMP") {
        const std::uint32_t t = ownTime_;
        xcb_change_property(conn_->Raw(), XCB_PROP_MODE_REPLACE, requestor, property, XCB_ATOM_INTEGER, 32, 1, &t);
        return true;
    }
    const std::optional<Produced> p = Produce(target, requestor);
    if (!p)
        return false;
    const std::size_t limit = conn_->MaxRequestBytes() > 1024 ? conn_->MaxRequestBytes() - 1024 : 0;
    if (p->bytes->size() > limit) {
        if (!allowIncr)
            return false;
        incr_->Start(requestor, property, p->type, p->format, p->bytes);
        return true;
    }
    const std::size_t unit = p->format / 8;
    xcb_change_property(conn_->Raw(), XCB_PROP_MODE_REPLACE, requestor, property, p->type, p->format,
                        static_cast<std::uint32_t>(p->bytes->size() / unit), p->bytes->data());
    return true;
}

std::vector<xcb_atom_t> X11ClipboardBridge::OfferedTargets() {
    std::vector<xcb_atom_t> atoms;
    auto offer = [&](std::string_view name) {
        const xcb_atom_t a = conn_->Atom(name);
        if (a != XCB_NONE && std::find(atoms.begin(), atoms.end(), a) == atoms.end())
            atoms.push_back(a);
    };
    for (const Entry& e : entries_) {
        const std::string name = GetClipboardFormatName(e.format, 1024);
        if (!name.empty() && !X11FormatMap::IsMetaTarget(name))
            offer(name);
    }
    for (const Entry& e : entries_) {
        const std::optional<Kind> kind = KindOf(e.format);
        if (!kind || *kind == Kind::Ignore)
            continue;
        for (std::string_view t : X11FormatMap::WrittenTargets(*kind)) {
            if (*kind == Kind::Html && t != "text/html") {
                // The page address goes out only when the envelope carries one.
                const std::optional<X11DataConversions::Html> h =
                    e.handle != 0 ? X11DataConversions::UnwrapHtml(BlockBytes(e.handle)) : std::nullopt;
                if (!h || h->sourceUrl.empty())
                    continue;
            }
            offer(t);
        }
    }
    return atoms;
}

HANDLE X11ClipboardBridge::Render(Entry& e, const std::string& target, xcb_window_t requestor) {
    const UINT format = e.format;
    RenderRequest req;
    req.format = format;
    req.target = target;
    req.window = requestor;
    X11WindowInfo::Means means = X11WindowInfo::Means::None;
    req.pid = info_->ProcessId(requestor, &means);
    req.means = means == X11WindowInfo::Means::XRes       ? "XRes"
                : means == X11WindowInfo::Means::NetWmPid ? "_NET_WM_PID"
                                                          : "";
    req.program = X11WindowInfo::ProgramPath(req.pid);
    if (auto active = conn_->GetProperty(conn_->Root(), conn_->Atom("_NET_ACTIVE_WINDOW"), false);
        req.pid != 0 && active && active->format == 32 && active->bytes.size() >= 4) {
        xcb_window_t w = XCB_NONE;
        std::memcpy(&w, active->bytes.data(), 4);
        req.foreground = w != XCB_NONE && info_->ProcessId(w) == req.pid;
    }
    lastRender_ = req;
    if (owner_ == NoWindow || rendering_ != 0)
        return 0;
    rendering_ = format;
    windows_.SendMessage(owner_, WM_RENDERFORMAT, format, 0);
    rendering_ = 0;
    const Entry* after = Find(format);
    return after == nullptr ? 0 : after->handle;
}

std::optional<X11ClipboardBridge::Produced> X11ClipboardBridge::Produce(xcb_atom_t target, xcb_window_t requestor) {
    if (auto it = served_.find(target); it != served_.end())
        return it->second;
    const std::string name = conn_->AtomName(target);
    if (name.empty() || X11FormatMap::IsMetaTarget(name))
        return std::nullopt;

    std::optional<Produced> out;
    // A format registered under the target's name holds its bytes exactly.
    const UINT exact = formats_.Find(name);
    if (Entry* e = exact != 0 ? Find(exact) : nullptr) {
        if (e->handle == 0 && KindOf(e->format) == Kind::Ignore) {
            // The marker is announced without data; it is answered here, never by a render request.
            out = Produced{target, 8, std::make_shared<const std::string>(IgnoreMarkerText)};
        } else if (HANDLE h = e->handle != 0 ? e->handle : Render(*e, name, requestor); h != 0) {
            std::string bytes = BlockBytes(h);
            // TEXT is answered in the encoding it holds (kept by an earlier version as a format of its own).
            const xcb_atom_t type =
                name != "TEXT" ? target : conn_->Atom(Conv::IsUtf8(UpToZero(bytes)) ? "UTF8_STRING" : "STRING");
            out = Produced{type, 8, std::make_shared<const std::string>(std::move(bytes))};
        }
    } else {
        for (std::size_t i = 0; i < entries_.size() && !out; ++i) {
            const std::optional<Kind> kind = KindOf(entries_[i].format);
            if (!kind || *kind == Kind::Ignore)
                continue;
            const auto& written = X11FormatMap::WrittenTargets(*kind);
            if (std::find(written.begin(), written.end(), name) == written.end())
                continue;
            HANDLE h = entries_[i].handle != 0 ? entries_[i].handle : Render(entries_[i], name, requestor);
            if (h == 0)
                break;
            xcb_atom_t type = target;
            std::string block = BlockBytes(h);
            if (entries_[i].format == CF_UNICODETEXT) {
                // Wide text up to its terminator, as UTF-8.
                std::size_t end = 0;
                while (end + 1 < block.size() && (block[end] != '\0' || block[end + 1] != '\0'))
                    end += 2;
                block = Conv::Utf16ToUtf8(std::string_view(block).substr(0, end));
            }
            if (std::optional<std::string> bytes = ServedBytes(*kind, name, block, type))
                out = Produced{type, 8, std::make_shared<const std::string>(std::move(*bytes))};
        }
    }
    if (out)
        served_.emplace(target, *out);
    return out;
}

std::optional<std::string> X11ClipboardBridge::ServedBytes(Kind kind, const std::string& target, std::string_view block,
                                                           xcb_atom_t& type) {
    switch (kind) {
    case Kind::Text: {
        // Text kept from single-byte sources (older collections) is no UTF-8: it is read as Latin-1.
        const std::string_view raw = UpToZero(block);
        const std::string text = Conv::IsUtf8(raw) ? std::string(raw) : Conv::Latin1ToUtf8(raw);
        if (target == "TEXT")
            type = conn_->Atom("UTF8_STRING");
        if (target == "COMPOUND_TEXT")
            return Conv::Utf8ToCompoundText(text);
        if (target == "STRING")
            return Conv::Utf8ToLatin1(text);
        return text;
    }
    case Kind::Html: {
        const std::optional<X11DataConversions::Html> h = Conv::UnwrapHtml(block);
        if (!h)
            return std::nullopt;
        if (target == "text/html")
            return h->html;
        if (h->sourceUrl.empty())
            return std::nullopt;
        if (target == X11FormatMap::MozUrlPriv)
            return Conv::Utf8ToUtf16Le(h->sourceUrl);
        return h->sourceUrl;
    }
    case Kind::Rtf:
    case Kind::EnhMetafile:
        return std::string(block);
    case Kind::MetafilePict:
        if (block.size() <= 16)
            return std::nullopt;
        return std::string(block.substr(16));
    case Kind::Bitmap:
        return target == "image/png" ? Conv::PngFromDib(block) : Conv::BmpFromDib(block);
    case Kind::HDrop: {
        const std::vector<std::string> paths = Conv::PathsFromDropFiles(block);
        if (paths.empty())
            return std::nullopt;
        std::string out = target == "x-special/gnome-copied-files" ? "copy" : "";
        for (const std::string& p : paths) {
            if (target == "x-special/gnome-copied-files")
                out += "\n" + Conv::FileUriFromPath(p);
            else
                out += Conv::FileUriFromPath(p) + "\r\n";
        }
        return out;
    }
    case Kind::Url: {
        const std::string url = FirstLine(UpToZero(block));
        if (url.empty())
            return std::nullopt;
        return target == "text/x-moz-url" ? Conv::Utf8ToUtf16Le(url) : url + "\r\n";
    }
    case Kind::Ignore:
        return std::nullopt;
    }
    return std::nullopt;
}

std::string X11ClipboardBridge::WindowProcessMeans() const {
    if (!conn_)
        return std::string();
    return conn_->HasXRes() ? "XRes, _NET_WM_PID" : "_NET_WM_PID";
}

} // namespace bx::platform::x11
