#pragma once

#include "IUserDirs.h"

namespace bx::platform {

// The user's folders as the process finds them: the environment, the password database for the
// home directory, the desktop's user-dirs.dirs for the documents folder, /proc for the program.
class EnvUserDirs : public IUserDirs {
public:
    std::optional<std::string> Env(const std::string& name) const override;
    std::string HomeDir() const override;
    std::string DocumentsDir() const override;
    std::string ProgramDir() const override;
};

} // namespace bx::platform
