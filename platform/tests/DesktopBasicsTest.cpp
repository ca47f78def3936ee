// Memory blocks, date-times, the settings tree, hot keys and process lookups of the simulated desktop.
#include "DateTime.h"
#include "GlobalMemory.h"
#include "MemoryRegistry.h"
#include "SimApp.h"
#include "SimDesktop.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace bx::platform;
using namespace bx::platform::sim;

namespace {

TEST(GlobalMemoryTest, BlocksHaveExactSizeZeroFilledBytesAndCheckedHandles) {
    const HGLOBAL h = GlobalAlloc(GHND, 5);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(GlobalSize(h), 5u);
    std::uint8_t* p = GlobalLock(h);
    EXPECT_EQ(std::memcmp(p, "\0\0\0\0\0", 5), 0);
    EXPECT_TRUE(GlobalLock(h) != nullptr);
    EXPECT_TRUE(GlobalUnlock(h)) << "still locked once";
    EXPECT_FALSE(GlobalUnlock(h));
    EXPECT_EQ(GlobalFree(h), 0u);
    EXPECT_EQ(GlobalFree(h), h) << "a freed handle is no block";
    EXPECT_EQ(GlobalLock(h), nullptr);
    EXPECT_EQ(GlobalSize(h), 0u);
    // The freed block's place is used again, under a handle of its own: the old one stays dead.
    const HGLOBAL next = GlobalAlloc(GHND, 7);
    EXPECT_NE(next, h);
    EXPECT_EQ(GlobalSize(h), 0u);
    EXPECT_EQ(GlobalFree(h), h);
    EXPECT_EQ(GlobalSize(next), 7u);
    EXPECT_EQ(GlobalFree(next), 0u);
    EXPECT_FALSE(GlobalMemory::IsBlock(0x47000000FFFFFFF0u)) << "a made-up handle is no block";
    EXPECT_EQ(GlobalAlloc(GMEM_MOVEABLE, GlobalMemory::MaxBlockSize + 1), 0u) << "sizes beyond 2 GiB are refused";
    const HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
    EXPECT_NE(GlobalLock(empty), nullptr);
    GlobalUnlock(empty);
    GlobalFree(empty);
}

TEST(DateTimeTest, DayCountsRoundTripToTheMillisecond) {
    EXPECT_EQ(EncodeDateTime({1899, 12, 30, 0, 0, 0, 0}), 0.0);
    EXPECT_EQ(EncodeDateTime({2000, 1, 1, 0, 0, 0, 0}), 36526.0);
    EXPECT_EQ(EncodeDateTime({2000, 1, 1, 12, 0, 0, 0}), 36526.5);
    const DateTimeParts parts{2026, 2, 28, 23, 59, 59, 999};
    const DateTimeParts back = DecodeDateTime(EncodeDateTime(parts));
    EXPECT_EQ(std::tie(back.year, back.month, back.day, back.hour, back.minute, back.second, back.millisecond),
              std::tie(parts.year, parts.month, parts.day, parts.hour, parts.minute, parts.second, parts.millisecond));
    EXPECT_EQ(TimeOfDayMs(EncodeDateTime(parts)), 86'399'999);
    EXPECT_EQ(FormatTime(EncodeDateTime({2024, 2, 29, 7, 5, 9, 0})), "07:05:09");
}

TEST(MemoryRegistryTest, NamesIgnoreCaseAndKeepTheirFirstSpelling) {
    MemoryRegistry reg;
    reg.WriteValue("Software\\Quorvanti\\Brindlex5", "SettleTime", "100");
    reg.WriteValue("software\\QUORVANTI\\brindlex5\\Data Sources", "My Clips", "1");
    reg.WriteValue("Software\\Quorvanti\\Brindlex5", "settletime", "150");
    EXPECT_EQ(reg.ReadValue("SOFTWARE\\quorvanti\\Brindlex5", "SETTLETIME"), "150");
    EXPECT_EQ(reg.ValueNames("Software\\Quorvanti\\Brindlex5"), std::vector<std::string>{"SettleTime"});
    EXPECT_EQ(reg.SubKeyNames("Software\\Quorvanti\\Brindlex5"), std::vector<std::string>{"Data Sources"});
    EXPECT_FALSE(reg.ReadValue("Software\\Quorvanti\\Brindlex5", "Missing").has_value());
    EXPECT_TRUE(reg.DeleteKey("Software\\Quorvanti"));
    EXPECT_FALSE(reg.KeyExists("Software\\Quorvanti\\Brindlex5\\Data Sources"));
    EXPECT_TRUE(reg.KeyExists("Software"));
}

TEST(SimDesktopTest, HotKeysPostToTheirWindowAndCombinationsAreExclusive) {
    SimDesktop desk;
    UINT got = 0;
    const HWND w = desk.Windows().CreateWindow("keys", [&](UINT msg, WPARAM id, LPARAM) {
        if (msg == WM_HOTKEY)
            got = static_cast<UINT>(id);
        return 0;
    });
    desk.SimulatedHotKeys().TakeByOtherProgram(MOD_CONTROL, 'Q');
    EXPECT_FALSE(desk.HotKeys().ActivateForLastPress(0x400001)) << "no press to answer yet";
    EXPECT_FALSE(desk.HotKeys().RegisterHotKey(w, 1, MOD_CONTROL, 'Q'));
    EXPECT_TRUE(desk.HotKeys().RegisterHotKey(w, 2, MOD_CONTROL | MOD_ALT, 'F'));
    EXPECT_FALSE(desk.HotKeys().RegisterHotKey(w, 3, MOD_CONTROL | MOD_ALT, 'F'));
    EXPECT_TRUE(desk.SimulatedHotKeys().Press(MOD_CONTROL | MOD_ALT, 'F'));
    desk.ProcessMessages();
    EXPECT_EQ(got, 2u);
    EXPECT_TRUE(desk.HotKeys().ActivateForLastPress(0x400001));
    ASSERT_EQ(desk.SimulatedHotKeys().Activations().size(), 1u);
    EXPECT_EQ(desk.SimulatedHotKeys().Activations()[0].press, 1);
    EXPECT_TRUE(desk.HotKeys().UnregisterHotKey(w, 2));
    EXPECT_FALSE(desk.SimulatedHotKeys().Press(MOD_CONTROL | MOD_ALT, 'F'));
}

TEST(SimDesktopTest, WindowsKnowTheirProcessAndProgram) {
    SimDesktop desk;
    SimApp app{desk, "/usr/bin/gedit", "notes - gedit"};
    EXPECT_EQ(desk.Windows().GetWindowText(app.Window()), "notes - gedit");
    const std::uint32_t pid = desk.Windows().GetWindowProcessId(app.Window());
    EXPECT_EQ(desk.Processes().OpenProcessImage(pid).path, "/usr/bin/gedit");
    desk.SimulatedProcesses().SetIdentifiable(pid, false);
    EXPECT_FALSE(desk.Processes().OpenProcessImage(pid).opened);
    const HWND own = desk.Windows().CreateWindow("own", {});
    EXPECT_EQ(desk.Processes().OpenProcessImage(desk.Windows().GetWindowProcessId(own)).path, SimDesktop::ProgramPath);
}

} // namespace

