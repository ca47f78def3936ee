#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace bx::clipstore {

// Builds the little-endian records of collection and data files. By default the bytes stay in memory
// and the caller writes them to their file in one piece (AtomicFile); a writer made with a sink hands
// its bytes on whenever a chunk has gathered, so a large collection file never lies whole in memory.
class TByteWriter {
public:
    static constexpr std::size_t MaxStringBytes = 255;
    // Takes the gathered bytes; it reports a failure by throwing.
    using Sink = std::function<void(std::span<const std::uint8_t>)>;

    TByteWriter() = default;
    TByteWriter(Sink sink, std::size_t chunk);

    void WriteU8(std::uint8_t v) {
        bytes_.push_back(v);
        Spill();
    }
    void WriteBool(bool v) { WriteU8(v ? 1 : 0); }
    void WriteU16(std::uint16_t v);
    void WriteI32(std::int32_t v) { WriteU32(static_cast<std::uint32_t>(v)); }
    void WriteU32(std::uint32_t v);
    void WriteDouble(double v);
    // A length byte and the bytes of the text, cut to 255 bytes without splitting a UTF-8 character.
    void WriteString(std::string_view text);
    void WriteBytes(const std::uint8_t* bytes, std::size_t count);

    // Hands the bytes gathered so far to the sink (a writer without a sink keeps them).
    void Flush();

    // A record whose checksum covers its bytes: Mark holds every byte written from then on in the
    // writer (none is handed to the sink) until Release; Since gives the bytes written from the mark.
    std::size_t Mark() {
        ++holds_;
        return bytes_.size();
    }
    std::span<const std::uint8_t> Since(std::size_t mark) const { return {bytes_.data() + mark, bytes_.size() - mark}; }
    void Release() {
        --holds_;
        Spill();
    }

    // Every byte written so far, handed on or not.
    std::size_t Size() const { return handedOn_ + bytes_.size(); }
    // The bytes not yet handed on: all of them for a writer without a sink.
    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    void Spill() {
        if (sink_ && holds_ == 0 && bytes_.size() >= chunk_)
            Flush();
    }

    std::vector<std::uint8_t> bytes_;
    Sink sink_;
    std::size_t chunk_ = 0;
    std::size_t handedOn_ = 0;
    int holds_ = 0;
};

} // namespace bx::clipstore
