#include "TLeftoverFiles.h"

#include "AsciiText.h"
#include "LogHook.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace bx::clipstore {

namespace fs = std::filesystem;

namespace {

bool IsDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The name of a file the program writes in a collection directory.
bool IsOwnName(std::string_view name) {
    if (platform::SameText(name, "_COLL.tmp") || platform::SameText(name, "_COLL.bak"))
        return true;
    if (name.size() < 6 || name.substr(name.size() - 4, 1) != ".")
        return false;
    const std::string_view serial = name.substr(1, name.size() - 5);
    const std::string_view extension = name.substr(name.size() - 4);
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
    if (!IsDigits(serial))
        return false;
    if (kind == 'D')
        return platform::SameText(extension, ".DAT");
    return kind == 'I' && (platform::SameText(extension, ".bmp") || platform::SameText(extension, ".wmf") ||
                           platform::SameText(extension, ".emf"));
}

} // namespace

bool TLeftoverFiles::IsLeftover(std::string_view name) {
    if (platform::SameText(name, "_COLL.bak.new"))
        return true;
    if (name.size() < 8 || name[name.size() - 7] != '.')
        return false;
    const std::string_view suffix = name.substr(name.size() - 6);
    const bool temporary =
        std::all_of(suffix.begin(), suffix.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
    return temporary && IsOwnName(name.substr(0, name.size() - 7));
}

int TLeftoverFiles::Remove(const std::string& directory) {
    std::error_code ec;
    std::vector<fs::path> leftovers;
    for (fs::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->symlink_status(typeError).type() == fs::file_type::regular &&
            IsLeftover(it->path().filename().string()))
            leftovers.push_back(it->path());
    }
    int removed = 0;
    for (const fs::path& file : leftovers) {
        std::error_code removeError;
        if (fs::remove(file, removeError)) {
            ++removed;
            platform::LogMsg(platform::LogDeletion, "TLeftoverFiles",
                             "Removed what a broken save left: " + file.string());
        }
    }
    return removed;
}

} // namespace bx::clipstore
