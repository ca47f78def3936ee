// The settings store in a file: the text form, atomic private writes, and files that cannot be read.
#include "FileRegistry.h"
#include "LogHook.h"
#include "SimUserDirs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace bx::platform;
namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {

class FileRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "bxregXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern + "/";
        FileRegistry::TakeHeldLogLines();
    }
    void TearDown() override {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, ec);
        fs::remove_all(dir_, ec);
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static void WriteFile(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static unsigned Mode(const std::string& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mode & 0777;
    }

    std::string dir_;
};

struct RecordingSink : ILogSink {
    std::vector<std::string> lines;
    void Write(int level, std::string_view where, std::string_view what) override {
        lines.push_back(std::to_string(level) + "|" + std::string(where) + "|" + std::string(what));
    }
};

TEST_F(FileRegistryTest, EveryTextAndNameRoundTripsWithCaseOrderAndEmptyKeys) {
    const std::string path = dir_ + "new/deeper/Brindlex5.conf";
    const std::vector<std::pair<std::string, std::string>> values = {
        {"GlueSeparator", "\\n"},
        {"Multi", "line one\nline two\r\n\ttabbed"},
        {"a=b", "x=y=z"},
        {"[Not a key]", "[also not]"},
        {"#not a comment", "# neither"},
        {"", "the default value"},
        {"Slash/Name", "C:\\Windows\\ and /usr/"},
        {"Control", std::string("\x01\x7f\x1b end", 7)},
        {"Umlaut \xc3\xa4", "  spaces kept  "},
        {"Empty", ""},
    };
    {
        FileRegistry store(path);
        EXPECT_TRUE(store.LoadProblem().empty());
        for (const auto& [name, value] : values)
            store.WriteValue("Software\\Quorvanti\\Brindlex5\\Weird/Key [1]", name, value);
        store.WriteValue("Software\\Quorvanti\\Brindlex5\\DataSources\\_Dirs", "My Clips", "1");
        store.WriteValue("Software\\Quorvanti\\Brindlex5\\Empty", "x", "1");
        store.DeleteValue("Software\\Quorvanti\\Brindlex5\\Empty", "x");
        store.WriteValue("", "RootValue", "r");
        ASSERT_TRUE(store.Flush());
    }
    EXPECT_EQ(Mode(path), 0600u);
    EXPECT_EQ(Mode(dir_ + "new"), 0700u);
    EXPECT_EQ(Mode(dir_ + "new/deeper"), 0700u);

    FileRegistry again(path);
    EXPECT_TRUE(again.LoadProblem().empty()) << again.LoadProblem();
    const std::string key = "SOFTWARE\\quorvanti\\brindlex5\\weird/key [1]";
    for (const auto& [name, value] : values)
        EXPECT_EQ(again.ReadValue(key, name), value) << name;
    std::vector<std::string> names;
    for (const auto& v : values)
        names.push_back(v.first);
    EXPECT_EQ(again.ValueNames(key), names) << "names keep their case and order";
    EXPECT_TRUE(again.KeyExists("Software\\Quorvanti\\Brindlex5\\Empty")) << "a key without values survives";
    EXPECT_EQ(again.SubKeyNames("Software\\Quorvanti\\Brindlex5"),
              (std::vector<std::string>{"Weird/Key [1]", "DataSources", "Empty"}));
    EXPECT_EQ(again.ReadValue("", "RootValue"), "r");
    EXPECT_EQ(FileRegistry::Serialize(again), ReadFile(path)) << "reading and writing again changes nothing";
}

TEST_F(FileRegistryTest, FileIsLineBasedAndReadableByPeople) {
    const std::string path = dir_ + "Brindlex5.conf";
    {
        FileRegistry store(path);
        store.WriteValue("Software\\Quorvanti\\Brindlex5\\Position", "Left1", "120");
        store.WriteValue("Software\\Quorvanti\\Brindlex5\\Preferences", "GlueSeparator", "\\n");
    }
    EXPECT_EQ(ReadFile(path), "# Brindlex settings store, format 1\n"
                              "[Software]\n"
                              "[Software/Quorvanti]\n"
                              "[Software/Quorvanti/Brindlex5]\n"
                              "[Software/Quorvanti/Brindlex5/Position]\n"
                              "Left1=120\n"
                              "[Software/Quorvanti/Brindlex5/Preferences]\n"
                              "GlueSeparator=\\\\n\n")
        << "the destructor writes what was not flushed";

    WriteFile(path, "# Brindlex settings store, format 1\r\n# a comment\r\n\r\n[A/B]\r\nx=1\r\n");
    FileRegistry edited(path);
    EXPECT_TRUE(edited.LoadProblem().empty()) << "comments, empty lines and CR LF endings are accepted";
    EXPECT_EQ(edited.ReadValue("a\\b", "X"), "1");
}

TEST_F(FileRegistryTest, NothingIsWrittenWithoutAChange) {
    const std::string path = dir_ + "sub/Brindlex5.conf";
    {
        FileRegistry store(path);
        EXPECT_TRUE(store.Flush());
        EXPECT_EQ(store.ReadValue("Software", "x"), std::nullopt);
    }
    EXPECT_FALSE(fs::exists(dir_ + "sub"));
}

