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

std::string BlockBytes(HANDLE h) {
    const std::size_t size = GlobalMemory::Size(h);
    const std::uint8_t* p = GlobalMemory::Lock(h);
    if (p == nullptr)
        return {};
    std::string out(reinterpret_cast<const char*>(p), size);
    GlobalMemory::Unlock(h);
    return out;
}

} // namespace

X11ClipboardBridge::X11ClipboardBridge(QtWindows& windows, const char* display)
    : windows_(windows), model_(windows), conn_(XcbConnection::Open(display)) {
    if (!conn_) {
        LogMsg(LogErrors, "X11ClipboardBridge", "No X display: the clipboard stays within the program");
        return;
    }
    incr_ = std::make_unique<X11IncrSender>(*conn_);
    info_ = std::make_unique<X11WindowInfo>(*conn_);
    clipboardAtom_ = conn_->Atom("CLIPBOARD");
    snapshot_ = std::make_unique<X11OwnerSnapshot>(*conn_, clipboardAtom_);
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
}

void X11ClipboardBridge::SetWait(std::chrono::milliseconds wait) {
    if (snapshot_)
        snapshot_->SetWait(wait);
}

// ---- the in-memory part: the model's ----

void X11ClipboardBridge::ReleaseAll() {
    model_.Clear();
    sources_.clear();
    served_.clear();
}

void X11ClipboardBridge::TakeOver() {
    // What has not been read cannot be given to others.
    model_.DropFormatsWithoutData();
    sources_.clear();
    ours_ = true;
    model_.SetOwner(model_.GetOpenClipboardWindow());
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
    if (model_.IsOpen())
        return model_.OpenClipboard(hwnd);
    ProcessEvents(); // owner changes that are waiting decide what the snapshot is
    model_.OpenClipboard(hwnd);
    if (!ours_ && conn_)
        TakeSnapshot();
    ScheduleProcessing();
    return true;
}

bool X11ClipboardBridge::CloseClipboard() {
    const std::optional<bool> changed = model_.CloseQuietly();
    if (!changed)
        return false;
    if (*changed) {
        lostWhileOpen_ = false;
        if (conn_)
            TakeOwnership(); // the owner change comes back from the server and reaches the viewers
        else
            model_.Viewers().NotifyChanged();
    } else if (lostWhileOpen_) {
        lostWhileOpen_ = false;
        DropOurs();
    }
    ScheduleProcessing();
    return true;
}

bool X11ClipboardBridge::EmptyClipboard() {
    // Another owner's window stands for it only: it hears nothing of the WM_DESTROYCLIPBOARD sent to it.
    if (!model_.EmptyClipboard())
        return false;
    sources_.clear();
    served_.clear();
    ours_ = true;
    lostWhileOpen_ = false;
    if (foreignWindow_ != NoWindow) {
        windows_.DestroyWindow(foreignWindow_);
        foreignWindow_ = NoWindow;
        foreignOwner_ = XCB_NONE;
    }
    return true;
}

HANDLE X11ClipboardBridge::SetClipboardData(UINT format, HANDLE h) {
    // During a render request the model decides what may be set: the asked format, or any announced one without data.
    const bool rendering = model_.RenderingFormat() != 0;
    if (format == 0 || (!model_.IsOpen() && !rendering))
        return 0;
    if (!ours_)
        TakeOver(); // formats set beside another owner's data
    served_.clear();
    return model_.SetClipboardData(format, h);
}

HANDLE X11ClipboardBridge::GetClipboardData(UINT format) {
    if (!model_.IsOpen())
        return 0;
    return ours_ ? model_.GetClipboardData(format) : FetchEntry(format);
}

HANDLE X11ClipboardBridge::FetchEntry(UINT format) {
    const ClipboardModel::Entry* e = model_.Find(format);
    if (e == nullptr)
        return 0;
    const auto source = sources_.find(format);
    if (e->handle == 0 && source != sources_.end() && !source->second.tried && conn_) {
        source->second.tried = true;
        const Source from = source->second;
        std::optional<std::string> bytes;
        if (from.kind) {
            bytes = snapshot_->Derive(*from.kind);
        } else if (std::optional<X11SelectionReader::Data> d = snapshot_->Take(conn_->AtomName(from.target))) {
            bytes = std::move(d->bytes);
        }
        if (bytes)
            if (const HANDLE h = GlobalMemory::FromBytes(bytes->data(), bytes->size()); !model_.Provide(format, h))
                GlobalMemory::Free(h);
        ScheduleProcessing();
        e = model_.Find(format);
    }
    return e == nullptr ? 0 : e->handle;
}

UINT X11ClipboardBridge::EnumClipboardFormats(UINT previous) {
    return model_.EnumClipboardFormats(previous);
}

int X11ClipboardBridge::CountClipboardFormats() const {
    return model_.CountClipboardFormats();
}

bool X11ClipboardBridge::IsClipboardFormatAvailable(UINT format) const {
    return model_.IsClipboardFormatAvailable(format);
}

