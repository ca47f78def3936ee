// The settings object: defaults, the stored text forms, the data-source list, window positions and the
// resets, against the in-memory store and against a store file that cannot be read.
#include "TAppSettings.h"
#include "ECreateDirectory.h"
#include "FileRegistry.h"
#include "MemoryRegistry.h"
#include "SimClock.h"
#include "SimDataFolderDialog.h"
#include "SimDateTimeFormat.h"
#include "SimMessageBoxes.h"
#include "SimUserDirs.h"
#include "TAppLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include <filesystem>
#include <fstream>

using namespace bx;
using namespace bx::shell;
using platform::MsgButtons;
using platform::MsgResult;
using platform::MsgType;
namespace fs = std::filesystem;

namespace {

constexpr const char* Root = "Software\\Quorvanti\\Brindlex5";
constexpr TScreenSize Screen{1024, 768};

std::string Key(const std::string& sub) {
    return std::string(Root) + "\\" + sub;
}

class TAppSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "bxsetXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        tmp_ = pattern + "/";
        dirs_.Home = "/home/ann/";
        dirs_.Documents = "/home/ann/Documents/";
        dirs_.Program = "/opt/brindlex/bin/";
        dirs_.Environment["XDG_DATA_HOME"] = tmp_ + "share";
        platform::FileRegistry::TakeHeldLogLines();
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(tmp_, ec);
    }

    std::unique_ptr<TAppSettings> Make() {
        dataSources_.Clear();
        return std::make_unique<TAppSettings>(registry_, dirs_, boxes_, dialog_, dataSources_, noCtrlV_);
    }
    std::unique_ptr<TAppSettings> Read(TScreenSize screen = Screen) {
        auto settings = Make();
        settings->ReadSettings(screen);
        return settings;
    }
    void AddSource(const std::string& name, const std::string& dir, const std::string& number = "") {
        registry_.WriteValue(Key("DataSources\\_Dirs"), name, "1");
        registry_.WriteValue(Key("DataSources\\" + name), "Description", name + " clips");
        registry_.WriteValue(Key("DataSources\\" + name), "Directory", dir);
        if (!number.empty())
            registry_.WriteValue(Key("DataSources"), name, number);
    }
    std::string Value(const std::string& sub, const std::string& name) const {
        return registry_.ReadValue(Key(sub), name).value_or("<missing>");
    }

    std::string tmp_;
    platform::MemoryRegistry registry_;
    platform::sim::SimUserDirs dirs_;
    platform::sim::SimMessageBoxes boxes_;
    platform::sim::SimDataFolderDialog dialog_;
    clipstore::TDataSourceList dataSources_;
    std::vector<std::string> noCtrlV_;
};

