#include "TClipView5.h"

#include "AsciiText.h"
#include "DateTime.h"
#include "GlobalMemory.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

namespace bx::cliplink {

using namespace platform;

namespace {

// File name of a program path, without directory and extension.
std::string ProgramName(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

std::string Trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

std::string TrimRight(std::string_view s) {
    const std::size_t last = s.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(s.substr(0, last + 1));
}

// The time of day wraps at midnight; a distance is taken the short way round.
std::int32_t DayDistance(std::int32_t a, std::int32_t b) {
    std::int64_t d = static_cast<std::int64_t>(a) - b;
    if (d > MsPerDay / 2)
        d -= MsPerDay;
    else if (d < -MsPerDay / 2)
        d += MsPerDay;
    return static_cast<std::int32_t>(d);
}

constexpr std::size_t IgnoreBlockSize = 64;
constexpr std::size_t PingBlockSize = 32;
constexpr int MaxWindowTitle = 255;

} // namespace

TClipView5::TClipView5(IDesktop& desktop, WarningSink warn)
    : desktop_(desktop), names_(desktop.Clipboard()),
      window_(std::make_unique<TMessageWindow>(desktop.Windows(), "Brindlex Clipboard Viewer",
                                               [this](UINT msg, WPARAM w, LPARAM l) { return WndProc(msg, w, l); })),
      knownAppTitles_{"Microsoft Visual Basic",
                      "Microsoft Exchange",
                      "Microsoft Internet Explorer",
                      "Notepad",
                      "Micrografx Picture Publisher",
                      "ThumbsPlus",
                      "EXTRA!"} {
    // Formats that identify their source application by themselves.
    for (std::string_view name : {"VBControls", "Ami Text Format", "WordPerfect 6 Text", "WordPerfect 7 Text"})
        names_.ConvertFormatName(name);
    pingFormat_ = desktop_.Clipboard().RegisterClipboardFormat("Brindlex Ping");
    ignoreFormat_ = desktop_.Clipboard().RegisterClipboardFormat(IgnoreFormatName);

    const ProcessLookupMeans means = desktop_.Processes().LookupMeans();
    if (means.snapshotCreate)
        dllTools_ += "1,";
    if (means.snapshotFirst)
        dllTools_ += "2,";
    if (means.snapshotNext)
        dllTools_ += "3";
    snapshotAvailable_ = means.snapshotCreate || means.snapshotNext;
    if (!snapshotAvailable_) {
        if (means.moduleFileName)
            dllTools_ += "4,";
        if (means.moduleBaseName)
            dllTools_ += "5";
        moduleLookupAvailable_ = means.moduleFileName || means.moduleBaseName;
    }
    if (std::string names = desktop_.Processes().LookupMeansNames(); !names.empty())
        dllTools_ = std::move(names);
    if (!snapshotAvailable_ && !moduleLookupAvailable_ && warn)
        warn("Error loading TOOLHELP functions (Windows95) or PSAPI.DLL (NT 4.0).  It is safe to continue, but you "
             "should re-install Brindlex.",
             "Brindlex Initialization - (Clipview Module)");

    cyclicErrors_ = 0;
    WaitUntil = desktop_.Clock().TimeOfDayMs() + SettleTime;
}

TClipView5::~TClipView5() {
    SetActive(false);
}

void TClipView5::SetActive(bool active) {
    IClipboard& cb = desktop_.Clipboard();
    if (active && !active_) {
        ownActivity_ = true;
        joinedHandle_ = Handle();
        nextViewer_ = cb.SetClipboardViewer(joinedHandle_);
        errMsg_ = "(ClipView Set Listening On)";
        active_ = true;
        ownActivity_ = false;
    } else if (!active && active_) {
        ownActivity_ = true;
        cb.ChangeClipboardChain(joinedHandle_, nextViewer_);
        nextViewer_ = NoWindow;
        Creator = "Unknown";
        errMsg_ = "(ClipView Set Listening Off)";
        active_ = false;
        ownActivity_ = false;
    }
}

LRESULT TClipView5::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DRAWCLIPBOARD:
        OnDrawClipboard();
        return 0;
    case WM_CHANGECBCHAIN:
        OnChangeCBChain(static_cast<HWND>(wParam), static_cast<HWND>(lParam));
        return 0;
    case WM_RENDERFORMAT:
        OnRenderFormatMessage(static_cast<UINT>(wParam));
        return 0;
    case WM_TIMER:
        OnTimer(static_cast<TimerId>(wParam));
        return 0;
    default:
        return 0;
    }
}

