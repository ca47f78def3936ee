#pragma once

#include "IShell.h"

#include <set>
#include <string>
#include <vector>

namespace bx::platform::sim {

// Records every request to open a folder, file or address.
class SimShell : public IShell {
public:
    struct Request {
        std::string verb;
        std::string target;
        std::string parameters;
        bool operator==(const Request&) const = default;
    };

    bool ShellExecute(const std::string& verb, const std::string& target, const std::string& parameters) override;

    // Only the paths a test added exist.
    bool PathExists(const std::string& path) const override { return paths_.contains(path); }
    void AddPath(const std::string& path) { paths_.insert(path); }

    const std::vector<Request>& Requests() const { return requests_; }
    // When false, every request fails (nothing can open the target).
    void SetSucceeds(bool succeeds) { succeeds_ = succeeds; }

private:
    std::vector<Request> requests_;
    std::set<std::string> paths_;
    bool succeeds_ = true;
};

} // namespace bx::platform::sim
