#pragma once

#include "IProcesses.h"

namespace bx::platform::x11 {

// Processes of the Linux machine, read from /proc: a snapshot lists every process with the program it
// runs; opening one reads its program's path. Processes of other users may not be readable.
class ProcFsProcesses : public IProcesses {
public:
    ProcessLookupMeans LookupMeans() const override;
    std::optional<std::vector<ProcessEntry>> ProcessSnapshot() const override;
    ProcessImage OpenProcessImage(std::uint32_t pid) const override;
};

} // namespace bx::platform::x11