bool TClipView5::IsOwnChange() const {
    // While the component joins or leaves the chain, the notices it gets are its own doing.
    if (ownActivity_ && !isOpen_)
        return true;
    return desktop_.Clipboard().GetClipboardOwner() == Handle();
}

void TClipView5::Raise(const Event& event) {
    if (event)
        event(*this);
}

void TClipView5::OnDrawClipboard() {
    IWindows& windows = desktop_.Windows();
    if (DebugBeep)
        desktop_.Sound().MessageBeep(MB_OK);
    whichRenderFormat_ = -1;
    const bool isPingEcho = pingPending_ && desktop_.Clipboard().IsClipboardFormatAvailable(pingFormat_);
    // A ping ends exactly once: 100 ms after its echo, or by its time-out when another change overtook it.
    if (isPingEcho) {
        windows.KillTimer(Handle(), TimerPingTimeout);
        windows.SetTimer(Handle(), TimerPingEcho, PingEchoMs, TimerKind::OneShot);
    } else if (CaptureLocalCopy || !IsOwnChange()) {
        if (!active_) {
            windows.SetTimer(Handle(), TimerForward, static_cast<UINT>(std::max(Delay, 0)), TimerKind::OneShot);
        } else if (!reportPending_) {
            // A pending report is not put off: a stream of changes is still read every Delay.
            reportPending_ = true;
            windows.SetTimer(Handle(), TimerReport, static_cast<UINT>(std::max(Delay, 0)), TimerKind::OneShot);
        }
    } else {
        Creator = "Brindlex";
        windows.SetTimer(Handle(), TimerForward, static_cast<UINT>(std::max(Delay, 0)), TimerKind::OneShot);
    }

    const TDateTime now = desktop_.Clock().Now();
    pingDoneAt_ = now;
    pingPending_ = false;
    lastUpdate_ = now;
}

void TClipView5::OnChangeCBChain(HWND removed, HWND next) {
    lastUpdate_ = desktop_.Clock().Now();
    whichRenderFormat_ = -1;
    if (DebugBeep)
        desktop_.Sound().MessageBeep(MB_OK);
    if (ownActivity_) {
        Creator = "Brindlex";
        return;
    }
    if (removed == nextViewer_)
        nextViewer_ = next;
    else if (nextViewer_ != NoWindow && nextViewer_ != Handle())
        desktop_.Windows().SendMessage(nextViewer_, WM_CHANGECBCHAIN, removed, static_cast<LPARAM>(next));
    if (Delay > 0)
        desktop_.Windows().SetTimer(Handle(), TimerChainChange, static_cast<UINT>(Delay), TimerKind::OneShot);
    else
        Raise(OnCBChainChange);
}

void TClipView5::OnRenderFormatMessage(UINT format) {
    lastUpdate_ = desktop_.Clock().Now();
    if (DebugBeep)
        desktop_.Sound().MessageBeep(MB_OK);
    whichRenderFormat_ = static_cast<std::int32_t>(format);
    Raise(OnRenderFormat);
}

void TClipView5::OnTimer(TimerId id) {
    desktop_.Windows().KillTimer(Handle(), id);
    switch (id) {
    case TimerReport:
        ReportChange();
        break;
    case TimerChainChange:
        Raise(OnCBChainChange);
        break;
    case TimerPingEcho:
        EndPing(true);
        break;
    case TimerPingTimeout:
        desktop_.Windows().KillTimer(Handle(), TimerPingEcho);
        pingDoneAt_ = desktop_.Clock().Now();
        pingPending_ = false;
        EndPing(false);
        break;
    case TimerForward:
        Forward();
        break;
    default:
        break;
    }
}

void TClipView5::ReportAgain(std::int32_t ms) {
    reportAgain_ = true;
    reportPending_ = true;
    desktop_.Windows().SetTimer(Handle(), TimerReport, static_cast<UINT>(std::max(ms, 0)), TimerKind::OneShot);
}

