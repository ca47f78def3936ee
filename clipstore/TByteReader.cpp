#include "TByteReader.h"

#include "EMyStreamError.h"
#include "TUtf8.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace bx::clipstore {

TByteReader TByteReader::FromFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw EMyStreamError("Error Opening File: " + path);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw EMyStreamError("Error Opening File: " + path);
    // The file's size from the directory only sizes the first read, straight into the buffer; the
    // loop then reads whatever else the file holds, so a file that changed size is read as it is.
    constexpr std::uintmax_t MaxFirstRead = std::uintmax_t{256} << 20;
    constexpr std::size_t Chunk = 65536;
    std::vector<std::uint8_t> bytes;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    std::size_t want = !ec && size <= MaxFirstRead ? static_cast<std::size_t>(size) + 1 : Chunk;
    for (;;) {
        const std::size_t have = bytes.size();
        bytes.resize(have + want);
        in.read(reinterpret_cast<char*>(bytes.data() + have), static_cast<std::streamsize>(want));
        bytes.resize(have + static_cast<std::size_t>(in.gcount()));
        if (!in)
            break;
        want = Chunk;
    }
    if (in.bad())
        throw EMyStreamError("Error Reading File: " + path);
    return TByteReader(std::move(bytes));
}

void TByteReader::Need(std::size_t count) const {
    if (count > Remaining())
        throw EMyStreamError("Read past the end of the stream: " + std::to_string(count) + " bytes wanted at " +
                             std::to_string(pos_) + " of " + std::to_string(bytes_.size()));
}

std::uint8_t TByteReader::ReadU8() {
    Need(1);
    return bytes_[pos_++];
}

std::uint16_t TByteReader::ReadU16() {
    Need(2);
    const auto v = static_cast<std::uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
}

std::uint32_t TByteReader::ReadU32() {
    Need(4);
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | bytes_[pos_ + static_cast<std::size_t>(i)];
    pos_ += 4;
    return v;
}

std::int32_t TByteReader::ReadI32() {
    return static_cast<std::int32_t>(ReadU32());
}

double TByteReader::ReadDouble() {
    Need(8);
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | bytes_[pos_ + static_cast<std::size_t>(i)];
    pos_ += 8;
    double d = 0;
    std::memcpy(&d, &v, sizeof d);
    return d;
}

std::string TByteReader::ReadRawString() {
    Need(1);
    const std::size_t length = bytes_[pos_];
    Need(1 + length);
    std::string s(reinterpret_cast<const char*>(bytes_.data() + pos_ + 1), length);
    pos_ += 1 + length;
    return s;
}

std::string TByteReader::DecodeString(const std::string& raw) {
    return TUtf8::FromStored(raw);
}

void TByteReader::ReadBytes(std::uint8_t* out, std::size_t count) {
    Need(count);
    if (count > 0)
        std::memcpy(out, bytes_.data() + pos_, count);
    pos_ += count;
}

} // namespace bx::clipstore
