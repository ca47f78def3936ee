// brindlex-bench: the figures users feel, measured on fixed workloads.
//
//   brindlex-bench run W20k|W100k [--root DIR] [--brindlex PATH] [--runs N] [--only STEP,...]
//   brindlex-bench generate W20k|W100k|W100k-10 [--root DIR]
//
// "run W100k" measures the one-collection W100k and loads and searches W100k-10 (ten collections)
// too. Workloads live under DIR (default /tmp/brindlex-bench) and are made again only when their
// parameters changed. Every figure is the median of N runs (default 5, at least 5) after one warm-up
// run, printed with minimum and maximum as a table, then as one JSON line per figure.
#include "TBenchCore.h"
#include "TCaptureJournal.h"
#include "TClipSearch.h"
#include "TFigureTable.h"
#include "TFilterBench.h"
#include "TJournalBench.h"
#include "TProcessRun.h"
#include "TWorkload.h"

#include "GlobalMemory.h"
#include "HeapTuning.h"
#include "SimApp.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipData.h"
#include "TClipName.h"
#include "TClipObj.h"
#include "TClipView5.h"
#include "TMasterList.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using bx::bench::TBenchCore;
using bx::bench::TFigureTable;
using bx::bench::TProcessRun;
using bx::bench::TWorkload;
using bx::clipstore::TClipColl;
using bx::clipstore::TClipObj;
using Figure = TFigureTable::Figure;
using Clock = std::chrono::steady_clock;

constexpr double MiB = 1024.0 * 1024.0;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// VmRSS and VmHWM of this process, in KiB.
std::map<std::string, long> ProcStatus() {
    std::map<std::string, long> values;
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        for (const char* key : {"VmRSS", "VmHWM"})
            if (line.rfind(std::string(key) + ":", 0) == 0)
                values[key] = std::atol(line.c_str() + std::strlen(key) + 1);
    return values;
}

struct Options {
    std::string Workload;
    std::string Root = "/tmp/brindlex-bench/";
    std::string Brindlex;
    int Runs = 5;
    // The steps to run (load, start, save, find, filter, disk, dump); empty: all.
    std::string Only;
    bool Wants(const std::string& step) const {
        return Only.empty() || ("," + Only + ",").find("," + step + ",") != std::string::npos;
    }
};

std::string ProgramDirectory() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("./") : self.parent_path().string() + "/";
}

void Log(const std::string& text) {
    std::cerr << "brindlex-bench: " << text << std::endl;
}

TWorkload Prepare(const Options& options, const std::string& name) {
    TWorkload::Params params;
    if (!TWorkload::Preset(name, params))
        throw std::runtime_error("unknown workload " + name);
    TWorkload workload(params, options.Root + name + "/");
    const auto start = Clock::now();
    if (workload.Ensure())
        Log("generated " + name + " in " + std::to_string(static_cast<int>(MsSince(start) / 1000)) + " s");
    return workload;
}

// Runs fn once as a warm-up and then runs times; fn returns one measurement.
template <typename Fn> std::vector<double> Repeat(int runs, Fn&& fn) {
    fn();
    std::vector<double> values;
    for (int i = 0; i < runs; ++i)
        values.push_back(fn());
    return values;
}

std::size_t TotalClips(const TWorkload& w) {
    const auto& p = w.Parameters();
    return static_cast<std::size_t>(p.ShortTexts + p.LongTexts + p.Bitmaps);
}

std::size_t LoadedClips(TBenchCore& bench) {
    std::size_t clips = 0;
    const bx::clipstore::TMasterList* master = bench.Core().MasterList();
    for (std::size_t i = 0; i < master->Count(); ++i)
        if (master->Item(i)->CollType == TClipColl::NormalColl)
            clips += master->Item(i)->Count();
    return clips;
}

// --- The figures -------------------------------------------------------------------------------------

// LoadData again and again in this process: the memory it needs was touched before.
Figure LoadCoreWarm(const TWorkload& w, int runs) {
    Figure f{"load.core.warm", "ms", {}, {}, "LoadData repeated in one process, no log file"};
    f.Runs = Repeat(runs, [&] {
        TBenchCore bench(w.Root());
        const auto start = Clock::now();
        bench.Load();
        const double ms = MsSince(start);
        if (LoadedClips(bench) != TotalClips(w))
            throw std::runtime_error("load: " + std::to_string(LoadedClips(bench)) + " clips loaded");
        return ms;
    });
    return f;
}

