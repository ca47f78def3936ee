#pragma once

#include <optional>
#include <string>

namespace bx::clipstore {

// The files of a collection directory are named without regard to case: collections copied from
// other systems say "D5.dat" or "I5.BMP". An existing file is looked up case-insensitively (ASCII
// letters); a new file is created with the name exactly as given.
class TDirFiles {
public:
    // The path of the file called name in dir (ending in "/"), in whatever case it has on disk:
    // the exact spelling when it exists, else the first match in name order; none when there is none.
    static std::optional<std::string> Find(const std::string& dir, const std::string& name);
    static bool Exists(const std::string& dir, const std::string& name) { return Find(dir, name).has_value(); }
    // dir with a trailing "/" (an empty dir stays empty).
    static std::string WithSlash(std::string dir);
    // Removes the file called name in dir whatever its case; false when there was none or it stays.
    static bool Remove(const std::string& dir, const std::string& name);
};

} // namespace bx::clipstore
