#pragma once

#include <optional>
#include <string>

namespace bx::platform {

// Where the user's things are: environment variables and the user's folders. Code that needs them
// asks through this interface so that tests can answer; EnvUserDirs reads the real process
// environment. Every directory returned ends in "/"; an empty text means "unknown".
class IUserDirs {
public:
    virtual ~IUserDirs() = default;

    // The value of an environment variable; nothing when it is not set.
    virtual std::optional<std::string> Env(const std::string& name) const = 0;
    // The user's home directory.
    virtual std::string HomeDir() const = 0;
    // The user's documents folder (the desktop's configured one, else ~/Documents when it exists).
    virtual std::string DocumentsDir() const = 0;
    // The directory of the running program.
    virtual std::string ProgramDir() const = 0;
};

} // namespace bx::platform
