#include "TDirFiles.h"

#include <filesystem>
#include <system_error>

namespace bx::clipstore {

namespace fs = std::filesystem;

namespace {

bool SameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

} // namespace

std::optional<std::string> TDirFiles::Find(const std::string& dir, const std::string& name) {
    std::error_code ec;
    const std::string exact = dir + name;
    if (fs::is_regular_file(exact, ec))
        return exact;
    std::optional<std::string> best;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (!SameNoCase(entry, name))
            continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError))
            continue;
        if (!best || entry < best->substr(dir.size()))
            best = dir + entry;
    }
    return best;
}

bool TDirFiles::Remove(const std::string& dir, const std::string& name) {
    bool removed = false;
    // Several spellings may exist side by side; none of them may survive.
    while (const auto path = Find(dir, name)) {
        std::error_code ec;
        if (!fs::remove(*path, ec) || ec)
            return false;
        removed = true;
    }
    return removed;
}

std::string TDirFiles::WithSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir;
}

} // namespace bx::clipstore
