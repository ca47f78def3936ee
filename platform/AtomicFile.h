#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace bx::platform {

// Files written so that a crash leaves either the old or the new content, never a part: the bytes go
// to a temporary file beside the target, are flushed to the disk, and the temporary file is renamed
// over the target; then the directory is flushed. New files are private to the user (0600).
class AtomicFile {
public:
    static constexpr unsigned PrivateFileMode = 0600;
    static constexpr unsigned PrivateDirMode = 0700;

    // False, with a reason in error when given, when any step fails; the target is then unchanged
    // and no temporary file is left behind.
    static bool Write(const std::string& path, std::span<const std::uint8_t> bytes, std::string* error = nullptr,
                      unsigned mode = PrivateFileMode);
    // Flushes a directory's entries (after a rename or an unlink in it).
    static bool SyncDirectory(const std::string& dir);
};

} // namespace bx::platform