#include "AtomicFile.h"
#include "AtomicFileWriter.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

TEST(AtomicFileTest, ReplacesTheTargetWholeAndPrivately) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("bx_atomic_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string target = (dir / "data.bin").string();
    const std::vector<std::uint8_t> first{1, 2, 3}, second{9};
    ASSERT_TRUE(AtomicFile::Write(target, first));
    ASSERT_TRUE(AtomicFile::Write(target, second));
    std::ifstream in(target, std::ios::binary);
    EXPECT_EQ(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}), second);
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "no temporary file left";
    std::string error;
    EXPECT_FALSE(AtomicFile::Write((dir / "missing" / "x").string(), first, &error));
    EXPECT_FALSE(error.empty());
    fs::remove_all(dir);
}

TEST(AtomicFileTest, APieceByPieceWriteReplacesTheTargetOnlyWhenCommitted) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("bx_atomic_pieces_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string target = (dir / "data.bin").string();
    const std::vector<std::uint8_t> old{7, 7}, a{1, 2}, b{3};
    ASSERT_TRUE(AtomicFile::Write(target, old));
    const auto content = [&] {
        std::ifstream in(target, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    };
    {
        AtomicFileWriter abandoned;
        ASSERT_TRUE(abandoned.Open(target));
        ASSERT_TRUE(abandoned.Append(a));
        EXPECT_EQ(content(), old) << "pieces are invisible until the commit";
    }
    EXPECT_EQ(content(), old) << "an abandoned write leaves the target as it was";
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "and no temporary file";

    AtomicFileWriter file;
    ASSERT_TRUE(file.Open(target));
    ASSERT_TRUE(file.Append(a));
    ASSERT_TRUE(file.Append(b));
    ASSERT_TRUE(file.Commit());
    EXPECT_EQ(content(), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    std::string error;
    EXPECT_FALSE(file.Append(a, &error)) << "a committed writer takes no more pieces";
    EXPECT_FALSE(error.empty());
    fs::remove_all(dir);
}

} // namespace