// The environment of a program start that finds the workload as its default data folder and nothing
// else of the user's: own settings, runtime folder (single-instance lock) and no display.
std::vector<std::string> ProgramEnvironment(const std::string& root, const std::string& scratch) {
    std::vector<std::string> env =
        TProcessRun::Environment({"DISPLAY", "WAYLAND_DISPLAY", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR",
                                  "HOME", "QT_QPA_PLATFORM"});
    fs::create_directories(scratch + "config");
    fs::create_directories(scratch + "run");
    fs::permissions(scratch + "run", fs::perms::owner_all, fs::perm_options::replace);
    env.push_back("XDG_DATA_HOME=" + root + "share");
    env.push_back("XDG_CONFIG_HOME=" + scratch + "config");
    env.push_back("XDG_RUNTIME_DIR=" + scratch + "run");
    env.push_back("HOME=" + scratch);
    env.push_back("QT_QPA_PLATFORM=offscreen");
    return env;
}

// The whole program from exec until the data is loaded (it ends from the loaded hook), and its peak
// resident size.
std::pair<Figure, Figure> LoadProcess(const Options& o, const std::string& root, const std::string& label, int runs) {
    const std::string scratch = o.Root + "scratch/";
    std::vector<double> peaks;
    Figure time{label.empty() ? "load.process" : "load.process." + label,
                "ms",
                {},
                {},
                "exec of brindlex --bench-exit-when-loaded until exit, offscreen, no display"};
    time.Runs = Repeat(runs, [&] {
        std::error_code ec;
        fs::remove_all(scratch, ec);
        const auto env = ProgramEnvironment(root, scratch);
        // Started through a small fresh process: a child forked from this one would count this
        // process's resident pages in its peak.
        const TProcessRun::Result spawner =
            TProcessRun::Run({ProgramDirectory() + "brindlex-bench", "spawn", o.Brindlex, "--default-data-dir",
                              "--bench-exit-when-loaded"},
                             env, 180000, true);
        TProcessRun::Result r;
        if (spawner.ExitCode != 0 ||
            std::sscanf(spawner.Output.c_str(), "%lf %d %ld", &r.Ms, &r.ExitCode, &r.MaxRssKiB) != 3 || r.ExitCode != 0)
            throw std::runtime_error("brindlex --bench-exit-when-loaded ended with " + std::to_string(r.ExitCode) +
                                     ": " + spawner.Output + spawner.Error);
        peaks.push_back(static_cast<double>(r.MaxRssKiB) / 1024.0);
        return r.Ms;
    });
    peaks.erase(peaks.begin());
    Figure peak{label.empty() ? "memory.process.peak" : "memory.process.peak." + label,
                "MiB",
                peaks,
                {},
                "VmHWM of that program when loaded (getrusage of the child)"};
    return {time, peak};
}

// One fresh process, as the program is when it loads: the core started (empty), loaded, and after 100
// clips were selected one after another in the clip list. Prints the time LoadData took and VmRSS and
// VmHWM at each point. Modes: "plain"; "unload": each clip's data is released after it went onto the
// clipboard; "log": the core writes its log file into logDirectory, as the program does.
int MemoryChild(const std::string& root, const std::string& mode, const std::string& logDirectory) {
    TBenchCore bench(root, mode == "log" ? logDirectory : std::string());
    const auto empty = ProcStatus();
    const auto start = Clock::now();
    bench.Load();
    const double loadMs = MsSince(start);
    const auto loaded = ProcStatus();
    // Every kind of clip: 20 bitmaps, 40 long texts (data files) and 40 short texts, in list order.
    bx::shell::TClipListModel& list = bench.Core().ClipList();
    std::vector<std::size_t> rows;
    int bitmaps = 20, longs = 40, shorts = 40;
    for (std::size_t row = 0; row < list.Count() && rows.size() < 100; ++row) {
        TClipObj* clip = list.Clip(row);
        int& quota = clip->HasIcon(bx::platform::CF_BITMAP) ? bitmaps : clip->DataInFile ? longs : shorts;
        if (quota > 0) {
            --quota;
            rows.push_back(row);
        }
    }
    for (const std::size_t row : rows) {
        list.SelectOnly(row);
        if (mode == "unload")
            list.Clip(row)->UnLoad();
    }
    // Selecting puts the clip on the clipboard, which holds it until the next selection: the last one
    // is a short text again, so that what stays is what the hundred selections left behind, not the
    // clipboard's copy of the last picture (900 KB).
    const auto lastShort = std::find_if(rows.begin(), rows.end(), [&list](std::size_t row) {
        const TClipObj* clip = list.Clip(row);
        return !clip->HasIcon(bx::platform::CF_BITMAP) && !clip->DataInFile;
    });
    if (lastShort != rows.end())
        list.SelectOnly(*lastShort);
    const auto selected = ProcStatus();
    std::printf("%ld %ld %ld %ld %ld %ld %zu %.3f\n", empty.at("VmRSS"), empty.at("VmHWM"), loaded.at("VmRSS"),
                loaded.at("VmHWM"), selected.at("VmRSS"), selected.at("VmHWM"), rows.size(), loadMs);
    return 0;
}