HWND X11ClipboardBridge::GetClipboardOwner() const {
    return model_.GetClipboardOwner();
}

HWND X11ClipboardBridge::GetOpenClipboardWindow() const {
    return model_.GetOpenClipboardWindow();
}

std::uint32_t X11ClipboardBridge::GetClipboardSequenceNumber() const {
    return model_.GetClipboardSequenceNumber();
}

UINT X11ClipboardBridge::RegisterClipboardFormat(std::string_view name) {
    return model_.RegisterClipboardFormat(name);
}

std::string X11ClipboardBridge::GetClipboardFormatName(UINT format, int maxChars) const {
    return model_.GetClipboardFormatName(format, maxChars);
}

HWND X11ClipboardBridge::SetClipboardViewer(HWND hwnd) {
    return model_.SetClipboardViewer(hwnd);
}

bool X11ClipboardBridge::ChangeClipboardChain(HWND remove, HWND next) {
    return model_.ChangeClipboardChain(remove, next);
}

HWND X11ClipboardBridge::GetClipboardViewer() const {
    return model_.GetClipboardViewer();
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
        model_.CountChange();
        if (!ours_)
            SetForeignOwner(owner);
    }
    model_.Viewers().NotifyChanged();
}

void X11ClipboardBridge::LoseOwnership() {
    if (!xOwned_)
        return;
    xOwned_ = false;
    if (model_.IsOpen())
        lostWhileOpen_ = true;
    else
        DropOurs();
}

void X11ClipboardBridge::DropOurs() {
    if (!ours_)
        return;
    if (const HWND owner = model_.GetClipboardOwner(); owner != NoWindow)
        windows_.SendMessage(owner, WM_DESTROYCLIPBOARD, 0, 0);
    ReleaseAll();
    ours_ = false;
    model_.SetOwner(NoWindow);
    snapshotGeneration_ = 0;
    const xcb_window_t owner = CurrentOwner();
    SetForeignOwner(owner != conn_->Window() ? owner : XCB_NONE);
}

