#include "TByteReader.h"

#include "EMyStreamError.h"
#include "TUtf8.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace bx::clipstore {

namespace {

std::unique_ptr<std::ifstream> OpenRegularFile(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        throw EMyStreamError("Error Opening File: " + path);
    auto in = std::make_unique<std::ifstream>(path, std::ios::binary);
    if (!*in)
        throw EMyStreamError("Error Opening File: " + path);
    return in;
}

} // namespace

TByteReader::TByteReader(std::vector<std::uint8_t> bytes)
    : buffer_(std::move(bytes)), have_(buffer_.size()), size_(buffer_.size()) {}

std::vector<std::uint8_t> TByteReader::Release() {
    std::vector<std::uint8_t> bytes = std::move(buffer_);
    *this = TByteReader();
    return bytes;
}

TByteReader TByteReader::FromFile(const std::string& path) {
    const auto in = OpenRegularFile(path);
    // The file's size from the directory only sizes the first read, straight into the buffer; the
    // loop then reads whatever else the file holds, so a file that changed size is read as it is.
    constexpr std::uintmax_t MaxFirstRead = std::uintmax_t{256} << 20;
    constexpr std::size_t Chunk = 65536;
    std::vector<std::uint8_t> bytes;
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    std::size_t want = !ec && size <= MaxFirstRead ? static_cast<std::size_t>(size) + 1 : Chunk;
    for (;;) {
        const std::size_t have = bytes.size();
        bytes.resize(have + want);
        in->read(reinterpret_cast<char*>(bytes.data() + have), static_cast<std::streamsize>(want));
        bytes.resize(have + static_cast<std::size_t>(in->gcount()));
        if (!*in)
            break;
        want = Chunk;
    }
    if (in->bad())
        throw EMyStreamError("Error Reading File: " + path);
    return TByteReader(std::move(bytes));
}

TByteReader TByteReader::Stream(const std::string& path, std::size_t window) {
    TByteReader reader;
    reader.file_ = OpenRegularFile(path);
    // The size of the file as opened: seeking to its end reads nothing.
    reader.file_->seekg(0, std::ios::end);
    const std::streamoff size = reader.file_->tellg();
    reader.file_->seekg(0, std::ios::beg);
    if (size < 0 || !*reader.file_)
        throw EMyStreamError("Error Reading File: " + path);
    reader.size_ = static_cast<std::size_t>(size);
    reader.window_ = std::max<std::size_t>(window, 16);
    reader.path_ = path;
    return reader;
}

std::span<const std::uint8_t> TByteReader::Bytes() const {
    if (file_)
        throw EMyStreamError("A streamed file is not held whole: " + path_);
    return {buffer_.data(), size_};
}

void TByteReader::PastEnd(std::size_t count) const {
    throw EMyStreamError("Read past the end of the stream: " + std::to_string(count) + " bytes wanted at " +
                         std::to_string(pos_) + " of " + std::to_string(size_));
}

void TByteReader::Fill(std::size_t count) {
    // Keep the unread bytes that the window holds; a position outside it starts the window afresh.
    std::size_t kept = 0;
    if (pos_ >= base_ && pos_ < base_ + have_) {
        kept = base_ + have_ - pos_;
        std::memmove(buffer_.data(), buffer_.data() + (pos_ - base_), kept);
    }
    base_ = pos_;
    have_ = kept;
    const std::size_t want = std::min(std::max(count, window_), Remaining());
    if (buffer_.size() < want)
        buffer_.resize(want);
    const std::size_t from = base_ + have_;
    // A short read before (a file cut while being read) leaves the stream failed: start clean.
    file_->clear();
    if (filePos_ != from)
        file_->seekg(static_cast<std::streamoff>(from), std::ios::beg);
    file_->read(reinterpret_cast<char*>(buffer_.data() + have_), static_cast<std::streamsize>(want - have_));
    const auto got = static_cast<std::size_t>(std::max<std::streamsize>(file_->gcount(), 0));
    have_ += got;
    filePos_ = from + got;
    if (have_ < count)
        throw EMyStreamError("Error Reading File: " + path_ + " ends before its " + std::to_string(size_) + " bytes");
}