void TClipView5::ReportChange() {
    reportPending_ = false;
    const bool again = std::exchange(reportAgain_, false);
    IClipboard& cb = desktop_.Clipboard();
    if (!CaptureLocalCopy && cb.GetClipboardOwner() == Handle()) {
        // The program wrote the clipboard after the change was heard: what is there now is its own.
        Creator = "Brindlex";
        Forward();
        return;
    }
    if (!again && haveReported_ && cb.GetClipboardSequenceNumber() == reportedSequence_) {
        // These contents were read already. Back within the settle time, the notice went round the chain.
        const std::int32_t d = DayDistance(desktop_.Clock().TimeOfDayMs(), WaitUntil);
        if (std::abs(d) < SettleTime) {
            ++cyclicErrors_;
            return;
        }
        Forward();
        return;
    }
    bool opened = false;
    if (Capturing) {
        opened = Open();
        ++SerialNum;
        ReadFormats();
        Creator = GetCreator();
        haveReported_ = true;
        reportedSequence_ = cb.GetClipboardSequenceNumber();
    }
    try {
        Raise(OnCBChange);
    } catch (...) {
        if (opened)
            Close();
        throw;
    }
    if (opened)
        Close();
    else
        errMsg_ += "  (In WMTimer 101 - Clipboard Not Open)";
    WaitUntil = desktop_.Clock().TimeOfDayMs() + SettleTime;
    Forward();
}

void TClipView5::Forward() {
    if (nextViewer_ != NoWindow && nextViewer_ != Handle() && !NoForwarding)
        desktop_.Windows().SendMessage(nextViewer_, WM_DRAWCLIPBOARD, 0, 0);
}

bool TClipView5::Open() {
    bool result = false;
    if (openRefCount_ == 0) {
        if (desktop_.Clipboard().OpenClipboard(Handle())) {
            isOpen_ = true;
            ownActivity_ = true;
            openRefCount_ = 1;
            result = true;
        }
    } else if (isOpen_) {
        ++openRefCount_;
        result = true;
    }
    errMsg_ = std::string(result ? "(Open - Clipboard Open Ok. " : "(Open - Could Not Open Clipboard. ") +
              "  OpenCount: " + std::to_string(openRefCount_) + ")";
    return result;
}

bool TClipView5::Close() {
    if (openRefCount_ == 0) {
        errMsg_ += "  (Close - ClipView Close Ok by Default, as Refcount was already 0.)";
        return false;
    }
    if (--openRefCount_ > 0)
        return false;
    isOpen_ = false;
    lastUpdate_ = desktop_.Clock().Now();
    desktop_.Clipboard().CloseClipboard();
    ownActivity_ = false;
    errMsg_ += "  (Close - ClipView Close Ok.)";
    return true;
}

void TClipView5::clear() {
    desktop_.Clipboard().EmptyClipboard();
    ownActivity_ = true;
    errMsg_ += "  (ClipView Cleared Ok.)";
}

bool TClipView5::SetIgnore() {
    if (!isOpen_)
        return false;
    const HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, IgnoreBlockSize);
    if (h == 0)
        return false;
    std::memcpy(GlobalLock(h), IgnoreMarkerText.data(), IgnoreMarkerText.size());
    GlobalUnlock(h);
    if (desktop_.Clipboard().SetClipboardData(ignoreFormat_, h) == 0)
        GlobalFree(h);
    return true;
}

void TClipView5::ReadFormats() {
    const bool opened = Open();
    formatNums_.clear();
    formatNames_.clear();
    if (!isOpen_) {
        // Another program holds the clipboard, perhaps half-written: nothing of it is listed.
        errMsg_ = "(Error in ReadFormats - Clipboard Not Open.  OpenCount: " + std::to_string(openRefCount_) + ")";
        return;
    }
    IClipboard& cb = desktop_.Clipboard();
    const int count = cb.CountClipboardFormats();
    UINT format = 0;
    for (int i = 0; i < count; ++i) {
        format = cb.EnumClipboardFormats(format);
        if (format == 0)
            break;
        formatNums_.push_back(std::to_string(format));
        formatNames_.push_back(names_.ConvertFormatNum(format));
    }
    if (opened)
        Close();
}

bool TClipView5::HasFormatName(std::string_view name) const {
    return std::any_of(formatNames_.begin(), formatNames_.end(),
                       [name](const std::string& n) { return SameText(n, name); });
}

bool TClipView5::HasFormatNum(UINT format) const {
    const std::string text = std::to_string(format);
    return std::find(formatNums_.begin(), formatNums_.end(), text) != formatNums_.end();
}

