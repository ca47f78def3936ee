#pragma once

#include "TEvent.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bx::platform::x11 {
class XcbConnection;
}

namespace bx::explorer {
class TfrmBX;
}

namespace bx::pastetools {
class TFlashpick;
class THotKeyBindings;
class TPasteInto;
class TRelayfeed;
class TSendKey;
} // namespace bx::pastetools

namespace bx::bench {

class TStampedKeyboard;
class TX11CaptureRun;

// Flashpick as a user feels it on the real X server ($DISPLAY, a window manager running): the program's
// main window (explorer::TfrmBX, shown as at a start) on the running core of a capture run, joined to
// Relayfeed, the keystroke sender, PasteInto, Flashpick and the global hot keys as the program's entry
// joins them, three clips copied by another program (bx_x11_peer), and a text window of another program
// (bx_text_window) in front as the paste target. The keys are XTest presses through the desktop's
// keyboard; the sender types through a keyboard that stamps the paste keystroke's V going down.
// Each instance is a fresh window and core: its first Show is the pick layout's first ever.
class TX11FlashpickRun : public QObject {
public:
    using Clock = std::chrono::steady_clock;

    // peer: bx_x11_peer; textWindow: bx_text_window; tag: makes this instance's clips unlike earlier ones.
    TX11FlashpickRun(const QString& peer, const QString& textWindow, int tag);
    ~TX11FlashpickRun() override;
    TX11FlashpickRun(const TX11FlashpickRun&) = delete;
    TX11FlashpickRun& operator=(const TX11FlashpickRun&) = delete;

    // Empty while all went well; else what went wrong first (later steps then do nothing).
    const std::string& Failure() const { return failure_; }

    // The Flashpick key (Shift+Ctrl+Q) pressed in the target: the milliseconds from the press to the clip
    // list's viewport painted (the paint done) with the pick layout up; then waits until the list has
    // the keyboard focus. Negative on failure.
    double Show();
    // Escape in the pick list: true once Flashpick has ended and the target has the focus again.
    bool Escape();

    struct Paste {
        // From Enter's press to the paste keystroke's V down.
        double KeyMs = -1;
        // From Enter's press to Flashpick ended (PasteInto and its waits returned, the layout restored).
        double DoneMs = -1;
        // From Enter's press to the clip's text in the target.
        double TextMs = -1;
    };
    // In the pick list that Show brought up: Down (the next clip goes on the clipboard), then Enter.
    Paste PasteNextRow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Fail(std::string why);
    // Runs the event loop, at most ms, until the editor prints the line (after the lines read before);
    // with rest, a line that begins with it, whose remainder goes to rest.
    bool EditorSays(const QByteArray& line, int ms, QByteArray* rest = nullptr);
    // The text window has the X input focus and is the active window. (Its own "focused" cannot tell: Qt reports no
    // loss of the focus when the focus comes back within 100 ms, as it does after a quick pick.)
    bool TargetFocused() const;
    // The X input focus, and whether the pick list has the keyboard focus for X and for Qt.
    std::uint32_t FocusWindow() const;
    bool PickListFocused() const;
    void Press(std::uint8_t vk);

    std::string failure_;
    std::unique_ptr<platform::x11::XcbConnection> xcb_;
    QStringList texts_;
    std::unique_ptr<explorer::TfrmBX> window_;
    std::unique_ptr<TX11CaptureRun> run_;
    std::unique_ptr<TStampedKeyboard> keyboard_;
    std::unique_ptr<pastetools::TRelayfeed> relayfeed_;
    std::unique_ptr<pastetools::TSendKey> sendKey_;
    std::unique_ptr<pastetools::TPasteInto> pasteInto_;
    std::unique_ptr<pastetools::TFlashpick> flashpick_;
    std::unique_ptr<pastetools::THotKeyBindings> hotKeys_;
    std::vector<platform::TSubscription> subscriptions_;
    QProcess editor_;
    QByteArray editorSaid_;
    qsizetype editorSeen_ = 0;
    std::uint32_t editorWindow_ = 0;
    // Set while a Show waits for the pick list's paint.
    int keysHeard_ = 0;
    bool awaitingPaint_ = false;
    bool painting_ = false;
    std::optional<Clock::time_point> painted_;
};

} // namespace bx::bench
