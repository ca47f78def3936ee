#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace bx::platform {

// A file written piece by piece with the guarantee of AtomicFile: the pieces go to a temporary file
// beside the target, and only Commit flushes it to the disk and renames it over the target. A writer
// destroyed without a successful Commit removes its temporary file; the target is then unchanged.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Each step returns false, with a reason in error when given, when it fails; after a failure only
    // destruction is left to do.
    bool Open(const std::string& path, std::string* error = nullptr, unsigned mode = 0600);
    bool Append(std::span<const std::uint8_t> bytes, std::string* error = nullptr);
    bool Commit(std::string* error = nullptr);

private:
    void Discard();

    std::string path_;
    std::string temp_;
    int fd_ = -1;
};

} // namespace bx::platform