// Every stored value with the text that an empty store gives it when written back.
struct Stored {
    const char* sub;
    const char* name;
    const char* text;
};
const Stored Defaults[] = {
    {"Preferences", "GreyX", "1"},
    {"Preferences", "Visibility", "1"},
    {"Preferences", "ShowBinary", "0"},
    {"Preferences", "ShowNOCRLF", "0"},
    {"Preferences", "ShowSearch", "0"},
    {"Preferences", "UseSysTray", "1"},
    {"Preferences", "UseCollTitle", "1"},
    {"Preferences", "RunMinimized", "0"},
    {"Preferences", "MenuStyle", "0"},
    {"Preferences", "BeepOnGlue", "1"},
    {"Preferences", "BeepOnUpdate", "1"},
    {"Preferences", "BeepOnErase", "1"},
    {"Preferences", "BeepOnIgnore", "1"},
    {"Preferences", "BeepOnRFComplete", "1"},
    {"Preferences", "UseSounds", "1"},
    {"Preferences", "UseIEBrowser", "1"},
    {"Preferences", "LastColl", ""},
    {"Preferences", "FPAlternateColl", "Long-Term"},
    {"Preferences", "ShowFPAlternates", "1"},
    {"Preferences", "FPStickyButtons", "1"},
    {"Preferences", "FPTabButtonDown", "0"},
    {"Preferences", "FPEnterButtonDown", "0"},
    {"Preferences", "AutoShrink", "0"},
    {"Preferences", "InstalledAlready", "0"},
    {"Preferences", "ShowHint", "1"},
    {"Preferences", "HintHidePause", "4500"},
    {"Preferences", "LogLevel", "23"},
    {"Preferences", "AutoCaptureInitialClip1", "0"},
    {"Preferences", "AutoSave", "1"},
    {"Preferences", "AutoSaveInterval", "10"},
    {"Preferences", "ShowItemTypeIcon", "1"},
    {"Preferences", "RelayfeedDelay", "100"},
    {"Preferences", "UseIgnoreFormat", "1"},
    {"Preferences", "ConfirmDeleteFromSafe", "1"},
    {"Preferences", "PhantomDelay", "0"},
    {"Preferences", "VER_ID", "0"},
    {"Preferences", "WrapText", "0"},
    {"Preferences", "MoveOrCopy", "0"},
    {"Preferences", "FindScope", "0"},
    {"Preferences", "ContinuallyPing", "0"},
    {"Preferences", "PingInterval", "10"},
    {"Preferences", "PingTolerance", "2"},
    {"Preferences", "DelayOnClipboardUpdate", "20"},
    {"Preferences", "DelayAfterCopy", "999"},
    {"Preferences", "SettleTime", "100"},
    {"Preferences", "GlueSeparator", "\\n"},
    {"Preferences", "GlueOmitExistingCRLF", "1"},
    {"Preferences", "ShowTypeIcons", "1"},
    {"Preferences", "ThumbNailSize", "64"},
    {"Preferences", "ThumbNailCacheSize", "32"},
    {"HotKeys", "HKActivate", "Ctrl+Alt+C"},
    {"HotKeys", "HKSelectNext", "Ctrl+Alt+N"},
    {"HotKeys", "HKSelectPrev", "Ctrl+Alt+P"},
    {"HotKeys", "HKFlashpick", "Shift+Ctrl+Q"},
    {"Fonts", "ThumbNailFontName", "MS Sans Serif"},
    {"Fonts", "ThumbNailFontSize", "8"},
    {"Fonts", "OverrideFontName", "MS Sans Serif"},
    {"Fonts", "OverrideFontSize", "8"},
    {"Fonts", "MagFontName", "Courier New"},
    {"Fonts", "MagFontSize", "8"},
    {"Fonts", "MagFontCharset", "1"},
    {"Fonts", "ClipListFontName", "MS Sans Serif"},
    {"Fonts", "ClipListFontSize", "8"},
    {"Fonts", "ClipListFontCharset", "1"},
    {"Position", "Left1", "0"},
    {"Position", "Top1", "0"},
    {"Position", "Width1", "274"},
    {"Position", "Height1", "106"},
    {"Position", "Height1_Dropdown", "400"},
    {"Position", "Left2", "0"},
    {"Position", "Top2", "0"},
    {"Position", "Width2", "640"},
    {"Position", "Height2", "440"},
    {"Position", "split1", "120"},
    {"Position", "split2", "120"},
    {"Position", "split2a", "120"},
    {"Position", "ShowCaption", "1"},
    {"Position", "ShowMainMenu", "1"},
    {"Position", "StickyDropDown", "0"},
    {"Position", "FPLock", "0"},
    {"Position", "LastView", "1"},
    {"Position", "CurrentSnap", "3"},
    {"Position", "MoveCopyMode", "1"},
    {"Position", "Toolbar1Showing", "1"},
    {"Position", "Toolbar2Showing", "1"},
    {"Position", "Toolbar3Showing", "1"},
    {"Printing", "PrintFontName", "Courier New"},
    {"Printing", "PrintFontSize", "10"},
    {"Printing", "PrintPassThru", "1"},
    {"Printing", "QuickPrint", "1"},
    {"Printing", "PrintDetails", "1"},
    {"Printing", "PrintFooter", "1"},
    {"Printing", "MultiPrint", "1"},
    {"Printing", "PrintBitmapScaleFactor", "100"},
    {"Printing", "PrintMarginLeft", "1"},
    {"Printing", "PrintMarginRight", "1"},
    {"Printing", "PrintMarginTop", "0.5"},
    {"Printing", "PrintMarginBottom", "0.5"},
    {"Printing", "LastPrinter", "No Selection"},
    {"Printing", "LastOrientation", "Portrait"},
    {"Printing", "BMPPrintColorDepth", "0"},
    {"Export", "ExportDir", "/home/ann/Documents/Brindlex_Export/"},
    {"Export", "FileNameConvention", "1"},
    {"Export", "CopyNamesToClipboard", "1"},
    {"Export", "SaveBmpAsJpg", "0"},
    {"Export", "JpgQuality", "50"},
    {"Export", "EraseDirContents", "0"},
    {"Export", "OpenFolder", "0"},
    {"Export", "ResetSequence", "0"},
    {"Export", "Sequence", "1"},
    {"Stats", "Captured", "0"},
    {"Stats", "CopiedBack", "0"},
    {"Stats", "Printed", "0"},
    {"Stats", "Edits", "0"},
    {"Stats", "Exported", "0"},
};