// The child's figures over runs (after a warm-up run): [0..5] the memory values in MiB, [6] LoadData ms.
std::vector<std::vector<double>> ChildRuns(const Options& o, const TWorkload& w, const std::string& mode, int runs) {
    std::vector<std::vector<double>> values(7);
    const std::string self = ProgramDirectory() + "brindlex-bench";
    const std::string logs = o.Root + "logs/";
    fs::create_directories(logs);
    Repeat(runs, [&] {
        const TProcessRun::Result r = TProcessRun::Run({self, "child", w.Root(), mode, logs}, {}, 300000, true);
        long v[6] = {};
        std::size_t rows = 0;
        double ms = 0;
        if (r.ExitCode != 0 ||
            std::sscanf(r.Output.c_str(), "%ld %ld %ld %ld %ld %ld %zu %lf", &v[0], &v[1], &v[2], &v[3], &v[4], &v[5],
                        &rows, &ms) != 8 ||
            rows != 100)
            throw std::runtime_error("the child process failed: " + r.Output + r.Error);
        for (int i = 0; i < 6; ++i)
            values[static_cast<std::size_t>(i)].push_back(static_cast<double>(v[i]) / 1024.0);
        values[6].push_back(ms);
        return 0.0;
    });
    for (auto& v : values)
        v.erase(v.begin());
    return values;
}

std::vector<double> Difference(const std::vector<double>& a, const std::vector<double>& b) {
    std::vector<double> d;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        d.push_back(a[i] - b[i]);
    return d;
}

// LoadData timed in fresh processes (plain and with the log file), and the memory figures.
std::vector<Figure> CoreInFreshProcesses(const Options& o, const TWorkload& w, int runs) {
    const auto plain = ChildRuns(o, w, "plain", runs);
    const auto unload = ChildRuns(o, w, "unload", runs);
    const auto logged = ChildRuns(o, w, "log", runs);
    const std::string selection = "after selecting 100 clips (20 bitmaps, 40 long, 40 short texts), then a short one";
    return {
        {"load.core", "ms", plain[6], {}, "LoadData in a fresh process, simulated desktop, no log file"},
        {"load.core.log", "ms", logged[6], {}, "the same, writing the log file as the program does"},
        {"memory.core.empty.rss", "MiB", plain[0], {}, "core started, nothing loaded"},
        {"memory.core.loaded.rss", "MiB", plain[2], {}, "after LoadData"},
        {"memory.core.loaded.peak", "MiB", plain[3], {}, "VmHWM after LoadData"},
        {"memory.core.load.growth", "MiB", Difference(plain[2], plain[0]), {}, "VmRSS loaded - empty"},
        {"memory.core.select100.rss", "MiB", plain[4], {}, selection},
        {"memory.core.select100.growth", "MiB", Difference(plain[4], plain[2]), {}, "VmRSS selected - loaded"},
        {"memory.core.select100.unload.growth",
         "MiB",
         Difference(unload[4], unload[2]),
         {},
         "the same with each clip released after use (UnLoad), as the clip list is to do"},
    };
}

