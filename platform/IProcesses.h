#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bx::platform {

// Which means of finding a process's program the desktop offers. A process snapshot lists every process
// with its program; a module lookup opens one process and reads its program's path.
struct ProcessLookupMeans {
    bool snapshotCreate = false;
    bool snapshotFirst = false;
    bool snapshotNext = false;
    bool moduleFileName = false;
    bool moduleBaseName = false;
};

struct ProcessEntry {
    std::uint32_t pid = 0;
    std::string exeFile; // the program's path
};

// The result of opening one process to read its program's path.
struct ProcessImage {
    bool opened = false; // false: no such process, or no right to look at it
    std::string path;    // empty when the process has no program file (a kernel thread)
};

class IProcesses {
public:
    virtual ~IProcesses() = default;

    virtual ProcessLookupMeans LookupMeans() const = 0;
    // The lookup means by name, as diagnostics show them ("XRes, _NET_WM_PID, /proc"); empty where
    // LookupMeans says it all.
    virtual std::string LookupMeansNames() const { return {}; }
    // Every running process; nothing when a snapshot cannot be taken.
    virtual std::optional<std::vector<ProcessEntry>> ProcessSnapshot() const = 0;
    virtual ProcessImage OpenProcessImage(std::uint32_t pid) const = 0;
};

} // namespace bx::platform
