#include "TByteWriter.h"

#include "TUtf8.h"

#include <cstring>

namespace bx::clipstore {

TByteWriter::TByteWriter(Sink sink, std::size_t chunk) : sink_(std::move(sink)), chunk_(chunk) {
    bytes_.reserve(chunk_ + chunk_ / 4);
}

void TByteWriter::Flush() {
    if (!sink_ || bytes_.empty())
        return;
    sink_(bytes_);
    handedOn_ += bytes_.size();
    bytes_.clear();
}

void TByteWriter::WriteU16(std::uint16_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v & 0xFF));
    bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
    Spill();
}

void TByteWriter::WriteU32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes_.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
    Spill();
}

void TByteWriter::WriteDouble(double v) {
    std::uint64_t u = 0;
    std::memcpy(&u, &v, sizeof u);
    for (int i = 0; i < 8; ++i)
        bytes_.push_back(static_cast<std::uint8_t>((u >> (8 * i)) & 0xFF));
    Spill();
}

void TByteWriter::WriteString(std::string_view text) {
    const std::string cut = TUtf8::CutBytes(text, MaxStringBytes);
    WriteU8(static_cast<std::uint8_t>(cut.size()));
    WriteBytes(reinterpret_cast<const std::uint8_t*>(cut.data()), cut.size());
}

void TByteWriter::WriteBytes(const std::uint8_t* bytes, std::size_t count) {
    if (count > 0)
        bytes_.insert(bytes_.end(), bytes, bytes + count);
    Spill();
}

} // namespace bx::clipstore
