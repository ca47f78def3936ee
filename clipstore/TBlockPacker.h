#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace bx::clipstore {

// Packs the large memory blocks of the clips' data files and unpacks them again. A packed block is
// a method byte (1: one zstd frame), the unpacked size (uint32, little-endian) and the method's
// stream. Blocks below MinSize or above MaxSize, blocks that would not shrink by an eighth and
// blocks that shrink more than MaxRatio times are left as they are, so that a reader can refuse any
// declared size beyond those bounds before it allocates anything. Safe on any thread.
class TBlockPacker {
public:
    static constexpr std::uint8_t MethodZstd = 1;
    static constexpr std::size_t HeaderSize = 5;
    static constexpr std::size_t MinSize = 4096;
    static constexpr std::size_t MaxSize = std::size_t{256} << 20;
    static constexpr std::size_t MaxRatio = 1024;

    // The packed form of raw; none when raw is not worth packing.
    static std::optional<std::vector<std::uint8_t>> Pack(std::span<const std::uint8_t> raw);
    // The unpacked size that packed declares; none when its header is short, its method unknown, or
    // the size is out of bounds (above MaxSize or MaxRatio times the packed bytes, or below MinSize).
    static std::optional<std::size_t> UnpackedSize(std::span<const std::uint8_t> packed);
    // Unpacks into out, which holds exactly the declared size; false when the stream is damaged or
    // does not produce exactly that many bytes.
    static bool Unpack(std::span<const std::uint8_t> packed, std::span<std::uint8_t> out);
};

} // namespace bx::clipstore
