#include "TWebpWriter.h"
#include "LittleEndian.h"

#include <webp/encode.h>

#include <cstring>
#include <limits>

namespace bx::clipstore {

namespace {

using platform::LeU32;

// The encoder's picture and memory writer, released whatever happens.
struct Picture {
    WebPPicture pic{};
    Picture() = default;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    ~Picture() { WebPPictureFree(&pic); }
};

struct MemoryWriter {
    WebPMemoryWriter writer{};
    MemoryWriter() { WebPMemoryWriterInit(&writer); }
    MemoryWriter(const MemoryWriter&) = delete;
    MemoryWriter& operator=(const MemoryWriter&) = delete;
    ~MemoryWriter() { WebPMemoryWriterClear(&writer); }
};

void PutN(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* id, std::span<const std::uint8_t> data) {
    out.insert(out.end(), id, id + 4);
    PutN(out, static_cast<std::uint32_t>(data.size()), 4);
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2 != 0)
        out.push_back(0);
}

} // namespace

std::vector<std::uint8_t> TWebpWriter::Encode(const Format& format, std::span<const std::uint8_t* const> rows,
                                              const char* chunkName, std::span<const std::uint8_t> chunkData,
                                              int preset) {
    if (format.width == 0 || format.height == 0 || format.width > MaxDimension || format.height > MaxDimension ||
        rows.size() != format.height || (format.bytesPerPixel != 3 && format.bytesPerPixel != 4) ||
        chunkName == nullptr || std::strlen(chunkName) != 4 ||
        chunkData.size() > std::numeric_limits<std::uint32_t>::max() - 64)
        return {};

    WebPConfig config;
    if (!WebPConfigInit(&config) || !WebPConfigLosslessPreset(&config, preset))
        return {};
    config.exact = 1; // colours under alpha 0 are part of the bitmap too
    if (!WebPValidateConfig(&config))
        return {};

    Picture p;
    if (!WebPPictureInit(&p.pic))
        return {};
    p.pic.use_argb = 1;
    p.pic.width = static_cast<int>(format.width);
    p.pic.height = static_cast<int>(format.height);
    if (!WebPPictureAlloc(&p.pic))
        return {};
    const bool alpha = format.bytesPerPixel == 4 && format.fourthIsAlpha;
    const std::size_t step = static_cast<std::size_t>(format.bytesPerPixel);
    for (std::size_t y = 0; y < format.height; ++y) {
        const std::uint8_t* in = rows[y];
        std::uint32_t* out = p.pic.argb + y * static_cast<std::size_t>(p.pic.argb_stride);
        for (std::size_t x = 0; x < format.width; ++x, in += step)
            out[x] = (alpha ? std::uint32_t{in[3]} << 24 : 0xFF000000u) | (std::uint32_t{in[2]} << 16) |
                     (std::uint32_t{in[1]} << 8) | in[0];
    }

    MemoryWriter w;
    p.pic.writer = WebPMemoryWrite;
    p.pic.custom_ptr = &w.writer;
    if (!WebPEncode(&config, &p.pic))
        return {};

    // The encoder writes the simple format: "RIFF" size "WEBP" "VP8L" n bitstream.
    const std::uint8_t* simple = w.writer.mem;
    const std::size_t simpleSize = w.writer.size;
    if (simple == nullptr || simpleSize < 20 || std::memcmp(simple + 12, "VP8L", 4) != 0)
        return {};
    const std::uint32_t bitstreamSize = LeU32(simple + 16);
    if (bitstreamSize < 5 || bitstreamSize > simpleSize - 20)
        return {};
    const std::span<const std::uint8_t> bitstream(simple + 20, bitstreamSize);
    // The bitstream's header: signature 0x2F, then 14 bits width - 1, 14 bits height - 1, one bit for alpha.
    const bool usesAlpha = ((LeU32(bitstream.data() + 1) >> 28) & 1u) != 0;

    const std::uint64_t riffSize = 4 + (8 + 10) + (8 + std::uint64_t{bitstreamSize} + bitstreamSize % 2) +
                                   (8 + std::uint64_t{chunkData.size()} + chunkData.size() % 2);
    if (riffSize > std::numeric_limits<std::uint32_t>::max() - 8)
        return {};
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(riffSize + 8));
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    PutN(out, static_cast<std::uint32_t>(riffSize), 4);
    out.insert(out.end(), {'W', 'E', 'B', 'P', 'V', 'P', '8', 'X'});
    PutN(out, 10, 4);
    out.push_back(usesAlpha ? 0x10 : 0x00);
    out.insert(out.end(), 3, 0);
    PutN(out, format.width - 1, 3);
    PutN(out, format.height - 1, 3);
    PutChunk(out, "VP8L", bitstream);
    PutChunk(out, chunkName, chunkData);
    return out;
}

} // namespace bx::clipstore
