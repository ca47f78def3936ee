// The session's autostart entry: written and removed in the user's configuration folder, read back as the
// desktop's own settings may have changed it.
#include "TAutostart.h"
#include "SimUserDirs.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace bx::shell {
namespace {

std::string Read(const std::string& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void Write(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

class AutostartTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::path(::testing::TempDir()) / "bxautostartXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dirs.Home = pattern + "/";
        dirs.Program = "/opt/my tools/";
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dirs.Home, ec);
    }
    platform::sim::SimUserDirs dirs;
};

TEST_F(AutostartTest, SwitchedOnItStartsThisProgramAndSwitchedOffTheEntryGoes) {
    const TAutostart autostart(dirs);
    EXPECT_EQ(autostart.Path(), dirs.Home + ".config/autostart/io.github.quorvanti.Brindlex.desktop");
    EXPECT_FALSE(autostart.Enabled());
    std::string error;
    ASSERT_TRUE(autostart.SetEnabled(true, &error)) << error;
    EXPECT_TRUE(autostart.Enabled());
    const std::string entry = Read(autostart.Path());
    // A path with a space is one quoted argument.
    EXPECT_NE(entry.find("\nExec=\"/opt/my tools/brindlex\"\n"), std::string::npos) << entry;
    EXPECT_NE(entry.find("\nTryExec=/opt/my tools/brindlex\n"), std::string::npos) << entry;
    ASSERT_TRUE(autostart.SetEnabled(false, &error)) << error;
    EXPECT_FALSE(autostart.Enabled());
    struct stat st {};
    EXPECT_NE(stat(autostart.Path().c_str(), &st), 0);
    EXPECT_TRUE(autostart.SetEnabled(false)) << "switching off what is off is no failure";
}

TEST_F(AutostartTest, TheConfigurationFolderComesFromTheEnvironmentWhenItIsAnAbsolutePath) {
    dirs.Environment["XDG_CONFIG_HOME"] = dirs.Home + "conf";
    EXPECT_EQ(TAutostart(dirs).Path(), dirs.Home + "conf/autostart/io.github.quorvanti.Brindlex.desktop");
    dirs.Environment["XDG_CONFIG_HOME"] = "relative/conf";
    EXPECT_EQ(TAutostart(dirs).Path(), dirs.Home + ".config/autostart/io.github.quorvanti.Brindlex.desktop");
}

TEST_F(AutostartTest, AnEntryTheDesktopTurnedOffOrAStrangeFileCountsAsOff) {
    const TAutostart autostart(dirs);
    ASSERT_TRUE(autostart.SetEnabled(true));
    const struct {
        const char* what;
        std::string text;
        bool enabled;
    } cases[] = {
        {"ours", TAutostart::EntryText("/usr/bin/brindlex"), true},
        {"hidden by the desktop", "[Desktop Entry]\nExec=brindlex\nHidden=true\n", false},
        {"switched off in GNOME", "[Desktop Entry]\nExec=brindlex\nX-GNOME-Autostart-enabled=false\n", false},
        {"a key of another group", "[Desktop Entry]\nExec=brindlex\n[Desktop Action x]\nHidden=true\n", true},
        {"larger than an entry can be", std::string(TAutostart::MaxEntryBytes + 1, 'x'), false},
    };
    for (const auto& c : cases) {
        Write(autostart.Path(), c.text);
        EXPECT_EQ(autostart.Enabled(), c.enabled) << c.what;
    }
}

TEST_F(AutostartTest, AFolderThatCannotBeMadeIsToldAndNothingIsWritten) {
    // A file stands where the configuration folder would be.
    Write(dirs.Home + ".config", "not a folder");
    const TAutostart autostart(dirs);
    std::string error;
    EXPECT_FALSE(autostart.SetEnabled(true, &error));
    EXPECT_NE(error.find("autostart"), std::string::npos) << error;
    EXPECT_FALSE(autostart.Enabled());
}

} // namespace
} // namespace bx::shell
