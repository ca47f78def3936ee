#pragma once

#include "IUserDirs.h"

#include <map>
#include <string>

namespace bx::platform::sim {

// The user's folders as a test sets them: an environment of its own and fixed folders.
class SimUserDirs : public IUserDirs {
public:
    std::optional<std::string> Env(const std::string& name) const override;
    std::string HomeDir() const override { return Home; }
    std::string DocumentsDir() const override { return Documents; }
    std::string ProgramDir() const override { return Program; }

    std::map<std::string, std::string> Environment;
    std::string Home = "/home/tester/";
    std::string Documents;
    std::string Program = "/usr/bin/";
};

} // namespace bx::platform::sim