std::string TClipView5::GetCreator() {
    // Formats that name their source application by themselves.
    const bool text = HasFormatNum(CF_TEXT);
    const bool picture = HasFormatNum(CF_METAFILEPICT);
    const char* fingerprint = nullptr;
    if (HasFormatName("Csv") && picture && text && HasFormatName("Wk1") && HasFormatName("Biff"))
        fingerprint = "EXCEL";
    else if (picture && HasFormatName("Biff5") && !text)
        fingerprint = "EXCEL Picture";
    else if (HasFormatName("WordPerfect 8 Text") || HasFormatName("WordPerfect 7 Text") ||
             HasFormatName("WordPerfect 6 Text"))
        fingerprint = "WordPerfect";
    else if (HasFormatName("Ami Text Format"))
        fingerprint = "Ami Pro";
    else if (HasFormatName("VBControls"))
        fingerprint = "Visual Basic Controls";
    if (fingerprint != nullptr) {
        ownerMethod_ = "Fingerprint";
        return fingerprint;
    }

    std::string name;
    const HWND owner = desktop_.Clipboard().GetClipboardOwner();
    if (owner != NoWindow) {
        std::string path;
        if (GetOwnerWithSnapshot(owner, path) || GetOwnerNT(owner, path)) {
            name = ProgramName(path);
            ownerMethod_ += ":Using Clipboard Owner Handle";
        } else {
            name = TopWindowName();
            ownerMethod_ += ":Using Top Window";
        }
    } else {
        name = "WINDOWS";
        if (desktop_.Clipboard().IsClipboardFormatAvailable(CF_TEXT)) {
            name = TopWindowName();
            ownerMethod_ += ":Using TopWindow with OwnerWnd=0";
        }
    }

    // An embedded document names its type in the object descriptor.
    for (std::size_t i = 0; i < formatNames_.size(); ++i) {
        if (!SameText(formatNames_[i], "Object Descriptor"))
            continue;
        if (Open()) {
            bool readOk = false;
            const std::string typeName =
                ObjectDescriptorTypeName(static_cast<UINT>(std::stoul(formatNums_[i])), readOk);
            name += readOk ? ":" + typeName : ":0";
            Close();
        }
        break;
    }
    return UpperCase(name);
}

std::string TClipView5::ObjectDescriptorTypeName(UINT format, bool& readOk) {
    // The full-user-type-name field of the descriptor holds the offset of the type name in the block.
    constexpr std::size_t TypeNameOffsetField = 44;
    constexpr std::size_t MinBlock = 64;
    constexpr std::size_t WideScanReserve = 52;
    constexpr std::size_t MaxTypeName = 40;

    readOk = false;
    const HANDLE h = desktop_.Clipboard().GetClipboardData(format);
    const std::size_t size = GlobalSize(h);
    const std::uint8_t* p = GlobalLock(h);
    if (p == nullptr)
        return {};
    readOk = true;
    std::string text;
    if (size > MinBlock) {
        const std::uint32_t offset = static_cast<std::uint32_t>(p[TypeNameOffsetField]) |
                                     static_cast<std::uint32_t>(p[TypeNameOffsetField + 1]) << 8 |
                                     static_cast<std::uint32_t>(p[TypeNameOffsetField + 2]) << 16 |
                                     static_cast<std::uint32_t>(p[TypeNameOffsetField + 3]) << 24;
        if (offset < size) {
            const bool singleByte = offset + 1 < size && p[offset] != 0 && p[offset + 1] != 0;
            if (singleByte) {
                for (std::size_t i = offset; i < size && p[i] != 0 && text.size() < MaxTypeName; ++i)
                    text += static_cast<char>(p[i]);
            } else {
                const std::size_t end = std::min(size, offset + (size - WideScanReserve));
                int othersInRow = 0;
                for (std::size_t i = offset; i < end && text.size() < MaxTypeName; ++i) {
                    const std::uint8_t c = p[i];
                    if ((c >= 'A' && c <= 'z') || c == ' ') {
                        text += static_cast<char>(c);
                        othersInRow = 0;
                    } else if (++othersInRow == 2) {
                        break;
                    }
                }
            }
            const auto cut = std::find_if(text.begin(), text.end(), [](unsigned char c) { return c < 32 || c > 122; });
            text.erase(cut, text.end());
        }
    }
    GlobalUnlock(h);
    return text;
}

std::string TClipView5::TopWindowName() {
    const HWND foreground = desktop_.Windows().GetForegroundWindow();
    std::string title = desktop_.Windows().GetWindowText(foreground).substr(0, MaxWindowTitle);
    std::string path;
    if (GetOwnerWithSnapshot(foreground, path) || GetOwnerNT(foreground, path))
        return ProgramName(path);
    for (const std::string& known : knownAppTitles_) {
        if (title.find(known) != std::string::npos) {
            ownerMethod_ = "TitleFoundInTable";
            return known;
        }
    }
    if (const std::size_t dash = title.find('-'); dash != std::string::npos)
        title = Trim(std::string_view(title).substr(0, dash));
    if (const std::size_t bracket = title.find('['); bracket != std::string::npos)
        title = TrimRight(std::string_view(title).substr(0, bracket));
    if (title.empty())
        title = "Windows";
    ownerMethod_ = "WindowTitle";
    return title.substr(0, 39);
}

