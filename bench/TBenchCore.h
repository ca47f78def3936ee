#pragma once

#include "SimApp.h"
#include "SimDataFolderDialog.h"
#include "SimDateTimeFormat.h"
#include "SimDesktop.h"
#include "SimMessageBoxes.h"
#include "SimUserDirs.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TDataSourceList.h"

#include <memory>
#include <string>
#include <vector>

namespace bx::bench {

// The program's non-visual core on the simulated desktop, as a test sets it up: settings from an empty
// store, the default data folder under XDG_DATA_HOME = root + "share" (where a TWorkload keeps its data
// source), no window, and a log file only when a log directory is given. Startup has run; the data is loaded only when
// LoadData is called, so that a benchmark can time that call alone. Two other programs copy: a text editor and a
// picture program.
class TBenchCore {
public:
    explicit TBenchCore(const std::string& root, const std::string& logDirectory = std::string());
    ~TBenchCore();
    TBenchCore(const TBenchCore&) = delete;
    TBenchCore& operator=(const TBenchCore&) = delete;

    // What the deferred start-up does: loads the data.
    void Load();
    shell::TBrindlexCore& Core() { return *core_; }
    platform::sim::SimDesktop& Desk() { return desk_; }
    shell::TAppSettings& Settings() { return *settings_; }
    platform::sim::SimApp& Editor() { return editor_; }
    platform::sim::SimApp& Paint() { return paint_; }
    // The collection with this title; nullptr before loading or when there is none.
    clipstore::TClipColl* Coll(const std::string& title) const;
    // Lets a clipboard change reach the core (the configured delay) and the echo time of the program's
    // own clipboard writes pass, in virtual time.
    void Settle();

private:
    platform::sim::SimDesktop desk_;
    platform::sim::SimMessageBoxes boxes_;
    platform::sim::SimUserDirs dirs_;
    platform::sim::SimDataFolderDialog folderDialog_;
    platform::sim::SimDateTimeFormat dateFormat_;
    clipstore::TDataSourceList sources_;
    std::vector<std::string> noCtrlV_;
    std::unique_ptr<shell::TAppSettings> settings_;
    std::unique_ptr<shell::TBrindlexCore> core_;
    platform::sim::SimApp editor_{desk_, "/usr/bin/gedit", "notes.txt - gedit"};
    platform::sim::SimApp paint_{desk_, "/usr/bin/kolourpaint", "picture.png - KolourPaint"};
};

} // namespace bx::bench