std::string CollFilesBackup(const std::string& dir, const std::string& backup) {
    std::error_code ec;
    fs::remove_all(backup, ec);
    fs::create_directories(backup);
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().rfind("_COLL.", 0) == 0)
            fs::copy_file(e.path(), backup + e.path().filename().string());
    return backup;
}

void CollFilesRestore(const std::string& dir, const std::string& backup) {
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().rfind("_COLL.", 0) == 0)
            fs::remove(e.path());
    for (const auto& e : fs::directory_iterator(backup))
        fs::copy_file(e.path(), dir + e.path().filename().string());
}

// Modification times of the clips' data and picture files.
std::map<std::string, fs::file_time_type> ClipFileTimes(const std::string& dir) {
    std::map<std::string, fs::file_time_type> times;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename().string().rfind("_COLL.", 0) != 0)
            times[e.path().filename().string()] = e.last_write_time();
    return times;
}

std::unique_ptr<TClipObj> TextClip(TClipColl& coll, const std::string& text) {
    auto clip = std::make_unique<TClipObj>(coll.Context(), coll.GetNextSerialNum(), "GEDIT");
    clip->SortKey = coll.GetNextClipSortKey();
    clip->SetColl(&coll);
    auto data = std::make_unique<bx::clipstore::TClipData>(bx::clipstore::TClipData::TypeBlock);
    data->Handle = bx::platform::GlobalMemory::FromBytes(text.c_str(), text.size() + 1);
    data->DataSize = static_cast<std::int32_t>(text.size() + 1);
    data->FormatNum = bx::platform::CF_TEXT;
    data->FormatName = std::string(bx::cliplink::TClipName::TableName(bx::platform::CF_TEXT));
    clip->Formats->push_back(std::move(data));
    clip->Online = true;
    clip->SetIcon(bx::platform::CF_TEXT);
    clip->SetTitle(clip->GetTitle());
    return clip;
}

Figure Save(const Options& o, const TWorkload& w, int runs) {
    Figure f{"save", "ms", {}, {}, "TMasterList::Save after one new 600-byte text clip, fsyncs included"};
    const std::string dir = w.CollectionDirectory(0);
    const std::string backup = CollFilesBackup(dir, o.Root + "save-backup/");
    std::size_t rewritten = 0;
    try {
        f.Runs = Repeat(runs, [&] {
            TBenchCore bench(w.Root());
            bench.Load();
            TClipColl* coll = bench.Coll(TWorkload::CollectionName(0));
            const auto before = ClipFileTimes(dir);
            auto clip = TextClip(*coll, "A new clip for the save benchmark. " + std::string(565, 'x'));
            TClipObj* raw = clip.get();
            coll->MyAddObject(raw->Title, std::move(clip));
            const auto start = Clock::now();
            bench.Core().MasterList()->Save();
            const double ms = MsSince(start);
            if (bench.Core().MasterList()->Dirty)
                throw std::runtime_error("save: the master list is still dirty");
            const auto after = ClipFileTimes(dir);
            for (const auto& [name, time] : before) {
                const auto it = after.find(name);
                if (it == after.end() || it->second != time)
                    ++rewritten;
            }
            CollFilesRestore(dir, backup);
            return ms;
        });
    } catch (...) {
        CollFilesRestore(dir, backup);
        throw;
    }
    f.Note += "; data/picture files of unchanged clips rewritten: " + std::to_string(rewritten);
    return f;
}