TEST_F(TAppSettingsTest, EmptyStoreGivesEveryDefaultAndAsksForTheDataFolder) {
    auto settings = Read();
    EXPECT_FALSE(settings->ResetPending);
    EXPECT_EQ(settings->ProgramDir, "/opt/brindlex/bin/");
    EXPECT_EQ(settings->DefaultDataDir, tmp_ + "share/Quorvanti Development/Brindlex5/");
    EXPECT_EQ(dialog_.Suggestions(), std::vector<std::string>{settings->DefaultDataDir});
    ASSERT_EQ(dataSources_.Count(), 1u);
    EXPECT_EQ(dataSources_.Name(0), "My Clips");
    const clipstore::TDataSource& first = *dataSources_.Source(0);
    EXPECT_EQ(first.Description, "My Clips");
    EXPECT_EQ(first.Directory, settings->DefaultDataDir);
    EXPECT_EQ(first.Number, 1);
    EXPECT_FALSE(first.Read_Only);
    EXPECT_TRUE(first.AutoLoad);
    EXPECT_EQ(dataSources_.NextDataSourceNumber, 2);
    EXPECT_TRUE(settings->NeedDefaultCollections) << "the data folder does not exist yet";
    EXPECT_TRUE(noCtrlV_.empty());
    EXPECT_EQ(settings->AfterLoadDuration, 150);
    EXPECT_EQ(settings->OverrideFont.Name, "MS Sans Serif");
    EXPECT_DOUBLE_EQ(settings->PrintMarginLeft, 1.0);
    EXPECT_DOUBLE_EQ(settings->PrintMarginTop, 0.5);
    EXPECT_TRUE(boxes_.Boxes().empty());

    // Writing back shows every value's default text and name.
    registry_.Clear();
    ASSERT_TRUE(settings->WriteSettings());
    for (const Stored& s : Defaults)
        EXPECT_EQ(Value(s.sub, s.name), s.text) << s.sub << "\\" << s.name;
    std::size_t written = 0;
    for (const char* sub : {"Preferences", "HotKeys", "Fonts", "Position", "Printing", "Export", "Stats"})
        written += registry_.ValueNames(Key(sub)).size();
    EXPECT_EQ(written, std::size(Defaults)) << "no other value is written (AfterLoadDuration is read only)";
    EXPECT_EQ(registry_.ValueNames(Key("DataSources\\_Dirs")), std::vector<std::string>{"My Clips"});
    EXPECT_EQ(Value("DataSources\\My Clips", "Directory"), settings->DefaultDataDir);
    EXPECT_EQ(Value("DataSources\\My Clips", "AutoLoad"), "1");
}