TEST_F(FileRegistryTest, UnparsableFilesAreKeptAsideAndTheStoreStartsEmpty) {
    const std::string path = dir_ + "Brindlex5.conf";
    std::string deepKey = "a";
    for (std::size_t i = 0; i < FileRegistry::MaxKeyDepth; ++i)
        deepKey += "/a";
    std::string manyValues;
    for (std::size_t i = 0; i < FileRegistry::MaxEntries; ++i)
        manyValues += "v" + std::to_string(i) + "=1\n";
    const std::vector<std::string> badFiles = {
        "",
        "some other program's settings\n[A]\nx=1\n",
        "# Brindlex settings store, format 1\nx=1 before any key\n",
        "# Brindlex settings store, format 1\n[A]\nno equals sign\n",
        "# Brindlex settings store, format 1\n[A]\nx=bad \\q escape\n",
        "# Brindlex settings store, format 1\n[A]\nx=raw\x01control\n",
        "# Brindlex settings store, format 1\n[A/B\nx=1\n",
        "# Brindlex settings store, format 1\n[A//B]\nx=1\n",
        "# Brindlex settings store, format 1\n[A]\nx=\\x4\n",
        "# Brindlex settings store, format 1\n[A]\nx=nul\0byte\n"s,
        "# Brindlex settings store, format 1\n[" + deepKey + "]\n",
        "# Brindlex settings store, format 1\n[A]\n" + manyValues,
    };
    int n = 0;
    for (const std::string& bad : badFiles) {
        SCOPED_TRACE(bad);
        ++n;
        WriteFile(path, bad);
        FileRegistry store(path);
        const std::string aside = path + ".unreadable-" + std::to_string(n);
        EXPECT_EQ(ReadFile(aside), bad) << "the unreadable file is kept under the next free name";
        EXPECT_FALSE(fs::exists(path));
        EXPECT_TRUE(store.SubKeyNames("").empty());
        EXPECT_NE(store.LoadProblem().find(aside), std::string::npos) << store.LoadProblem();
        store.WriteValue("A", "x", "fresh");
        EXPECT_TRUE(store.Flush());
        EXPECT_EQ(ReadFile(aside), bad) << "writing the new store leaves the kept file alone";
        fs::remove(path);
    }
    const auto held = FileRegistry::TakeHeldLogLines();
    ASSERT_EQ(held.size(), badFiles.size()) << "without a log, one line per problem is held for it";
    EXPECT_EQ(held[0].level, LogErrors);
    EXPECT_NE(held[0].what.find(".unreadable-1"), std::string::npos);
    EXPECT_TRUE(FileRegistry::TakeHeldLogLines().empty()) << "taken once";
}

TEST_F(FileRegistryTest, WithALogTheProblemIsLoggedAtOnce) {
    const std::string path = dir_ + "Brindlex5.conf";
    WriteFile(path, "garbage");
    RecordingSink sink;
    SetLogSink(&sink);
    FileRegistry store(path);
    SetLogSink(nullptr);
    ASSERT_EQ(sink.lines.size(), 1u);
    EXPECT_EQ(sink.lines[0].rfind("2|Settings Store|The settings file " + path, 0), 0u) << sink.lines[0];
    EXPECT_TRUE(FileRegistry::TakeHeldLogLines().empty());
}

TEST_F(FileRegistryTest, AFileThatCannotBeKeptAsideIsNeverOverwritten) {
    const std::string path = dir_ + "Brindlex5.conf";
    WriteFile(path, "garbage");
    for (int n = 1; n <= 1000; ++n)
        WriteFile(path + ".unreadable-" + std::to_string(n), "older");
    FileRegistry store(path);
    store.WriteValue("A", "x", "1");
    EXPECT_FALSE(store.Flush());
    EXPECT_EQ(ReadFile(path), "garbage");
    EXPECT_NE(store.LoadProblem().find("will not overwrite"), std::string::npos);
    FileRegistry::TakeHeldLogLines();
}

TEST(FileRegistryPathTest, ConfigFolderComesFromXdgConfigHomeElseHome) {
    sim::SimUserDirs dirs;
    dirs.Home = "/home/ann";
    EXPECT_EQ(FileRegistry::DefaultPath(dirs), "/home/ann/.config/Quorvanti/Brindlex5.conf");
    dirs.Environment["XDG_CONFIG_HOME"] = "relative/ignored";
    EXPECT_EQ(FileRegistry::DefaultPath(dirs), "/home/ann/.config/Quorvanti/Brindlex5.conf");
    dirs.Environment["XDG_CONFIG_HOME"] = "/cfg";
    EXPECT_EQ(FileRegistry::DefaultPath(dirs), "/cfg/Quorvanti/Brindlex5.conf");
    dirs.Environment.clear();
    dirs.Home.clear();
    EXPECT_EQ(FileRegistry::DefaultPath(dirs), "");
    FileRegistry memoryOnly("");
    memoryOnly.WriteValue("A", "x", "1");
    EXPECT_EQ(memoryOnly.ReadValue("A", "x"), "1");
    EXPECT_FALSE(memoryOnly.Flush());
    FileRegistry::TakeHeldLogLines();
}

} // namespace
