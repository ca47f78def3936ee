#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bx::clipstore {

// Reads the little-endian records of collection and data files from bytes held in memory. Every read
// is checked against the end: a read that would run past it raises EMyStreamError and consumes
// nothing, so no length read from the bytes ever decides an allocation before it has been checked.
class TByteReader {
public:
    TByteReader() = default;
    explicit TByteReader(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    explicit TByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes.begin(), bytes.end()) {}

    // The whole file; raises EMyStreamError when it cannot be opened or read.
    static TByteReader FromFile(const std::string& path);

    std::size_t Position() const { return pos_; }
    std::size_t Size() const { return bytes_.size(); }
    std::size_t Remaining() const { return bytes_.size() - pos_; }
    // Positions past the end are clamped to the end.
    void Seek(std::size_t position) { pos_ = position < bytes_.size() ? position : bytes_.size(); }
    std::span<const std::uint8_t> Bytes() const { return bytes_; }

    std::uint8_t ReadU8();
    bool ReadBool() { return ReadU8() != 0; }
    std::uint16_t ReadU16();
    std::int32_t ReadI32();
    std::uint32_t ReadU32();
    double ReadDouble();
    // A length byte and that many bytes, as stored (no decoding).
    std::string ReadRawString();
    // A stored string as UTF-8: kept when valid UTF-8, else decoded from Windows-1252.
    std::string ReadString() { return DecodeString(ReadRawString()); }
    static std::string DecodeString(const std::string& raw);
    // Copies count bytes into out.
    void ReadBytes(std::uint8_t* out, std::size_t count);

private:
    void Need(std::size_t count) const;

    std::vector<std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

} // namespace bx::clipstore
