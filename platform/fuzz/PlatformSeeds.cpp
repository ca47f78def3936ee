// Writes the seed corpus of the settings file's fuzz target: store files written by the program's own
// writer. Usage: bx_platform_fuzz_seeds <corpus dir>.
#include "FileRegistry.h"
#include "MemoryRegistry.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

using bx::platform::FileRegistry;
using bx::platform::MemoryRegistry;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus dir>\n", argv[0]);
        return 2;
    }
    const std::filesystem::path dir = std::filesystem::path(argv[1]) / "SettingsFileFuzz";
    std::filesystem::create_directories(dir);
    const auto seed = [&dir](const std::string& name, const MemoryRegistry& tree) {
        std::ofstream(dir / name, std::ios::binary | std::ios::trunc) << FileRegistry::Serialize(tree);
    };
    MemoryRegistry empty;
    seed("empty", empty);
    MemoryRegistry settings;
    settings.WriteValue("Software\\Quorvanti\\Brindlex5", "DataDir", "/home/user/Brindlex data/");
    settings.WriteValue("Software\\Quorvanti\\Brindlex5", "MaxItems", "500");
    settings.WriteValue("Software\\Quorvanti\\Brindlex5\\Window", "Left", "-12");
    settings.WriteValue("Software\\Quorvanti\\Brindlex5\\Window", "Title", "a \"quoted\" = value\twith tab\n");
    settings.WriteValue("Software\\Quorvanti\\Brindlex5\\Hot Keys", "", "default value");
    settings.WriteValue("Software\\Quorvanti\\Brindlex5\\Text", "Utf8", "\xC3\xBC\xE2\x82\xAC");
    seed("settings", settings);
    return 0;
}
