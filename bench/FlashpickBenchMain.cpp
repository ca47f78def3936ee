// brindlex-flashpick-bench: Flashpick on the real X server ($DISPLAY, e.g. under xvfb-run; openbox is started
// when no window manager runs), as the user feels it: the program's main window on its core, the hot keys
// and the paste tools joined as the program joins them, and a Qt text window of another program
// (bx_text_window) in front as the target; every key is an XTest press. Each run is a fresh window and
// core with three clips:
// - flashpick.show.cold: from the press of the Flashpick key (Shift+Ctrl+Q) to the clip list's viewport
//   painted with the pick layout up, the first Flashpick of the window (shown as at a start, never in its
//   pick layout before);
// - flashpick.show.warm: the same again after Escape gave the target the focus back;
// - flashpick.paste: from Enter pressed in the pick list (after Down) to the paste keystroke's V key
//   going down; flashpick.paste.done: to Flashpick ended (PasteInto's waits after the keystroke
//   included); flashpick.e2e: to the clip's text in the target.
// Prints the table and one JSON line per figure.
#include "TFigureTable.h"
#include "TPasteInto.h"
#include "TX11FlashpickRun.h"
#include "WindowManagerRun.h"

#include <QApplication>
#include <QProcessEnvironment>

#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>

namespace {

using bx::bench::TFigureTable;
using bx::bench::TX11FlashpickRun;
using bx::pastetools::TPasteInto;

constexpr int Runs = 7;

std::string Ms(double ms) {
    std::ostringstream out;
    out << std::fixed << std::setprecision(1) << ms << " ms";
    return out.str();
}

} // namespace

int main(int argc, char* argv[]) {
    if (const char* display = std::getenv("DISPLAY"); display == nullptr || *display == '\0') {
        std::cerr << "brindlex-flashpick-bench needs an X display (run it under xvfb-run -a)\n";
        return 2;
    }
    // Real X windows, the target's included, also where the environment asks for offscreen ones.
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    bx::pastetools::x11test::WindowManagerRun wm;
    std::string setting = "openbox";
    if (const std::string why = wm.Start(QProcessEnvironment::systemEnvironment()); !why.empty()) {
        std::cerr << "no window manager: " << why << "\n";
        setting = "no window manager";
    }

    TFigureTable::Figure cold{"flashpick.show.cold", "ms", {}, std::nullopt, ""};
    TFigureTable::Figure warm{"flashpick.show.warm", "ms", {}, std::nullopt, ""};
    TFigureTable::Figure paste{"flashpick.paste", "ms", {}, std::nullopt, ""};
    TFigureTable::Figure done{"flashpick.paste.done", "ms", {}, std::nullopt, ""};
    TFigureTable::Figure e2e{"flashpick.e2e", "ms", {}, std::nullopt, ""};
    std::string failure;
    for (int i = 0; i < Runs && failure.empty(); ++i) {
        TX11FlashpickRun run(BX_X11_PEER, BX_TEXT_WINDOW, i);
        if (const double ms = run.Show(); ms >= 0) {
            cold.Runs.push_back(ms);
            if (i == 0)
                cold.Note = "first in the process " + Ms(ms) + "; ";
        }
        if (run.Escape())
            if (const double ms = run.Show(); ms >= 0)
                warm.Runs.push_back(ms);
        const TX11FlashpickRun::Paste p = run.PasteNextRow();
        if (p.TextMs >= 0) {
            paste.Runs.push_back(p.KeyMs);
            done.Runs.push_back(p.DoneMs);
            e2e.Runs.push_back(p.TextMs);
        }
        failure = run.Failure();
    }
    constexpr unsigned waits = TPasteInto::KeyWaitMs + TPasteInto::SettleWaitMs;
    const std::string waitText =
        std::to_string(TPasteInto::KeyWaitMs) + " + " + std::to_string(TPasteInto::SettleWaitMs) + " ms waits";
    cold.Note += "a fresh window and core each run; " + setting;
    warm.Note = "after Escape, the target in front; " + setting;
    paste.Note = "PasteInto sends the keystroke first: its " + waitText + " come after it";
    done.Note = "includes PasteInto's " + waitText;
    e2e.Note = "the target's read waits for PasteInto's " + waitText + " (one thread)";
    if (!done.Runs.empty()) {
        const std::string without = Ms(done.Median() - waits);
        done.Note += "; " + without + " without them";
        e2e.Note += "; " + Ms(e2e.Median() - waits) + " without them";
    }
    TFigureTable table("X11");
    for (TFigureTable::Figure* f : {&cold, &warm, &paste, &done, &e2e}) {
        if (!failure.empty())
            f->Note += "; " + failure;
        table.Add(std::move(*f));
    }
    table.PrintTable(std::cout);
    table.PrintJson(std::cout);
    return failure.empty() ? 0 : 1;
}
