// A running program on the simulated desktop: settings read from an empty store, a fresh data
// directory, the core started and its data loaded, a text editor and a picture program to copy from.
#pragma once

#include "GlobalMemory.h"
#include "IMainView.h"
#include "SimApp.h"
#include "SimDataFolderDialog.h"
#include "SimDateTimeFormat.h"
#include "SimDesktop.h"
#include "SimMessageBoxes.h"
#include "SimUserDirs.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TDataSourceList.h"
#include "TMasterList.h"
#include "TestDib.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace bx::shell::coretest {

using platform::sim::Bytes;

class RecordingView : public IMainView {
public:
    void ShowStatus(int, bool busy, const std::string& text) override {
        Statuses.push_back(text);
        Busy = busy;
    }
    void SetPreviewVisible(bool visible) override { PreviewVisible = visible; }
    void SetPasteEnabled(bool enabled) override { PasteEnabled = enabled; }
    void BringToFront() override { ++Raised; }
    void Minimize() override { ++Minimized; }
    void ForgetClips() override { ++Forgotten; }

    std::vector<std::string> Statuses;
    bool Busy = false;
    bool PreviewVisible = true;
    bool PasteEnabled = false;
    int Raised = 0;
    int Minimized = 0;
    int Forgotten = 0;
};

using testsupport::SeededDib;
using testsupport::TextBytes;

class CoreFixture : public ::testing::Test {
protected:
    void SetUp() override {
        static std::atomic<int> counter{0};
        root = (std::filesystem::temp_directory_path() /
                ("bx_core_" + std::to_string(::getpid()) + "_" + std::to_string(counter++)))
                   .string() +
               "/";
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        dirs.Environment["XDG_DATA_HOME"] = root + "share";
        // What the program writes among the user's settings (the session's autostart entry) stays in the test's
        // folder too.
        dirs.Environment["XDG_CONFIG_HOME"] = root + "config";
        settings = std::make_unique<TAppSettings>(desk.Registry(), dirs, boxes, folderDialog, sources, noCtrlV);
        settings->UseDefaultDataDirWithoutAsking = true;
        settings->ReadSettings({});
        dataDir = sources.Source(0)->Directory;
    }
    void TearDown() override {
        core.reset();
        std::error_code ec;
        std::filesystem::remove_all(root, ec);
        // A test that sets up again keeps the data source it had (in a root of before): what an ended run
        // left there (its capture journal) goes too.
        if (!dataDir.empty())
            std::filesystem::remove_all(dataDir, ec);
    }

    // Creates the core, starts it and lets the deferred start-up load the data.
    void Start(const std::vector<std::string>& args = {}) {
        MakeCore();
        Run(args);
    }
    // The two halves of Start, for a test that subscribes to the core's events before the start.
    void MakeCore() {
        core = std::make_unique<TBrindlexCore>(
            TBrindlexCore::Environment{desk, *settings, sources, boxes, dateFormat, root + "log/", &view});
    }
    void Run(const std::vector<std::string>& args = {}) {
        core->Startup(args);
        desk.Advance(1100);
    }

    // Lets a clipboard change reach the core (the configured delay), and lets the time pass in which
    // the viewer takes changes for echoes of the program's own clipboard use.
    void Settle() { desk.Advance(static_cast<std::uint64_t>(settings->DelayOnClipboardUpdate) + 400); }

    void CopyText(platform::sim::SimApp& app, const std::string& text) {
        ASSERT_TRUE(app.CopyText(text));
        Settle();
    }

    clipstore::TClipColl* Coll(const std::string& title) const {
        clipstore::TMasterList* master = core->MasterList();
        for (std::size_t i = 0; master != nullptr && i < master->Count(); ++i)
            if (master->Item(i)->Title == title)
                return master->Item(i);
        return nullptr;
    }

    // The text on the clipboard now, as the editor pastes it; empty when there is none.
    std::string ClipboardText() {
        platform::IClipboard& cb = desk.Clipboard();
        if (!cb.OpenClipboard(editor.Window()))
            return "(open failed)";
        std::string text;
        if (const platform::HANDLE h = cb.GetClipboardData(platform::CF_TEXT); h != 0) {
            const std::size_t size = platform::GlobalMemory::Size(h);
            const auto* p = reinterpret_cast<const char*>(platform::GlobalMemory::Lock(h));
            text.assign(p, strnlen(p, size));
            platform::GlobalMemory::Unlock(h);
        }
        cb.CloseClipboard();
        return text;
    }

    std::vector<std::string> SoundEvents() { return desk.SimulatedSound().Events(); }

    platform::sim::SimDesktop desk;
    platform::sim::SimMessageBoxes boxes;
    platform::sim::SimUserDirs dirs;
    platform::sim::SimDataFolderDialog folderDialog;
    platform::sim::SimDateTimeFormat dateFormat;
    clipstore::TDataSourceList sources;
    std::vector<std::string> noCtrlV;
    std::unique_ptr<TAppSettings> settings;
    RecordingView view;
    std::unique_ptr<TBrindlexCore> core;
    std::string root;
    std::string dataDir;
    platform::sim::SimApp editor{desk, "/usr/bin/gedit", "notes.txt - gedit"};
    platform::sim::SimApp paint{desk, "/usr/bin/kolourpaint", "picture.png - KolourPaint"};
};

} // namespace bx::shell::coretest