// Searches, captures and copies back on one loaded core.
std::vector<Figure> FindCaptureCopy(const TWorkload& w, int runs, bool withCapture, const std::string& label) {
    std::vector<Figure> figures;
    TBenchCore bench(w.Root());
    bench.Load();
    bx::shell::TBrindlexCore& core = bench.Core();
    TClipColl& results = *core.MasterList()->SearchResults;
    const std::string word = TWorkload::MarkerWord(TWorkload::SearchMarker);
    Figure find{label.empty() ? "find" : "find." + label,
                "ms",
                {},
                {},
                "titles and texts of every clip of every collection for \"" + word + "\", " +
                    std::to_string(w.ExpectedHits()) + " hits"};
    find.Runs = Repeat(runs, [&] {
        const auto order = bx::shell::TClipSearch::TreeOrder(core.Tree());
        const auto start = Clock::now();
        const std::size_t hits = bx::shell::TClipSearch::SearchAll(order, word, results);
        const double ms = MsSince(start);
        if (hits != static_cast<std::size_t>(w.ExpectedHits()) || results.Count() != hits)
            throw std::runtime_error("find: " + std::to_string(hits) + " hits, expected " +
                                     std::to_string(w.ExpectedHits()));
        return ms;
    });
    figures.push_back(find);
    if (!withCapture)
        return figures;

    // The time the change handler takes: from the viewer component's report of a change until the clip
    // is stored in the collection and listed. The configured Delay before the report is virtual time
    // and not part of it.
    bx::cliplink::TClipView5& view = core.ClipView();
    auto handler = view.OnCBChange;
    double handled = -1;
    view.OnCBChange = [&](bx::cliplink::TClipView5& v) {
        const auto start = Clock::now();
        handler(v);
        handled = MsSince(start);
    };
    // The clip put back at the end of loading makes the viewer take changes for echoes for a second.
    bench.Desk().Advance(1500);
    int serial = 0;
    auto capture = [&](const std::function<void()>& copy) {
        handled = -1;
        const TClipObj* before = core.LastCaptured();
        copy();
        bench.Settle();
        if (handled < 0 || core.LastCaptured() == before || core.ClipList().Clip(0) != core.LastCaptured())
            throw std::runtime_error("capture: the change was not captured and listed (handler " +
                                     std::to_string(handled) + " ms, status \"" + core.StatusText() + "\")");
        return handled;
    };
    Figure captureText{"capture.text1k", "ms", {}, {}, "change handler for a 1 KB text, excluding Delay"};
    TClipObj* textClip = nullptr;
    captureText.Runs = Repeat(runs, [&] {
        std::string text = "Captured text number " + std::to_string(++serial) + ": ";
        while (text.size() < 1023)
            text += "lorem ipsum dolor sit amet ";
        text.resize(1023);
        const double ms = capture([&] {
            if (!bench.Editor().CopyText(text))
                throw std::runtime_error("capture: the editor cannot copy");
        });
        textClip = core.LastCaptured();
        return ms;
    });
    Figure captureBitmap{"capture.bitmap1080p", "ms", {}, {}, "change handler for a 1920 x 1080 24-bit bitmap"};
    TClipObj* bitmapClip = nullptr;
    captureBitmap.Runs = Repeat(runs, [&] {
        const auto dib = TWorkload::NoisyBitmap(static_cast<std::uint64_t>(++serial), 1920, 1080);
        const double ms = capture([&] {
            if (!bench.Paint().Copy({bx::platform::sim::SimFormat{bx::platform::CF_BITMAP, dib, false}}))
                throw std::runtime_error("capture: the picture program cannot copy");
        });
        bitmapClip = core.LastCaptured();
        return ms;
    });
    figures.push_back(captureText);
    figures.push_back(captureBitmap);

    auto copyBack = [&](TClipObj* clip) {
        bench.Settle();
        const auto start = Clock::now();
        if (!core.CopyItem(clip))
            throw std::runtime_error("copy back: CopyItem failed");
        return MsSince(start);
    };
    figures.push_back({"copy.text1k", "ms", Repeat(runs, [&] { return copyBack(textClip); }), {}, "CopyItem"});
    figures.push_back({"copy.bitmap1080p", "ms", Repeat(runs, [&] { return copyBack(bitmapClip); }), {}, "CopyItem"});
    return figures;
}

std::vector<Figure> Disk(const TWorkload& w) {
    double apparent = 0, allocated = 0, pictures = 0;
    int pictureCount = 0;
    for (const auto& e : fs::recursive_directory_iterator(w.DataDirectory())) {
        struct stat st {};
        if (!e.is_regular_file() || ::stat(e.path().c_str(), &st) != 0)
            continue;
        apparent += static_cast<double>(st.st_size);
        allocated += static_cast<double>(st.st_blocks) * 512.0;
        const std::string name = e.path().filename().string();
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0) {
            pictures += static_cast<double>(st.st_size);
            ++pictureCount;
        }
    }
    std::string note = "all files of the data source";
    if (pictureCount > 0)
        note += "; " + std::to_string(pictureCount) + " picture files, " +
                std::to_string(static_cast<long>(pictures / pictureCount / 1024)) + " KiB each on average (" +
                std::to_string(static_cast<long>(TWorkload::BitmapWidth * TWorkload::BitmapHeight * 3 / 1024)) +
                " KiB raw)";
    return {{"disk.bytes", "MB", {apparent / 1e6}, {}, note},
            {"disk.allocated", "MB", {allocated / 1e6}, {}, "blocks allocated on the file system"}};
}

