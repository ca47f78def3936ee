#pragma once

#include <string>

namespace bx::platform {

// Opening folders, files and web addresses with the user's preferred programs.
class IShell {
public:
    virtual ~IShell() = default;

    // verb is "open" (or "explore" for folders); false when nothing could open the target.
    virtual bool ShellExecute(const std::string& verb, const std::string& target, const std::string& parameters) = 0;
    // Whether a file or folder exists at an absolute path (what the handler would be given to open).
    virtual bool PathExists(const std::string& path) const = 0;
};

} // namespace bx::platform
