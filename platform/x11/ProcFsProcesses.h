#pragma once

#include "IProcesses.h"

#include <string>

namespace bx::platform::x11 {

// Processes of the Linux machine, read from /proc: a snapshot lists every process with the program it
// runs; opening one reads its program's path. Processes of other users may not be readable.
class ProcFsProcesses : public IProcesses {
public:
    ProcessLookupMeans LookupMeans() const override;
    std::string LookupMeansNames() const override;
    std::optional<std::vector<ProcessEntry>> ProcessSnapshot() const override;
    ProcessImage OpenProcessImage(std::uint32_t pid) const override;

    // The means by which the desktop finds the process behind another program's window (named in
    // LookupMeansNames before "/proc").
    void SetWindowMeans(std::string means) { windowMeans_ = std::move(means); }

private:
    std::string windowMeans_;
};

} // namespace bx::platform::x11
