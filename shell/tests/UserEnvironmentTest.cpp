// The real program's user folders and locale formats, as the settings and the log use them.
#include "DateTime.h"
#include "EnvUserDirs.h"
#include "StrftimeDateTimeFormat.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace bx::platform;
namespace fs = std::filesystem;

namespace {

// Sets environment variables for one test and puts the old values back.
class EnvironmentGuard {
public:
    void Set(const char* name, const char* value) {
        if (!saved_.contains(name)) {
            const char* old = std::getenv(name);
            saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~EnvironmentGuard() {
        for (const auto& [name, value] : saved_)
            if (value)
                ::setenv(name.c_str(), value->c_str(), 1);
            else
                ::unsetenv(name.c_str());
    }

private:
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST(EnvUserDirsTest, DocumentsFolderFromEnvironmentThenUserDirsFileThenHome) {
    std::string pattern = (fs::path(::testing::TempDir()) / "bxenvXXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const std::string home = pattern + "/";
    EnvironmentGuard env;
    env.Set("HOME", home.c_str());
    env.Set("XDG_CONFIG_HOME", nullptr);
    env.Set("XDG_DOCUMENTS_DIR", nullptr);
    EnvUserDirs dirs;
    EXPECT_EQ(dirs.HomeDir(), home);
    EXPECT_EQ(dirs.DocumentsDir(), "") << "nothing configured and no ~/Documents";

    fs::create_directories(home + "Documents");
    EXPECT_EQ(dirs.DocumentsDir(), home + "Documents/");

    fs::create_directories(home + ".config");
    std::ofstream(home + ".config/user-dirs.dirs") << "# written by xdg-user-dirs-update\n"
                                                      "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                                      "XDG_DOCUMENTS_DIR=\"$HOME/Papiere\"\n";
    EXPECT_EQ(dirs.DocumentsDir(), home + "Papiere/");
    std::ofstream(home + ".config/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/unterminated\n";
    EXPECT_EQ(dirs.DocumentsDir(), home + "Documents/") << "a broken line is not used";
    std::ofstream(home + ".config/user-dirs.dirs") << "XDG_DOCUMENTS_DIR=\"$HOME/\"\n";
    EXPECT_EQ(dirs.DocumentsDir(), home + "Documents/") << "the home directory itself means not configured";

    env.Set("XDG_DOCUMENTS_DIR", "/srv/docs");
    EXPECT_EQ(dirs.DocumentsDir(), "/srv/docs/");
    EXPECT_EQ(dirs.Env("XDG_DOCUMENTS_DIR"), "/srv/docs");
    env.Set("XDG_DOCUMENTS_DIR", nullptr);
    EXPECT_EQ(dirs.Env("XDG_DOCUMENTS_DIR"), std::nullopt);

    const std::string program = dirs.ProgramDir();
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program.back(), '/');
    EXPECT_TRUE(fs::exists(program + "bx_shell_tests"));
    fs::remove_all(home);
}

TEST(StrftimeDateTimeFormatTest, ShortDateAndLongTimeOfTheProcessLocale) {
    // Tests run in the "C" locale.
    const StrftimeDateTimeFormat format;
    const TDateTime t = EncodeDateTime({2026, 3, 2, 9, 5, 7, 0});
    EXPECT_EQ(format.ShortDate(t), "03/02/26");
    EXPECT_EQ(format.LongTime(t), "09:05:07");
    EXPECT_EQ(format.DateTime(t), "03/02/26 09:05:07");
}

} // namespace
