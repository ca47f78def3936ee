#pragma once

#include "IProcesses.h"

#include <cstdint>
#include <map>
#include <string>

namespace bx::platform::sim {

// The processes of the simulated desktop and their programs. A test can take lookup means away and
// hide a process from every lookup, as a process of another user would be.
class SimProcesses : public IProcesses {
public:
    SimProcesses();

    ProcessLookupMeans LookupMeans() const override { return means_; }
    std::optional<std::vector<ProcessEntry>> ProcessSnapshot() const override;
    ProcessImage OpenProcessImage(std::uint32_t pid) const override;

    // A new process running the program at exePath; returns its id.
    std::uint32_t AddProcess(const std::string& exePath);
    void SetLookupMeans(const ProcessLookupMeans& means) { means_ = means; }
    void SetIdentifiable(std::uint32_t pid, bool identifiable);

private:
    struct Process {
        std::string exePath;
        bool identifiable = true;
    };
    ProcessLookupMeans means_;
    std::map<std::uint32_t, Process> processes_;
    std::uint32_t nextPid_ = 1000;
};

} // namespace bx::platform::sim