bool TClipView5::GetOwnerWithSnapshot(HWND hwnd, std::string& path) {
    const ProcessLookupMeans means = desktop_.Processes().LookupMeans();
    if (!(means.snapshotCreate && means.snapshotFirst && means.snapshotNext))
        return false;
    ownerMethod_ = "GetOwnerWithSnapshot";
    const std::uint32_t pid = desktop_.Windows().GetWindowProcessId(hwnd);
    const auto snapshot = desktop_.Processes().ProcessSnapshot();
    if (!snapshot)
        return false;
    for (const ProcessEntry& entry : *snapshot) {
        if (entry.pid == pid && pid != 0) {
            path = UpperCase(entry.exeFile);
            return !path.empty();
        }
    }
    return false;
}

bool TClipView5::GetOwnerNT(HWND hwnd, std::string& path) {
    const ProcessLookupMeans means = desktop_.Processes().LookupMeans();
    if (!(means.moduleFileName && means.moduleBaseName))
        return false;
    ownerMethod_ = "GetOwnerNT";
    const std::uint32_t pid = desktop_.Windows().GetWindowProcessId(hwnd);
    const ProcessImage image = desktop_.Processes().OpenProcessImage(pid);
    if (!image.opened) {
        path = pid != 0 ? "Error In GetOwnerNT" : "Idle";
        return false;
    }
    if (image.path.empty()) {
        path = "System";
        return false;
    }
    path = image.path;
    return true;
}

std::string TClipView5::GetWindowFileName(HWND hwnd) {
    std::string path;
    if (GetOwnerWithSnapshot(hwnd, path) || GetOwnerNT(hwnd, path)) {
        ownerMethod_ = "GetWindowFileName";
        return ProgramName(path);
    }
    return "Unknown";
}

std::string TClipView5::NextInLineName() {
    if (nextViewer_ == Handle())
        return "Brindlex";
    std::string name = GetWindowFileName(nextViewer_);
    return name.empty() ? "Application Name Unavailable" : name;
}

std::string TClipView5::FirstInLineName() {
    const HWND first = desktop_.Clipboard().GetClipboardViewer();
    if (first == Handle())
        return "Brindlex";
    if (first == NoWindow)
        return "Error - ZERO Handle";
    std::string name = GetWindowFileName(first);
    return name.empty() ? "Application Name Unavailable" : name;
}

int TClipView5::Ping() {
    if (isOpen_) {
        errMsg_ += "  (ClipView Ping - error Clipboard Open by ME!)";
        return -1;
    }
    if (ownActivity_) {
        errMsg_ += "  (ClipView Ping - error Detected My Own Echo.)";
        return -2;
    }
    if (!Open()) {
        errMsg_ += "  (ClipView Ping - error cannot open clipboard)";
        return -4;
    }
    pingSentAt_ = desktop_.Clock().Now();
    pingDoneAt_ = 0;
    const std::string text = "Ping:" + FormatTime(pingSentAt_);
    const HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, PingBlockSize);
    if (h != 0) {
        std::memcpy(GlobalLock(h), text.data(), std::min(text.size(), PingBlockSize - 1));
        GlobalUnlock(h);
        if (desktop_.Clipboard().SetClipboardData(pingFormat_, h) == 0)
            GlobalFree(h);
    }
    SetIgnore();
    pingPending_ = true;
    desktop_.Windows().SetTimer(Handle(), TimerPingTimeout, PingTimeoutMs, TimerKind::OneShot);
    Close();
    return 0;
}

void TClipView5::EndPing(bool success) {
    if (success) {
        badPings_ = 0;
        // Seconds and milliseconds of the round trip; minutes and hours do not count.
        const std::int64_t ms = MsFromDateTime(pingDoneAt_) - MsFromDateTime(pingSentAt_);
        pingResult_ = static_cast<std::int32_t>(((ms % 60'000) + 60'000) % 60'000);
    } else {
        ++badPings_;
        pingResult_ = PingResultTimeout;
    }
    Raise(OnPingEnd);
}

} // namespace bx::cliplink
