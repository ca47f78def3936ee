#include "TX11FlashpickRun.h"

#include "IDesktop.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipListModel.h"
#include "TFlashpick.h"
#include "THotKeyBindings.h"
#include "TPasteInto.h"
#include "TRelayfeed.h"
#include "TSendKey.h"
#include "TStampedKeyboard.h"
#include "TX11CaptureRun.h"
#include "TfrmBX.h"
#include "VirtualKeys.h"
#include "XcbConnection.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QTableView>
#include <QWindow>

#include <cstring>
#include <functional>

namespace bx::bench {

using platform::KEYEVENTF_KEYUP;

namespace {

constexpr int StepMs = 5000;

double MsSince(TX11FlashpickRun::Clock::time_point start, TX11FlashpickRun::Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

} // namespace

TX11FlashpickRun::TX11FlashpickRun(const QString& peer, const QString& textWindow, int tag)
    : xcb_(platform::x11::XcbConnection::Open()), window_(std::make_unique<explorer::TfrmBX>()) {
    if (!xcb_) {
        Fail("no X display");
        return;
    }
    run_ = std::make_unique<TX11CaptureRun>(peer, std::nullopt, window_.get());
    if (!run_->Ready()) {
        Fail("the program's core did not load its data");
        return;
    }
    // Newest first in the list: row 0 is the last copy.
    for (int i = 0; i < 3; ++i) {
        texts_.push_back(QString("flashpick clip %1-%2").arg(tag).arg(i));
        if (run_->Measure(texts_.back().toUtf8(), "UTF8_STRING") < 0) {
            Fail("a copy was not captured");
            return;
        }
    }
    // Joined as the program's entry joins them.
    platform::IDesktop& desktop = run_->Desktop();
    shell::TBrindlexCore& core = run_->Core();
    window_->SetCore(&core, &desktop);
    relayfeed_ = std::make_unique<pastetools::TRelayfeed>(core, desktop, run_->Boxes());
    window_->SetRelayfeed(relayfeed_.get());
    keyboard_ = std::make_unique<TStampedKeyboard>(desktop.Keyboard(), static_cast<std::uint8_t>('V'));
    sendKey_ = std::make_unique<pastetools::TSendKey>(*keyboard_, desktop.Windows());
    pasteInto_ = std::make_unique<pastetools::TPasteInto>(desktop, core, *sendKey_, run_->NoCtrlVList());
    flashpick_ = std::make_unique<pastetools::TFlashpick>(core, desktop, run_->Boxes(), *pasteInto_, *relayfeed_);
    window_->SetFlashpick(flashpick_.get());
    // The core has started already: the keys are registered here rather than at its start.
    hotKeys_ = std::make_unique<pastetools::THotKeyBindings>(core, desktop, run_->Boxes());
    hotKeys_->SetHotKeys();
    if (hotKeys_->ID(pastetools::THotKeyBindings::HKFlashpick) == 0) {
        Fail("the Flashpick key " + run_->Settings().HKFlashpick + " could not be registered");
        return;
    }
    subscriptions_.push_back(hotKeys_->Flashpick.Subscribe([this] {
        ++keysHeard_;
        flashpick_->Flashpick();
    }));
    window_->List()->viewport()->installEventFilter(this);

    // The window as at a start, then the user's editor in front of it.
    window_->show();
    if (!TX11CaptureRun::RunEventsUntil(
            StepMs, [this] { return window_->windowHandle() != nullptr && window_->windowHandle()->isExposed(); })) {
        Fail("the main window was not shown");
        return;
    }
    editor_.start(textWindow, {});
    QByteArray window;
    if (!editor_.waitForStarted(StepMs) || !EditorSays("window ", StepMs, &window)) {
        Fail("the text window did not start");
        return;
    }
    editorWindow_ = window.toUInt();
    if (!TX11CaptureRun::RunEventsUntil(StepMs, [this] { return TargetFocused() && !window_->isActiveWindow(); }))
        Fail("the text window did not come up in front");
}

TX11FlashpickRun::~TX11FlashpickRun() {
    if (editor_.state() != QProcess::NotRunning) {
        editor_.kill();
        editor_.waitForFinished(StepMs);
    }
    if (window_ != nullptr && window_->List() != nullptr)
        window_->List()->viewport()->removeEventFilter(this);
    subscriptions_.clear();
    hotKeys_.reset();
    if (flashpick_ != nullptr)
        window_->SetFlashpick(nullptr);
    flashpick_.reset();
    pasteInto_.reset();
    sendKey_.reset();
    if (relayfeed_ != nullptr) {
        window_->SetRelayfeed(nullptr);
        relayfeed_->RFOff(false);
    }
    relayfeed_.reset();
    window_->SetCore(nullptr, nullptr);
    run_.reset();
    window_.reset();
}

bool TX11FlashpickRun::Fail(std::string why) {
    if (failure_.empty())
        failure_ = std::move(why);
    return false;
}

std::uint32_t TX11FlashpickRun::FocusWindow() const {
    xcb_connection_t* conn = xcb_->Raw();
    const platform::x11::XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(conn, xcb_get_input_focus(conn), nullptr));
    return focus ? focus->focus : 0;
}

bool TX11FlashpickRun::TargetFocused() const {
    if (editorWindow_ == 0 || FocusWindow() != editorWindow_)
        return false;
    // The window manager names it the active window too (Flashpick's target is that window).
    const auto active = xcb_->GetProperty(xcb_->Root(), xcb_->Atom("_NET_ACTIVE_WINDOW"), false);
    if (!active || active->format != 32 || active->bytes.size() < 4)
        return true;
    std::uint32_t window = 0;
    std::memcpy(&window, active->bytes.data(), 4);
    return window == editorWindow_;
}

bool TX11FlashpickRun::PickListFocused() const {
    return FocusWindow() == window_->winId() && window_->isActiveWindow() && window_->List()->hasFocus();
}

bool TX11FlashpickRun::EditorSays(const QByteArray& line, int ms, QByteArray* rest) {
    return TX11CaptureRun::RunEventsUntil(ms, [&] {
        editorSaid_ += editor_.readAllStandardOutput();
        for (qsizetype end = editorSaid_.indexOf('\n', editorSeen_); end >= 0;
             end = editorSaid_.indexOf('\n', editorSeen_)) {
            const QByteArray said = editorSaid_.mid(editorSeen_, end - editorSeen_);
            editorSeen_ = end + 1;
            if (rest != nullptr ? said.startsWith(line) : said == line) {
                if (rest != nullptr)
                    *rest = said.mid(line.size());
                return true;
            }
        }
        return false;
    });
}

void TX11FlashpickRun::Press(std::uint8_t vk) {
    platform::IKeyboard& keys = run_->Desktop().Keyboard();
    keys.KeyEvent(vk, 0, 0);
    keys.KeyEvent(vk, 0, KEYEVENTF_KEYUP);
}

bool TX11FlashpickRun::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Paint || !awaitingPaint_ || painting_ || flashpick_ == nullptr ||
        !flashpick_->FPActive())
        return QObject::eventFilter(watched, event);
    // The paint runs here, through the viewport's other filters, so that its end can be stamped.
    painting_ = true;
    QCoreApplication::sendEvent(watched, event);
    painting_ = false;
    painted_ = Clock::now();
    awaitingPaint_ = false;
    return true;
}