Figure Dump(const Options& o, const TWorkload& w, int runs) {
    Figure f{"dump", "ms", {}, {}, "brindlex dump of " + TWorkload::CollectionName(0) + ", output to /dev/null"};
    f.Runs = Repeat(runs, [&] {
        const TProcessRun::Result r = TProcessRun::Run({o.Brindlex, "dump", w.CollectionDirectory(0)}, {}, 600000);
        if (r.ExitCode != 0)
            throw std::runtime_error("brindlex dump ended with " + std::to_string(r.ExitCode) + ": " + r.Error);
        return r.Ms;
    });
    return f;
}

// The targets of the W20k figures; W100k's are five times the W20k bound where the time must grow
// linearly, and its own bound where one is given.
void SetTargets(TFigureTable& table, const std::string& workload) {
    const bool big = workload != "W20k";
    // "Flat" after selecting 100 clips is taken as at most 1 MiB of growth.
    const std::map<std::string, double> w20k = {{"load.core", 60},
                                                {"load.core.log", 60},
                                                {"memory.core.select100.unload.growth", 1},
                                                {"load.process", 150},
                                                {"memory.process.peak", 54},
                                                {"memory.core.load.growth", 25},
                                                {"memory.core.select100.growth", 1},
                                                {"save", 50},
                                                {"find", 56},
                                                {"filter.first.1ch", 16},
                                                {"filter.first.3ch", 16},
                                                {"filter.first.8ch", 16},
                                                {"capture.text1k", 2},
                                                {"capture.bitmap1080p", 40},
                                                {"copy.text1k", 2},
                                                {"copy.bitmap1080p", 40},
                                                {"disk.bytes", 60}};
    const std::map<std::string, double> w100k = {{"load.core", 300},
                                                 {"load.core.log", 300},
                                                 {"memory.core.select100.unload.growth", 1},
                                                 {"load.process", 750},
                                                 {"load.core.10colls", 300},
                                                 {"load.process.10colls", 750},
                                                 {"memory.process.peak", 120},
                                                 {"memory.process.peak.10colls", 120},
                                                 {"memory.core.select100.growth", 1},
                                                 {"find", 196},
                                                 {"find.10colls", 196},
                                                 {"capture.text1k", 2},
                                                 {"capture.bitmap1080p", 40},
                                                 {"copy.text1k", 2},
                                                 {"copy.bitmap1080p", 40}};
    const auto& targets = big ? w100k : w20k;
    TFigureTable copy(workload);
    for (Figure f : table.Figures()) {
        if (const auto it = targets.find(f.Name); it != targets.end())
            f.Target = it->second;
        copy.Add(f);
    }
    table = copy;
}

