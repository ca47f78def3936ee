#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bx::clipstore {

// Builds the little-endian records of collection and data files in memory; the caller writes the
// bytes to their file in one piece (AtomicFile).
class TByteWriter {
public:
    static constexpr std::size_t MaxStringBytes = 255;

    void WriteU8(std::uint8_t v) { bytes_.push_back(v); }
    void WriteBool(bool v) { WriteU8(v ? 1 : 0); }
    void WriteU16(std::uint16_t v);
    void WriteI32(std::int32_t v) { WriteU32(static_cast<std::uint32_t>(v)); }
    void WriteU32(std::uint32_t v);
    void WriteDouble(double v);
    // A length byte and the bytes of the text, cut to 255 bytes without splitting a UTF-8 character.
    void WriteString(std::string_view text);
    void WriteBytes(const std::uint8_t* bytes, std::size_t count);

    std::size_t Size() const { return bytes_.size(); }
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    std::vector<std::uint8_t> bytes_;
};

} // namespace bx::clipstore