double TX11FlashpickRun::Show() {
    if (!failure_.empty())
        return -1;
    platform::IKeyboard& keys = run_->Desktop().Keyboard();
    painted_.reset();
    awaitingPaint_ = true;
    keys.KeyEvent(platform::VK_SHIFT, 0, 0);
    keys.KeyEvent(platform::VK_CONTROL, 0, 0);
    const Clock::time_point pressed = Clock::now();
    keys.KeyEvent('Q', 0, 0);
    keys.KeyEvent('Q', 0, KEYEVENTF_KEYUP);
    keys.KeyEvent(platform::VK_CONTROL, 0, KEYEVENTF_KEYUP);
    keys.KeyEvent(platform::VK_SHIFT, 0, KEYEVENTF_KEYUP);
    const bool drawn = TX11CaptureRun::RunEventsUntil(StepMs, [this] { return painted_.has_value(); });
    awaitingPaint_ = false;
    if (!drawn) {
        Fail("the pick list was not drawn within 5 s of the Flashpick key (heard " + std::to_string(keysHeard_) +
             " times, Flashpick " + (flashpick_->FPActive() ? "active" : "not active") + ")");
        return -1;
    }
    // The keys that follow go to the pick list.
    if (!TX11CaptureRun::RunEventsUntil(StepMs, [this] { return PickListFocused(); })) {
        Fail("the pick list did not get the keyboard focus");
        return -1;
    }
    return MsSince(pressed, *painted_);
}

bool TX11FlashpickRun::Escape() {
    if (!failure_.empty())
        return false;
    Press(platform::VK_ESCAPE);
    if (!TX11CaptureRun::RunEventsUntil(StepMs, [this] { return !flashpick_->FPActive(); }))
        return Fail("Escape did not end Flashpick");
    // The program has seen its window lose the focus too: Qt reports that 100 ms late, and a Flashpick
    // key pressed before leaves the window with the X focus but without an active window in Qt (the pick
    // list would not get the keys).
    if (!TX11CaptureRun::RunEventsUntil(
            StepMs, [this] { return TargetFocused() && QGuiApplication::focusWindow() == nullptr; }))
        return Fail("Escape did not give the text window the focus");
    return true;
}

TX11FlashpickRun::Paste TX11FlashpickRun::PasteNextRow() {
    Paste result;
    if (!failure_.empty())
        return result;
    shell::TBrindlexCore& core = run_->Core();
    const clipstore::TClipObj* before = core.CurrentClip();
    const bool focused = PickListFocused();
    Press(platform::VK_DOWN);
    if (!TX11CaptureRun::RunEventsUntil(
            StepMs, [&] { return core.CurrentClip() != before && core.CurrentClip() != nullptr; })) {
        Fail(std::string("Down in the pick list did not select the next clip (row ") +
             std::to_string(core.ClipList().RowOf(core.CurrentClip())) + (focused ? ", focused)" : ", not focused)"));
        return result;
    }
    QString text;
    for (qsizetype row = 0; row < texts_.size(); ++row)
        if (core.ClipList().Clip(static_cast<std::size_t>(row)) == core.CurrentClip())
            text = texts_[texts_.size() - 1 - row];
    keyboard_->Reset();
    const Clock::time_point entered = Clock::now();
    Press(platform::VK_RETURN);
    std::optional<Clock::time_point> done;
    if (!TX11CaptureRun::RunEventsUntil(StepMs, [&] {
            if (!done && !flashpick_->FPActive())
                done = Clock::now();
            return keyboard_->Stamp().has_value() && done.has_value();
        })) {
        Fail("Enter in the pick list sent no paste keystroke");
        return result;
    }
    result.KeyMs = MsSince(entered, *keyboard_->Stamp());
    result.DoneMs = MsSince(entered, *done);
    if (!EditorSays("text " + text.toUtf8().toPercentEncoding(), StepMs)) {
        Fail("the clip's text did not reach the text window");
        return result;
    }
    result.TextMs = MsSince(entered, Clock::now());
    return result;
}

} // namespace bx::bench