void TByteReader::Need(std::size_t count) {
    if (count > Remaining())
        PastEnd(count);
    if (file_ && (pos_ < base_ || pos_ + count > base_ + have_))
        Fill(count);
}

std::span<const std::uint8_t> TByteReader::Held(std::size_t from) const {
    if (from > pos_ || from < base_ || (file_ && pos_ > base_ + have_))
        throw EMyStreamError("Bytes from " + std::to_string(from) + " are no longer held");
    return {buffer_.data() + (from - base_), pos_ - from};
}

std::span<const std::uint8_t> TByteReader::Peek(std::size_t count) {
    count = std::min(count, Remaining());
    Need(count);
    return {At(), count};
}

std::uint8_t TByteReader::ReadU8() {
    Need(1);
    const std::uint8_t v = *At();
    ++pos_;
    return v;
}

std::uint16_t TByteReader::ReadU16() {
    Need(2);
    const std::uint8_t* p = At();
    const auto v = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    pos_ += 2;
    return v;
}

std::uint32_t TByteReader::ReadU32() {
    Need(4);
    const std::uint8_t* p = At();
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | p[i];
    pos_ += 4;
    return v;
}

std::int32_t TByteReader::ReadI32() {
    return static_cast<std::int32_t>(ReadU32());
}

double TByteReader::ReadDouble() {
    Need(8);
    const std::uint8_t* p = At();
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    pos_ += 8;
    double d = 0;
    std::memcpy(&d, &v, sizeof d);
    return d;
}

std::string TByteReader::ReadRawString() {
    Need(1);
    const std::size_t length = *At();
    Need(1 + length);
    std::string s(reinterpret_cast<const char*>(At() + 1), length);
    pos_ += 1 + length;
    return s;
}

int TByteReader::HeaderDigits(const std::string& header, std::size_t at) {
    if (header.size() < at + 3)
        return 0;
    int version = 0;
    for (std::size_t i = at; i < at + 3; ++i) {
        if (header[i] < '0' || header[i] > '9')
            return 0;
        version = version * 10 + (header[i] - '0');
    }
    return version;
}

std::string TByteReader::DecodeString(const std::string& raw) {
    return TUtf8::FromStored(raw);
}

std::span<const std::uint8_t> TByteReader::ReadView(std::size_t count) {
    Need(count);
    const std::uint8_t* p = At();
    pos_ += count;
    return {p, count};
}

void TByteReader::ReadBytes(std::uint8_t* out, std::size_t count) {
    if (!file_ || count <= window_) {
        Need(count);
        if (count > 0)
            std::memcpy(out, At(), count);
        pos_ += count;
        return;
    }
    // A large block goes straight from the file into out, past the window.
    if (count > Remaining())
        PastEnd(count);
    std::size_t copied = 0;
    if (pos_ >= base_ && pos_ < base_ + have_) {
        copied = std::min(count, base_ + have_ - pos_);
        std::memcpy(out, At(), copied);
    }
    const std::size_t from = pos_ + copied;
    // A short read before (a file cut while being read) leaves the stream failed: start clean.
    file_->clear();
    if (filePos_ != from)
        file_->seekg(static_cast<std::streamoff>(from), std::ios::beg);
    file_->read(reinterpret_cast<char*>(out + copied), static_cast<std::streamsize>(count - copied));
    const auto got = static_cast<std::size_t>(std::max<std::streamsize>(file_->gcount(), 0));
    filePos_ = from + got;
    if (copied + got < count)
        throw EMyStreamError("Error Reading File: " + path_ + " ends before its " + std::to_string(size_) + " bytes");
    pos_ += count;
}

} // namespace bx::clipstore
