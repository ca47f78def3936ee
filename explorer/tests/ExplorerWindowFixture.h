#pragma once

#include "CoreTestFixture.h"
#include "TClipObj.h"
#include "TfrmBX.h"

#include <QApplication>

#include <cstring>
#include <memory>
#include <string>

namespace bx::explorer::test {

// A running core on the simulated desktop with the explorer window over it.
class ExplorerWindowFixture : public shell::coretest::CoreFixture {
protected:
    // Makes the window and the core, shows the window at the screen's top left and lets the start-up
    // and the deferred load run. explorer: in the explorer view (else the stored view, the traditional
    // one by default), at the size asked for.
    void StartWindow(int width = 1000, int height = 700, bool explorer = true) {
        if (explorer)
            settings->CurrentSnap = 5;
        window = std::make_unique<TfrmBX>();
        core = std::make_unique<shell::TBrindlexCore>(shell::TBrindlexCore::Environment{
            desk, *settings, sources, boxes, dateFormat, root + "log/", window.get()});
        window->SetCore(core.get(), &desk);
        window->resize(width, height);
        window->move(0, 0);
        window->show();
        core->Startup({});
        // The stored view's geometry fits the screen (the offscreen one is small): the tests' size wins.
        if (explorer) {
            window->resize(width, height);
            window->move(0, 0);
        }
        desk.Advance(1100);
        QApplication::processEvents();
    }
    void TearDown() override {
        if (window != nullptr)
            window->SetCore(nullptr, nullptr);
        core.reset();
        window.reset();
        CoreFixture::TearDown();
    }

    // The clip's text as stored, up to its terminating zero.
    static std::string ClipText(clipstore::TClipObj& clip) {
        const std::size_t size = clip.Lock(platform::CF_TEXT);
        const auto* start = reinterpret_cast<const char*>(clip.LockedData);
        std::string text(start, strnlen(start, size));
        clip.Unlock();
        return text;
    }

    std::unique_ptr<TfrmBX> window;
};

} // namespace bx::explorer::test
