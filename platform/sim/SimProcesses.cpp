#include "SimProcesses.h"

namespace bx::platform::sim {

SimProcesses::SimProcesses() : means_{true, true, true, true, true} {}

std::optional<std::vector<ProcessEntry>> SimProcesses::ProcessSnapshot() const {
    if (!means_.snapshotCreate)
        return std::nullopt;
    std::vector<ProcessEntry> entries;
    for (const auto& [pid, process] : processes_)
        if (process.identifiable)
            entries.push_back(ProcessEntry{pid, process.exePath});
    return entries;
}

ProcessImage SimProcesses::OpenProcessImage(std::uint32_t pid) const {
    auto it = processes_.find(pid);
    if (it == processes_.end() || !it->second.identifiable)
        return {};
    return ProcessImage{true, it->second.exePath};
}

std::uint32_t SimProcesses::AddProcess(const std::string& exePath) {
    const std::uint32_t pid = nextPid_;
    nextPid_ += 4;
    processes_.emplace(pid, Process{exePath, true});
    return pid;
}

void SimProcesses::SetIdentifiable(std::uint32_t pid, bool identifiable) {
    if (auto it = processes_.find(pid); it != processes_.end())
        it->second.identifiable = identifiable;
}

} // namespace bx::platform::sim