TEST_F(TAppSettingsTest, StoredTextsReadWithTheirDefaultsWhenInvalid) {
    struct Case {
        const char* sub;
        const char* name;
        const char* text;
        std::function<double(const TAppSettings&)> field;
        double expected;
    };
    const std::vector<Case> cases = {
        {"Preferences", "GreyX", "abc", [](auto& s) { return s.GreyX; }, 1},
        {"Preferences", "Visibility", " +2 ", [](auto& s) { return s.Visibility; }, 2},
        {"Preferences", "SettleTime", "12x", [](auto& s) { return s.SettleTime; }, 100},
        {"Preferences", "HintHidePause", "99999999999", [](auto& s) { return s.HintHidePause; }, 4500},
        {"Preferences", "MenuStyle", "-2", [](auto& s) { return s.MenuStyle; }, -2},
        {"Preferences", "UseSysTray", "0", [](auto& s) { return s.UseSysTray; }, 0},
        {"Preferences", "ShowBinary", "-7", [](auto& s) { return s.ShowBinary; }, 1},
        {"Preferences", "AutoSave", "yes", [](auto& s) { return s.AutoSave; }, 1},
        {"Position", "split1", "10", [](auto& s) { return s.split1; }, 30},
        {"Position", "split2a", "31", [](auto& s) { return s.split2a; }, 31},
        {"Export", "JpgQuality", "0", [](auto& s) { return s.JpgQuality; }, 1},
        {"Export", "JpgQuality", "250", [](auto& s) { return s.JpgQuality; }, 100},
        {"Export", "JpgQuality", "75", [](auto& s) { return s.JpgQuality; }, 75},
        {"Printing", "PrintMarginLeft", "2.25", [](auto& s) { return s.PrintMarginLeft; }, 2.25},
        {"Printing", "PrintMarginLeft", "+0.75", [](auto& s) { return s.PrintMarginLeft; }, 0.75},
        {"Printing", "PrintMarginLeft", "one inch", [](auto& s) { return s.PrintMarginLeft; }, 1.0},
        {"Printing", "PrintMarginLeft", "nan", [](auto& s) { return s.PrintMarginLeft; }, 1.0},
        {"Printing", "PrintMarginTop", "", [](auto& s) { return s.PrintMarginTop; }, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + "=" + c.text);
        registry_.Clear();
        registry_.WriteValue(Key(c.sub), c.name, c.text);
        EXPECT_DOUBLE_EQ(c.field(*Read()), c.expected);
    }

    registry_.Clear();
    registry_.WriteValue(Key("Fonts"), "OverrideFontName", "");
    registry_.WriteValue(Key("Fonts"), "MagFontName", "DejaVu Sans Mono");
    registry_.WriteValue(Key("Preferences"), "LastColl", std::string(300, 'x'));
    registry_.WriteValue(Key("Preferences"), "GlueSeparator", std::string(300, 'y'));
    auto s = Read();
    EXPECT_EQ(s->OverrideFont.Name, "MS Sans Serif") << "an empty font name is not kept";
    EXPECT_EQ(s->MagFont.Name, "DejaVu Sans Mono");
    EXPECT_EQ(s->LastColl.size(), 255u) << "short texts are cut";
    EXPECT_EQ(s->GlueSeparator.size(), 300u) << "other texts are not";
}

TEST_F(TAppSettingsTest, WindowPositionsAreCorrectedAgainstTheScreen) {
    struct Case {
        std::vector<std::pair<const char*, int>> stored;
        std::vector<std::pair<const char*, int>> expected;
    };
    const std::vector<Case> cases = {
        {{{"Width1", 5000}, {"Left1", 1000}}, {{"Width1", 274}, {"Left1", 750}}},
        {{{"Width1", 300}, {"Left1", 993}}, {{"Width1", 300}, {"Left1", 724}}},
        {{{"Width1", 300}, {"Left1", 992}}, {{"Width1", 300}, {"Left1", 992}}},
        {{{"Left1", -40}, {"Top1", -1}}, {{"Left1", 0}, {"Top1", 0}}},
        {{{"Height1", 769}, {"Top1", 740}}, {{"Height1", 106}, {"Top1", 662}}},
        {{{"Width2", -1}, {"Height2", -1}}, {{"Width2", 600}, {"Height2", 206}}},
        {{{"Width2", 1025}, {"Left2", 2000}, {"Top2", 737}}, {{"Width2", 600}, {"Left2", 424}, {"Top2", 328}}},
        {{{"Width2", 1024}, {"Height2", 768}}, {{"Width2", 1024}, {"Height2", 768}}},
    };
    const auto field = [](const TAppSettings& s, const std::string& name) {
        const std::map<std::string, int> f = {{"Left1", s.Left1},     {"Top1", s.Top1},      {"Width1", s.Width1},
                                              {"Height1", s.Height1}, {"Left2", s.Left2},    {"Top2", s.Top2},
                                              {"Width2", s.Width2},   {"Height2", s.Height2}};
        return f.at(name);
    };
    for (const Case& c : cases) {
        registry_.Clear();
        std::string trace;
        for (const auto& [name, value] : c.stored) {
            registry_.WriteValue(Key("Position"), name, std::to_string(value));
            trace += std::string(name) + "=" + std::to_string(value) + " ";
        }
        SCOPED_TRACE(trace);
        auto s = Read();
        for (const auto& [name, value] : c.expected)
            EXPECT_EQ(field(*s, name), value) << name;
    }

    registry_.Clear();
    registry_.WriteValue(Key("Position"), "Left1", "5000");
    EXPECT_EQ(Read(TScreenSize{})->Left1, 5000) << "an unknown screen size corrects nothing";
}

