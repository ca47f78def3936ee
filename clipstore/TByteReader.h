#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace bx::clipstore {

// Reads the little-endian records of collection and data files. Every read is checked against the
// end: a read that would run past it raises EMyStreamError and consumes nothing, so no length read
// from the bytes ever decides an allocation before it has been checked.
//
// A reader holds either all its bytes (made from bytes, or FromFile) or, made by Stream, a bounded
// window of a file that it reads on in order: the end is the file's size when it was opened, and a
// file that turns out shorter raises EMyStreamError like any other read past the end.
class TByteReader {
public:
    // The window of a streamed reader; a single read larger than it grows it for that read.
    static constexpr std::size_t StreamWindow = std::size_t{256} << 10;

    TByteReader() = default;
    explicit TByteReader(std::vector<std::uint8_t> bytes);
    explicit TByteReader(std::span<const std::uint8_t> bytes)
        : TByteReader(std::vector<std::uint8_t>(bytes.begin(), bytes.end())) {}

    // The whole file; raises EMyStreamError when it cannot be opened or read.
    static TByteReader FromFile(const std::string& path);
    // The file, read on through a window of window bytes; raises EMyStreamError when it cannot be
    // opened.
    static TByteReader Stream(const std::string& path, std::size_t window = StreamWindow);

    std::size_t Position() const { return pos_; }
    std::size_t Size() const { return size_; }
    std::size_t Remaining() const { return size_ - pos_; }
    // Positions past the end are clamped to the end.
    void Seek(std::size_t position) { pos_ = position < size_ ? position : size_; }
    // All the bytes of a reader that holds them all; raises EMyStreamError for a streamed one.
    std::span<const std::uint8_t> Bytes() const;
    // Hands back the buffer of a reader made from bytes (its capacity kept for the next reader); the
    // reader is empty afterwards.
    std::vector<std::uint8_t> Release();
    // Up to count bytes from the position on (fewer only at the end), without consuming them; valid
    // until the next read.
    std::span<const std::uint8_t> Peek(std::size_t count);
    // The bytes from position from up to the current position, as read (a record's bytes, for its
    // checksum). A streamed reader holds them when a Peek at from covered them; raises EMyStreamError
    // when the reader no longer holds them.
    std::span<const std::uint8_t> Held(std::size_t from) const;

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
    // The version a record's header carries: the three digits at position at ("CLIP.510" at 5); 0 when
    // the header is shorter or they are not digits.
    static int HeaderDigits(const std::string& header, std::size_t at);
    // Copies count bytes into out.
    void ReadBytes(std::uint8_t* out, std::size_t count);
    // The next count bytes, consumed; valid until the next read. For counts up to the window (any
    // count for a reader that holds all its bytes); raises EMyStreamError past the end.
    std::span<const std::uint8_t> ReadView(std::size_t count);
    // The largest count ReadView serves.
    std::size_t MaxView() const { return file_ ? window_ : size_; }

private:
    // Raises unless count bytes remain; then makes them available at At().
    void Need(std::size_t count);
    const std::uint8_t* At() const { return buffer_.data() + (pos_ - base_); }
    // Refills the window so that it holds count bytes from the position on.
    void Fill(std::size_t count);
    [[noreturn]] void PastEnd(std::size_t count) const;

    std::vector<std::uint8_t> buffer_;
    std::size_t have_ = 0; // bytes of buffer_ that hold the file's bytes
    std::size_t base_ = 0; // file offset of buffer_[0]
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
    std::size_t window_ = 0;
    std::unique_ptr<std::ifstream> file_; // streamed readers only
    std::size_t filePos_ = 0;             // where file_ reads next
    std::string path_;
};

} // namespace bx::clipstore
