#include "EnvUserDirs.h"

#include <cstdlib>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace bx::platform {

namespace {

std::string WithSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The documents folder named in user-dirs.dirs: a line XDG_DOCUMENTS_DIR="$HOME/Documents".
std::string DocumentsFromUserDirsFile(const std::string& file, const std::string& home) {
    std::ifstream in(file);
    std::string line;
    int lines = 0;
    while (std::getline(in, line) && ++lines < 1000) {
        const std::string prefix = "XDG_DOCUMENTS_DIR=\"";
        if (line.rfind(prefix, 0) != 0)
            continue;
        const std::size_t end = line.find('"', prefix.size());
        if (end == std::string::npos)
            return {};
        std::string value = line.substr(prefix.size(), end - prefix.size());
        if (value.rfind("$HOME", 0) == 0) {
            if (home.empty())
                return {};
            value = home + value.substr(value.size() > 5 && value[5] == '/' ? 6 : 5);
        }
        // A documents folder equal to the home directory means "not configured".
        if (value.empty() || value.front() != '/' || WithSlash(value) == home)
            return {};
        return WithSlash(value);
    }
    return {};
}

} // namespace

std::optional<std::string> EnvUserDirs::Env(const std::string& name) const {
    const char* value = std::getenv(name.c_str());
    if (value == nullptr)
        return std::nullopt;
    return std::string(value);
}

std::string EnvUserDirs::HomeDir() const {
    if (const auto home = Env("HOME"); home && !home->empty() && home->front() == '/')
        return WithSlash(*home);
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    if (size <= 0 || size > (1 << 20))
        size = 16384;
    std::vector<char> buffer(static_cast<std::size_t>(size));
    struct passwd pw {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
        found->pw_dir != nullptr && found->pw_dir[0] == '/')
        return WithSlash(found->pw_dir);
    return {};
}

std::string EnvUserDirs::DocumentsDir() const {
    if (const auto docs = Env("XDG_DOCUMENTS_DIR"); docs && !docs->empty() && docs->front() == '/')
        return WithSlash(*docs);
    const std::string home = HomeDir();
    std::string config;
    if (const auto xdg = Env("XDG_CONFIG_HOME"); xdg && !xdg->empty() && xdg->front() == '/')
        config = WithSlash(*xdg);
    else if (!home.empty())
        config = home + ".config/";
    if (!config.empty()) {
        const std::string fromFile = DocumentsFromUserDirsFile(config + "user-dirs.dirs", home);
        if (!fromFile.empty())
            return fromFile;
    }
    if (!home.empty() && IsDirectory(home + "Documents"))
        return home + "Documents/";
    return {};
}

std::string EnvUserDirs::ProgramDir() const {
    std::vector<char> buffer(4096);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n <= 0 || static_cast<std::size_t>(n) >= buffer.size())
        return {};
    const std::string path(buffer.data(), static_cast<std::size_t>(n));
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace bx::platform