void X11ClipboardBridge::SetForeignOwner(xcb_window_t owner) {
    if (owner == foreignOwner_ && (owner == XCB_NONE || foreignWindow_ != NoWindow)) {
        model_.SetOwner(foreignWindow_);
        return;
    }
    if (foreignWindow_ != NoWindow)
        windows_.DestroyWindow(foreignWindow_);
    foreignWindow_ = NoWindow;
    foreignOwner_ = owner;
    if (owner != XCB_NONE)
        foreignWindow_ = windows_.AddForeignWindow(info_->Title(owner), info_->ProcessId(owner));
    model_.SetOwner(foreignWindow_);
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
    if (!xOwned_ || !ours_ || managing_ || model_.IsOpen() || CurrentOwner() != conn_->Window() ||
        CurrentOwner(managerAtom_) == XCB_NONE)
        return;
    // Announced formats cannot be rendered once the program's windows are gone.
    model_.DropFormatsWithoutData();
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
    if (model_.IsOpen() || ours_ || model_.RenderingFormat() != 0)
        return false;
    // Read everything the exiting owner offers while it waits for our answer, then serve it ourselves.
    snapshotGeneration_ = 0;
    TakeSnapshot();
    for (const ClipboardModel::Entry& e : std::vector<ClipboardModel::Entry>(model_.Entries()))
        FetchEntry(e.format);
    model_.DropFormatsWithoutData();
    if (model_.CountClipboardFormats() == 0)
        return false;
    sources_.clear();
    ours_ = true;
    if (foreignWindow_ != NoWindow)
        windows_.DestroyWindow(foreignWindow_);
    foreignWindow_ = NoWindow;
    foreignOwner_ = XCB_NONE;
    model_.SetOwner(NoWindow);
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
    snapshot_->Clear();
    SetForeignOwner(owner);
    if (owner == XCB_NONE)
        return;
    const std::vector<xcb_atom_t> atoms = snapshot_->ReadTargets();

    auto add = [&](UINT format, std::optional<Kind> kind, xcb_atom_t target) {
        if (format != 0 && !model_.IsClipboardFormatAvailable(format)) {
            model_.Offer(format);
            sources_[format] = Source{kind, target, false};
        }
    };
    for (Kind k : X11FormatMap::DerivedOrder()) {
        const auto& sources = X11FormatMap::SourceTargets(k);
        bool present =
            std::any_of(sources.begin(), sources.end(), [&](std::string_view t) { return snapshot_->Offers(t); });
        if (present && (k == Kind::HDrop || k == Kind::Url || k == Kind::Ignore))
            present = snapshot_->Derive(k).has_value(); // decided by the data, which is small
        if (present) {
            const UINT standard = X11FormatMap::StandardFormat(k);
            add(standard != 0 ? standard : RegisterClipboardFormat(X11FormatMap::RegisteredName(k)), k, XCB_NONE);
        }
    }
    for (xcb_atom_t a : atoms) {
        // TEXT stands for whichever encoding the owner chooses: it is one source of the text, not a
        // format of its own.
        const std::string name = conn_->AtomName(a);
        if (snapshot_->Offers(name) && name != "TEXT")
            add(RegisterClipboardFormat(name), std::nullopt, a);
    }
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
    if (withdrawAfterServing_) {
        // The answer holds its own copy of the bytes (an INCR transfer too).
        withdrawAfterServing_ = false;
        WithdrawRendered();
    }
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
    for (const ClipboardModel::Entry& e : model_.Entries()) {
        const std::string name = GetClipboardFormatName(e.format, 1024);
        if (!name.empty() && !X11FormatMap::IsMetaTarget(name))
            offer(name);
    }
    for (const ClipboardModel::Entry& e : model_.Entries()) {
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

HANDLE X11ClipboardBridge::Render(UINT format, const std::string& target, xcb_window_t requestor) {
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
    xcb_window_t w = XCB_NONE;
    if (auto active = conn_->GetProperty(conn_->Root(), conn_->Atom("_NET_ACTIVE_WINDOW"), false);
        req.pid != 0 && active && active->format == 32 && active->bytes.size() >= 4)
        std::memcpy(&w, active->bytes.data(), 4);
    if (w != XCB_NONE) {
        req.foreground = info_->ProcessId(w) == req.pid;
    } else if (req.pid != 0) {
        // No window manager names the active window: the desktop's foreground window (the focus's top-level).
        const HWND front = windows_.GetForegroundWindow();
        req.foreground = front != NoWindow && windows_.GetWindowProcessId(front) == req.pid;
    }
    lastRender_ = req;
    return model_.Render(format);
}

std::optional<X11ClipboardBridge::Produced> X11ClipboardBridge::Produce(xcb_atom_t target, xcb_window_t requestor) {
    if (auto it = served_.find(target); it != served_.end())
        return it->second;
    const std::string name = conn_->AtomName(target);
    if (name.empty() || X11FormatMap::IsMetaTarget(name))
        return std::nullopt;

    std::optional<Produced> out;
    // A format registered under the target's name holds its bytes exactly.
    const UINT exact = model_.FindRegisteredFormat(name);
    if (const ClipboardModel::Entry* e = exact != 0 ? model_.Find(exact) : nullptr) {
        if (e->handle == 0 && KindOf(e->format) == Kind::Ignore) {
            // The marker is announced without data; it is answered here, never by a render request.
            out = Produced{target, 8, std::make_shared<const std::string>(IgnoreMarkerText)};
        } else if (HANDLE h = e->handle != 0 ? e->handle : Render(e->format, name, requestor); h != 0) {
            std::string bytes = BlockBytes(h);
            // TEXT is answered in the encoding it holds (kept by an earlier version as a format of its own).
            const xcb_atom_t type =
                name != "TEXT" ? target : conn_->Atom(Conv::IsUtf8(Conv::UpToZero(bytes)) ? "UTF8_STRING" : "STRING");
            out = Produced{type, 8, std::make_shared<const std::string>(std::move(bytes))};
        }
    } else {
        const std::vector<ClipboardModel::Entry>& entries = model_.Entries();
        for (std::size_t i = 0; i < entries.size() && !out; ++i) {
            const UINT format = entries[i].format;
            const std::optional<Kind> kind = KindOf(format);
            if (!kind || *kind == Kind::Ignore)
                continue;
            const auto& written = X11FormatMap::WrittenTargets(*kind);
            if (std::find(written.begin(), written.end(), name) == written.end())
                continue;
            const HANDLE h = entries[i].handle != 0 ? entries[i].handle : Render(format, name, requestor);
            if (h == 0)
                break;
            xcb_atom_t type = target;
            std::string block = BlockBytes(h);
            if (format == CF_UNICODETEXT) {
                // Wide text up to its terminator, as UTF-8.
                std::size_t end = 0;
                while (end + 1 < block.size() && (block[end] != '\0' || block[end + 1] != '\0'))
                    end += 2;
                block = Conv::Utf16ToUtf8(std::string_view(block).substr(0, end));
            }
            if (*kind == Kind::Text && name == "TEXT")
                type = conn_->Atom("UTF8_STRING");
            if (std::optional<std::string> bytes = Conv::TargetBytes(*kind, name, block))
                out = Produced{type, 8, std::make_shared<const std::string>(std::move(*bytes))};
        }
    }
    if (out)
        served_.emplace(target, *out);
    return out;
}

bool X11ClipboardBridge::WithdrawAfterServing() {
    if (!conn_ || model_.RenderingFormat() == 0)
        return false;
    withdrawAfterServing_ = true;
    return true;
}

bool X11ClipboardBridge::WithdrawRendered() {
    if (!model_.WithdrawRendered())
        return false;
    served_.clear();
    return true;
}

std::string X11ClipboardBridge::WindowProcessMeans() const {
    if (!conn_)
        return std::string();
    return conn_->HasXRes() ? "XRes, _NET_WM_PID" : "_NET_WM_PID";
}

} // namespace bx::platform::x11
