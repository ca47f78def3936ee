#include "ProcFsProcesses.h"

#include <filesystem>
#include <system_error>

namespace bx::platform::x11 {

namespace fs = std::filesystem;

namespace {

std::string ProgramOf(const fs::path& processDir, bool& readable) {
    std::error_code ec;
    const fs::path exe = fs::read_symlink(processDir / "exe", ec);
    readable = !ec || ec == std::errc::no_such_file_or_directory;
    return ec ? std::string() : exe.string();
}

bool IsNumber(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos && s.size() < 10;
}

} // namespace

ProcessLookupMeans ProcFsProcesses::LookupMeans() const {
    std::error_code ec;
    const bool proc = fs::is_directory("/proc/self", ec);
    return ProcessLookupMeans{proc, proc, proc, proc, proc};
}

std::string ProcFsProcesses::LookupMeansNames() const {
    return windowMeans_.empty() ? "/proc" : windowMeans_ + ", /proc";
}

std::optional<std::vector<ProcessEntry>> ProcFsProcesses::ProcessSnapshot() const {
    std::error_code ec;
    fs::directory_iterator it("/proc", ec);
    if (ec)
        return std::nullopt;
    std::vector<ProcessEntry> entries;
    for (const fs::directory_entry& entry : it) {
        const std::string name = entry.path().filename().string();
        if (!IsNumber(name))
            continue;
        bool readable = false;
        std::string program = ProgramOf(entry.path(), readable);
        if (!program.empty())
            entries.push_back(ProcessEntry{static_cast<std::uint32_t>(std::stoul(name)), std::move(program)});
    }
    return entries;
}

ProcessImage ProcFsProcesses::OpenProcessImage(std::uint32_t pid) const {
    const fs::path dir = fs::path("/proc") / std::to_string(pid);
    std::error_code ec;
    if (pid == 0 || !fs::is_directory(dir, ec))
        return {};
    bool readable = false;
    std::string program = ProgramOf(dir, readable);
    if (!readable)
        return {};
    return ProcessImage{true, std::move(program)};
}

} // namespace bx::platform::x11
