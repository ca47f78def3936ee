#include "SimShell.h"

namespace bx::platform::sim {

bool SimShell::ShellExecute(const std::string& verb, const std::string& target, const std::string& parameters) {
    requests_.push_back(Request{verb, target, parameters});
    return succeeds_;
}

} // namespace bx::platform::sim
