#include "SimUserDirs.h"

namespace bx::platform::sim {

std::optional<std::string> SimUserDirs::Env(const std::string& name) const {
    const auto it = Environment.find(name);
    if (it == Environment.end())
        return std::nullopt;
    return it->second;
}

} // namespace bx::platform::sim