int Run(Options o) {
    if (o.Brindlex.empty())
        o.Brindlex = ProgramDirectory() + "../app/brindlex";
    if (o.Runs < 5)
        o.Runs = 5;
    const TWorkload w = Prepare(o, o.Workload);
    std::optional<TWorkload> spread;
    if (o.Workload == "W100k")
        spread = Prepare(o, "W100k-10");

    // Captured clips are journalled: a journal in a workload adds them to every later load. The steps
    // measure the workload as it was made, so a journal an interrupted run left is removed first too.
    const auto forgetCaptures = [](const TWorkload& workload) {
        std::error_code ec;
        fs::remove(workload.DataDirectory() + bx::clipstore::TCaptureJournal::FileName, ec);
    };
    forgetCaptures(w);
    if (spread)
        forgetCaptures(*spread);

    TFigureTable table(o.Workload);
    auto step = [&](const std::string& what) { Log(o.Workload + ": " + what); };
    if (o.Wants("load")) {
        step("load and memory (fresh processes)");
        for (const Figure& f : CoreInFreshProcesses(o, w, o.Runs))
            table.Add(f);
        if (spread) {
            table.Add({"load.core.10colls",
                       "ms",
                       ChildRuns(o, *spread, "plain", o.Runs)[6],
                       {},
                       "LoadData in a fresh process, ten collections"});
        }
        table.Add(LoadCoreWarm(w, o.Runs));
    }
    if (o.Wants("start")) {
        step("program start");
        auto [time, peak] = LoadProcess(o, w.Root(), "", o.Runs);
        table.Add(time);
        table.Add(peak);
        if (spread) {
            auto [time10, peak10] = LoadProcess(o, spread->Root(), "10colls", o.Runs);
            table.Add(time10);
            table.Add(peak10);
        }
        const std::string empty = o.Root + "empty/";
        std::error_code ec;
        fs::remove_all(empty, ec);
        auto [timeEmpty, peakEmpty] = LoadProcess(o, empty, "empty", o.Runs);
        table.Add(timeEmpty);
        table.Add(peakEmpty);
    }
    if (o.Wants("save")) {
        step("save");
        table.Add(Save(o, w, o.Runs));
    }
    if (o.Wants("find")) {
        step("find, capture, copy back");
        for (const Figure& f : FindCaptureCopy(w, o.Runs, true, ""))
            table.Add(f);
        forgetCaptures(w);
        if (spread)
            for (const Figure& f : FindCaptureCopy(*spread, o.Runs, false, "10colls"))
                table.Add(f);
    }
    if (o.Wants("journal")) {
        step("capture journal");
        for (const Figure& f : bx::bench::TJournalBench::Measure(o.Root, o.Runs))
            table.Add(f);
    }
    if (o.Wants("filter")) {
        step("filter as you type");
        for (const Figure& f : bx::bench::TFilterBench::Measure(w, o.Runs))
            table.Add(f);
    }
    if (o.Wants("disk"))
        for (const Figure& f : Disk(w))
            table.Add(f);
    if (o.Wants("dump")) {
        step("dump");
        table.Add(Dump(o, w, o.Runs));
    }
    SetTargets(table, o.Workload);

    table.PrintTable(std::cout);
    std::cout << '\n';
    table.PrintJson(std::cout);
    return 0;
}

int Usage() {
    std::cerr << "usage: brindlex-bench run W20k|W100k [--root DIR] [--brindlex PATH] [--runs N]\n"
                 "                           [--only load,start,save,find,disk,dump]\n"
                 "       brindlex-bench generate W20k|W100k|W100k-10 [--root DIR]\n";
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    // spawn PROGRAM ARGS...: runs the program with this environment and prints its time, exit status
    // and peak resident size (KiB); its standard error goes to this one's.
    if (args.size() >= 2 && args[0] == "spawn") {
        try {
            const TProcessRun::Result r =
                TProcessRun::Run(std::vector<std::string>(args.begin() + 1, args.end()), {}, 120000);
            std::fputs(r.Error.c_str(), stderr);
            std::printf("%.3f %d %ld\n", r.Ms, r.ExitCode, r.MaxRssKiB);
            return 0;
        } catch (const std::exception& e) {
            Log(std::string("error: ") + e.what());
            return 2;
        }
    }
    // The core is measured with the heap set up as the program sets it up at its start.
    bx::platform::HeapTuning::Apply();
    if (args.size() == 4 && args[0] == "child")
        return MemoryChild(args[1], args[2], args[3]);
    if (args.size() < 2 || (args[0] != "run" && args[0] != "generate"))
        return Usage();
    Options o;
    o.Workload = args[1];
    for (std::size_t i = 2; i + 1 < args.size(); i += 2) {
        if (args[i] == "--root")
            o.Root = args[i + 1].back() == '/' ? args[i + 1] : args[i + 1] + "/";
        else if (args[i] == "--brindlex")
            o.Brindlex = args[i + 1];
        else if (args[i] == "--only")
            o.Only = args[i + 1];
        else if (args[i] == "--runs")
            o.Runs = std::atoi(args[i + 1].c_str());
        else
            return Usage();
    }
    if ((args.size() - 2) % 2 != 0)
        return Usage();
    try {
        if (args[0] == "generate") {
            Prepare(o, o.Workload);
            return 0;
        }
        if (o.Workload != "W20k" && o.Workload != "W100k")
            return Usage();
        return Run(o);
    } catch (const std::exception& e) {
        Log(std::string("error: ") + e.what());
        return 2;
    }
}
