#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bx::clipstore {

// Whole-file reading and atomic writing for the picture files of the graphic objects.
class TGraphicFile {
public:
    // The file's bytes. EGraphicOpenError when it cannot be opened or read; EInvalidGraphic when it is
    // larger than maxSize (nothing of that size is allocated).
    static std::vector<std::uint8_t> Read(const std::string& path, std::uint64_t maxSize);
    // Replaces the file atomically; EGraphicOpenError when that fails.
    static void Write(const std::string& path, std::span<const std::uint8_t> bytes);
};

} // namespace bx::clipstore