TEST_F(TAppSettingsTest, MyClipsComesFirstAndNumbersRaiseTheNextNumber) {
    AddSource("Work", tmp_ + "work", "7");
    AddSource("Archive", tmp_ + "archive/", "3");
    AddSource("My Clips", tmp_ + "mine/");
    registry_.WriteValue(Key("DataSources\\Archive"), "Read_Only", "1");
    registry_.WriteValue(Key("DataSources\\Archive"), "AutoLoad", "0");
    auto s = Read();
    EXPECT_TRUE(dialog_.Suggestions().empty());
    ASSERT_EQ(dataSources_.Count(), 3u);
    EXPECT_EQ(dataSources_.Name(0), "My Clips");
    EXPECT_EQ(dataSources_.Name(1), "Archive");
    EXPECT_EQ(dataSources_.Name(2), "Work") << "exchanged with the first, not moved";
    EXPECT_EQ(dataSources_.Source(0)->Number, 1);
    EXPECT_EQ(dataSources_.Source(2)->Number, 7);
    EXPECT_EQ(dataSources_.Source(2)->Directory, tmp_ + "work/") << "directories end in a slash";
    EXPECT_EQ(dataSources_.Source(2)->Description, "Work clips");
    EXPECT_TRUE(dataSources_.Source(1)->Read_Only);
    EXPECT_FALSE(dataSources_.Source(1)->AutoLoad);
    EXPECT_TRUE(dataSources_.Source(0)->AutoLoad);
    EXPECT_EQ(dataSources_.NextDataSourceNumber, 8);

    // Only the exact name counts.
    registry_.Clear();
    AddSource("Work", tmp_ + "work/");
    AddSource("my clips", tmp_ + "mine/");
    Read();
    EXPECT_EQ(dataSources_.Name(0), "Work");

    // After a save the list is written in its order, without the numbers, which then read as 1.
    registry_.Clear();
    AddSource("Work", tmp_ + "work/", "5");
    AddSource("My Clips", tmp_ + "mine/", "4");
    registry_.WriteValue(Key("DataSources"), "UseWindowsDefaultDataPath", "0");
    s = Read();
    ASSERT_TRUE(s->WriteSettings());
    EXPECT_EQ(registry_.ValueNames(Key("DataSources")), std::vector<std::string>{});
    EXPECT_EQ(registry_.ValueNames(Key("DataSources\\_Dirs")), (std::vector<std::string>{"My Clips", "Work"}));
    Read();
    EXPECT_EQ(dataSources_.Source(1)->Number, 1);
}

TEST_F(TAppSettingsTest, DefaultDataPathFlagReplacesMyClipsOnce) {
    AddSource("Work", tmp_ + "work/");
    AddSource("My Clips", tmp_ + "elsewhere/");
    registry_.WriteValue(Key("DataSources"), "UseWindowsDefaultDataPath", "1");
    auto s = Read();
    EXPECT_EQ(dataSources_.Name(0), "My Clips");
    EXPECT_EQ(dataSources_.Source(0)->Directory, s->DefaultDataDir);
    EXPECT_EQ(Value("DataSources", "UseWindowsDefaultDataPath"), "0");
    EXPECT_TRUE(dialog_.Suggestions().empty());
}

