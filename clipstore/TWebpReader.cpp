#include "TWebpReader.h"
#include "LittleEndian.h"

#include <webp/decode.h>

#include <cstring>
#include <limits>

namespace bx::clipstore {

namespace {

using platform::LeU32;

constexpr std::size_t RiffHeaderSize = 12; // "RIFF", size, "WEBP"
constexpr std::size_t ChunkHeaderSize = 8; // id, size

// Chunk ids are four printable characters: anything else means the walk lost its way in damaged data.
bool PrintableId(std::span<const std::uint8_t> b, std::size_t at) {
    for (std::size_t i = at; i < at + 4; ++i)
        if (b[i] < 0x20 || b[i] > 0x7E)
            return false;
    return true;
}

bool IdIs(std::span<const std::uint8_t> b, std::size_t at, const char* id) {
    return std::memcmp(b.data() + at, id, 4) == 0;
}

// The decoder's output description, released whatever happens (a no-op for memory of the caller's).
struct DecoderConfig {
    WebPDecoderConfig config{};
    DecoderConfig() = default;
    DecoderConfig(const DecoderConfig&) = delete;
    DecoderConfig& operator=(const DecoderConfig&) = delete;
    ~DecoderConfig() { WebPFreeDecBuffer(&config.output); }
};

} // namespace

bool TWebpReader::IsWebp(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= RiffHeaderSize && IdIs(bytes, 0, "RIFF") && IdIs(bytes, 8, "WEBP");
}

TWebpReader::TWebpReader(std::span<const std::uint8_t> file, const char* chunkName, std::size_t maxChunkSize)
    : riff_(file), maxChunkSize_(maxChunkSize) {
    if (chunkName != nullptr && std::strlen(chunkName) == 4)
        std::memcpy(chunkName_, chunkName, 4);
}

bool TWebpReader::ReadInfo() {
    infoRead_ = false;
    chunk_ = {};
    chunkCount_ = 0;
    if (!IsWebp(riff_) || chunkName_[0] == 0)
        return false;
    const std::uint32_t riffSize = LeU32(riff_, 4);
    if (riffSize < 4 || riffSize > riff_.size() - 8)
        return false;
    riff_ = riff_.first(std::size_t{riffSize} + 8); // bytes after the RIFF data are not part of the image

    int images = 0;
    bool extended = false;
    for (std::size_t at = RiffHeaderSize; at < riff_.size();) {
        if (riff_.size() - at < ChunkHeaderSize)
            return false;
        const std::size_t size = LeU32(riff_, at + 4);
        const std::size_t room = riff_.size() - at - ChunkHeaderSize;
        if (!PrintableId(riff_, at) || size > room || (size % 2 != 0 && size == room))
            return false; // the chunk, or its pad byte, reaches past the RIFF data
        if (IdIs(riff_, at, "VP8X")) {
            if (at != RiffHeaderSize)
                return false;
            extended = true;
        } else if (IdIs(riff_, at, "VP8 ") || IdIs(riff_, at, "VP8L")) {
            if (!extended && at != RiffHeaderSize)
                return false;
            ++images;
        } else if (IdIs(riff_, at, "ANIM") || IdIs(riff_, at, "ANMF")) {
            return false;
        } else if (IdIs(riff_, at, chunkName_)) {
            if (size > maxChunkSize_)
                return false;
            if (chunkCount_++ == 0)
                chunk_ = riff_.subspan(at + ChunkHeaderSize, size);
        }
        at += ChunkHeaderSize + size + size % 2;
    }
    if (images != 1)
        return false;

    WebPBitstreamFeatures features;
    if (WebPGetFeatures(riff_.data(), riff_.size(), &features) != VP8_STATUS_OK || features.has_animation != 0 ||
        features.width <= 0 || features.height <= 0)
        return false;
    width_ = static_cast<std::uint32_t>(features.width);
    height_ = static_cast<std::uint32_t>(features.height);
    hasAlpha_ = features.has_alpha != 0;
    lossless_ = features.format == 2;
    infoRead_ = true;
    return true;
}

bool TWebpReader::ReadImage(int bytesPerPixel, std::span<std::uint8_t> out, std::size_t stride, bool bottomUp) {
    if (!infoRead_ || (bytesPerPixel != 3 && bytesPerPixel != 4))
        return false;
    const std::uint64_t rowBytes = std::uint64_t{width_} * static_cast<std::uint64_t>(bytesPerPixel);
    if (stride < rowBytes || stride > std::size_t{std::numeric_limits<int>::max()} ||
        std::uint64_t{stride} * height_ > out.size())
        return false;

    DecoderConfig d;
    if (!WebPInitDecoderConfig(&d.config))
        return false;
    d.config.output.colorspace = bytesPerPixel == 4 ? MODE_BGRA : MODE_BGR;
    d.config.output.is_external_memory = 1;
    d.config.output.u.RGBA.rgba = out.data();
    d.config.output.u.RGBA.stride = static_cast<int>(stride);
    d.config.output.u.RGBA.size = static_cast<std::size_t>(std::uint64_t{stride} * height_);
    d.config.options.flip = bottomUp ? 1 : 0;
    return WebPDecode(riff_.data(), riff_.size(), &d.config) == VP8_STATUS_OK &&
           d.config.output.width == static_cast<int>(width_) && d.config.output.height == static_cast<int>(height_);
}

} // namespace bx::clipstore