TEST_F(TAppSettingsTest, WithoutADataSourceTheDialogIsAskedUntilAFolderIsChosen) {
    dialog_.Answer(std::nullopt);
    dialog_.Answer(std::nullopt);
    dialog_.Answer(tmp_ + "chosen");
    auto s = Read();
    EXPECT_EQ(dialog_.Suggestions().size(), 3u);
    ASSERT_EQ(dataSources_.Count(), 1u);
    EXPECT_EQ(dataSources_.Source(0)->Directory, tmp_ + "chosen/");
    EXPECT_EQ(Value("DataSources\\My Clips", "Directory"), tmp_ + "chosen/") << "written to the store at once";

    registry_.Clear();
    auto quiet = Make();
    quiet->UseDefaultDataDirWithoutAsking = true;
    quiet->ReadSettings(Screen);
    EXPECT_EQ(dialog_.Suggestions().size(), 3u) << "not asked again";
    EXPECT_EQ(dataSources_.Source(0)->Directory, quiet->DefaultDataDir);
}

// A first start told to take the default folder also takes it when no configured data source can be used.
TEST_F(TAppSettingsTest, WithNoUsableDataSourceTheDefaultFolderIsTakenWhenToldToTakeIt) {
    struct Case {
        const char* what;
        std::function<void()> configure;
    };
    const Case cases[] = {
        {"switched off",
         [&] {
             AddSource("My Clips", tmp_ + "off/");
             registry_.WriteValue(Key("DataSources\\My Clips"), "AutoLoad", "0");
         }},
        {"a relative directory", [&] { AddSource("My Clips", "relative/dir/"); }},
        {"a damaged entry", [&] { registry_.WriteValue(Key("DataSources\\_Dirs"), "My Clips", "1"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const bool told : {false, true}) {
            registry_.Clear();
            c.configure();
            auto s = Make();
            s->UseDefaultDataDirWithoutAsking = told;
            s->ReadSettings(Screen);
            ASSERT_EQ(dataSources_.Count(), told ? 2u : 1u);
            EXPECT_EQ(dataSources_.Name(told ? 1 : 0), "My Clips") << "the configured one stays";
            if (told) {
                EXPECT_EQ(dataSources_.Name(0), "My Clips 2");
                EXPECT_EQ(dataSources_.Source(0)->Directory, s->DefaultDataDir);
                EXPECT_EQ(Value("DataSources\\My Clips 2", "Directory"), s->DefaultDataDir);
            }
        }
    }
    EXPECT_TRUE(dialog_.Suggestions().empty());
}

TEST_F(TAppSettingsTest, DefaultCollectionsAreNeededWhenTheFirstDirectoryHasNoSubDirectory) {
    const std::string dir = tmp_ + "data/";
    AddSource("My Clips", dir);
    EXPECT_TRUE(Read()->NeedDefaultCollections) << "missing directory";
    fs::create_directories(dir + ".hidden");
    std::ofstream(dir + "file.txt") << "x";
    EXPECT_TRUE(Read()->NeedDefaultCollections) << "only a file and a hidden directory";
    fs::create_directories(dir + "Short-Term");
    EXPECT_FALSE(Read()->NeedDefaultCollections);
}

TEST_F(TAppSettingsTest, ChangedFieldsAndTheTitleListRoundTrip) {
    AddSource("My Clips", tmp_ + "mine/");
    registry_.WriteValue(Key("Flashpick_NoCtrlV"), "Notepad", "1");
    registry_.WriteValue(Key("Flashpick_NoCtrlV"), "Terminal, with comma", "1");
    registry_.WriteValue(Key("Preferences"), "AfterLoadDuration", "500");
    auto s = Read();
    EXPECT_EQ(noCtrlV_, (std::vector<std::string>{"Notepad", "Terminal, with comma"}));
    EXPECT_EQ(s->AfterLoadDuration, 500);
    s->GlueSeparator = "\n--\n";
    s->HKFlashpick = "";
    s->PrintMarginBottom = 0.25;
    s->Captured = 41;
    s->MagFont = {"Mono", 11, 0};
    s->ShowBinary = true;
    noCtrlV_ = {"xterm"};
    clipstore::TDataSource* mine = dataSources_.Source(0);
    mine->Description = "Mine";
    mine->Read_Only = true;
    platform::sim::SimClock clock;
    platform::sim::SimDateTimeFormat format;
    TAppLog log(23, tmp_ + "log/", clock, format);
    log.LevelMask = 127;
    s->Log = &log;
    ASSERT_TRUE(s->WriteSettings());
    EXPECT_EQ(Value("Preferences", "AfterLoadDuration"), "500") << "left as it was, never written";
    EXPECT_EQ(Value("Preferences", "LogLevel"), "127") << "the log's mask as it stands at the end";

    auto again = Read();
    EXPECT_EQ(again->GlueSeparator, "\n--\n");
    EXPECT_EQ(again->HKFlashpick, "");
    EXPECT_DOUBLE_EQ(again->PrintMarginBottom, 0.25);
    EXPECT_EQ(again->Captured, 41);
    EXPECT_EQ(again->MagFont, (TFontDesc{"Mono", 11, 0}));
    EXPECT_TRUE(again->ShowBinary);
    EXPECT_EQ(noCtrlV_, std::vector<std::string>{"xterm"});
    EXPECT_EQ(dataSources_.Source(0)->Description, "Mine");
    EXPECT_TRUE(dataSources_.Source(0)->Read_Only);
}

TEST_F(TAppSettingsTest, TheTerminalListHasDefaultsAndKeepsWhatTheUserTookOffOrAdded) {
    AddSource("My Clips", tmp_ + "mine/");
    auto s = Read();
    EXPECT_EQ(s->TerminalPrograms, TAppSettings::DefaultTerminalPrograms()) << "no key yet";
    for (const char* program : {"gnome-terminal-server", "konsole", "xfce4-terminal", "kitty", "foot"})
        EXPECT_NE(std::find(s->TerminalPrograms.begin(), s->TerminalPrograms.end(), program), s->TerminalPrograms.end())
            << program;

    // Konsole taken off, a program of the user's added: both survive a write and a read.
    std::erase(s->TerminalPrograms, "konsole");
    s->TerminalPrograms.push_back("myterm");
    ASSERT_TRUE(s->WriteSettings());
    EXPECT_EQ(Value("Flashpick_Terminals", "konsole"), "0");
    EXPECT_EQ(Value("Flashpick_Terminals", "myterm"), "1");
    auto again = Read();
    EXPECT_EQ(std::count(again->TerminalPrograms.begin(), again->TerminalPrograms.end(), "konsole"), 0);
    EXPECT_EQ(std::count(again->TerminalPrograms.begin(), again->TerminalPrograms.end(), "myterm"), 1);
    EXPECT_EQ(again->TerminalPrograms.size(), TAppSettings::DefaultTerminalPrograms().size());

    // An emptied list stays empty.
    again->TerminalPrograms.clear();
    ASSERT_TRUE(again->WriteSettings());
    EXPECT_TRUE(Read()->TerminalPrograms.empty());
}

TEST_F(TAppSettingsTest, ResetsForgetWhatTheySayAndSuppressTheFinalSave) {
    AddSource("My Clips", tmp_ + "mine/");
    registry_.WriteValue(Key("Position"), "Left1", "100");
    registry_.WriteValue(Key("lvClips\\Columns"), "Sizes", "10,20");
    registry_.WriteValue(Key("lvFP\\Columns"), "Sizes", "10,20");
    registry_.WriteValue(Key("Application Profile\\notepad"), "x", "1");
    registry_.WriteValue(Key("Preferences"), "SettleTime", "200");

    auto s = Read();
    s->ResetPositions();
    EXPECT_TRUE(s->ResetPending);
    EXPECT_FALSE(registry_.KeyExists(Key("Position")));
    EXPECT_FALSE(registry_.KeyExists(Key("lvClips")));
    EXPECT_FALSE(registry_.KeyExists(Key("lvFP")));
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "Size/Position settings will be reset to defaults the next time \nBrindlex is "
                                      "started.  Please restart Brindlex now.");
    EXPECT_EQ(boxes_.Boxes()[0].type, MsgType::Information);
    s->SettleTime = 999;
    s->Left1 = 5;
    s->WriteSettings();
    EXPECT_EQ(Value("Preferences", "SettleTime"), "200") << "nothing of this run is saved";
    EXPECT_FALSE(registry_.KeyExists(Key("Position")));

    s->ClearApplicationProfile();
    EXPECT_FALSE(registry_.KeyExists(Key("Application Profile")));
    EXPECT_EQ(boxes_.Boxes().back().text, "Application Profile Has Been Cleared.");

    s = Read();
    EXPECT_FALSE(s->ResetPending) << "the next run saves again";
    boxes_.Answer(MsgResult::No);
    EXPECT_FALSE(s->ConfirmResetAtStartup());
    EXPECT_TRUE(registry_.KeyExists(Root));
    EXPECT_EQ(boxes_.Boxes().back().buttons, MsgButtons::YesNo);
    EXPECT_TRUE(s->ConfirmResetAtStartup());
    EXPECT_FALSE(registry_.KeyExists(Root));
    EXPECT_EQ(boxes_.Boxes().back().text, "All settings will be reset to defaults the next time \nBrindlex is "
                                          "started.  Please restart Brindlex now.");
    s = Read();
    EXPECT_EQ(s->SettleTime, 100);
    EXPECT_EQ(dialog_.Suggestions().size(), 1u) << "the data source is gone too";
}

TEST(ECreateDirectoryTest, MessageNamesTheDirectory) {
    const ECreateDirectory e("/media/usb/clips/");
    EXPECT_STREQ(e.what(), "Could NOT create data source directory: \n/media/usb/clips/");
}

TEST_F(TAppSettingsTest, DefaultDataDirFallsBackFromDataFolderToDocumentsToProgram) {
    platform::sim::SimUserDirs d;
    d.Home = "/home/bo/";
    d.Documents = "/home/bo/Docs/";
    d.Environment["XDG_DATA_HOME"] = "/xdg/data";
    EXPECT_EQ(TAppSettings::ComputeDefaultDataDir(d, "/p/"), "/xdg/data/Quorvanti Development/Brindlex5/");
    d.Environment["XDG_DATA_HOME"] = "relative";
    EXPECT_EQ(TAppSettings::ComputeDefaultDataDir(d, "/p/"), "/home/bo/.local/share/Quorvanti Development/Brindlex5/");
    d.Environment.clear();
    d.Home.clear();
    EXPECT_EQ(TAppSettings::ComputeDefaultDataDir(d, "/p/"), "/home/bo/Docs/Quorvanti Development/Brindlex5/");
    d.Documents.clear();
    EXPECT_EQ(TAppSettings::ComputeDefaultDataDir(d, "/p/"), "/p/data/");
}

TEST_F(TAppSettingsTest, AnUnreadableStoreFileStartsWithDefaultsAndKeepsTheFile) {
    const std::string file = tmp_ + "Quorvanti/Brindlex5.conf";
    fs::create_directories(tmp_ + "Quorvanti");
    std::ofstream(file) << "[Software/Quorvanti/Brindlex5/DataSources/_Dirs]\nWork=1\n";
    {
        platform::FileRegistry store(file);
        TAppSettings s(store, dirs_, boxes_, dialog_, dataSources_, noCtrlV_);
        s.ReadSettings(Screen);
        EXPECT_EQ(s.SettleTime, 100);
        EXPECT_EQ(dialog_.Suggestions().size(), 1u) << "the program starts as on a fresh machine";
        EXPECT_TRUE(s.WriteSettings());
    }
    EXPECT_TRUE(fs::exists(file + ".unreadable-1"));
    const auto held = platform::FileRegistry::TakeHeldLogLines();
    ASSERT_EQ(held.size(), 1u);
    EXPECT_NE(held[0].what.find(file + ".unreadable-1"), std::string::npos);
    platform::FileRegistry reread(file);
    EXPECT_TRUE(reread.LoadProblem().empty());
    EXPECT_EQ(reread.ReadValue(Key("Preferences"), "SettleTime"), "100");
}

} // namespace
