#include "TBlockPacker.h"

#include <memory>

#include <zstd.h>

namespace bx::clipstore {

namespace {

// zstd's default: about 100 MB/s packing on this class of machine; unpacking speed hardly depends on it.
constexpr int PackLevel = 3;

// Contexts are kept per thread: making one costs more than unpacking a typical block.
ZSTD_CCtx* PackContext() {
    thread_local const std::unique_ptr<ZSTD_CCtx, std::size_t (*)(ZSTD_CCtx*)> context(ZSTD_createCCtx(),
                                                                                       &ZSTD_freeCCtx);
    return context.get();
}
ZSTD_DCtx* UnpackContext() {
    thread_local const std::unique_ptr<ZSTD_DCtx, std::size_t (*)(ZSTD_DCtx*)> context(ZSTD_createDCtx(),
                                                                                       &ZSTD_freeDCtx);
    return context.get();
}

} // namespace

std::optional<std::vector<std::uint8_t>> TBlockPacker::Pack(std::span<const std::uint8_t> raw) {
    if (raw.size() < MinSize || raw.size() > MaxSize)
        return std::nullopt;
    std::vector<std::uint8_t> out(HeaderSize + ZSTD_compressBound(raw.size()));
    ZSTD_CCtx* context = PackContext();
    if (context == nullptr)
        return std::nullopt;
    const std::size_t n =
        ZSTD_compressCCtx(context, out.data() + HeaderSize, out.size() - HeaderSize, raw.data(), raw.size(), PackLevel);
    if (ZSTD_isError(n) != 0)
        return std::nullopt;
    const std::size_t packed = HeaderSize + n;
    if (packed > raw.size() - raw.size() / 8 || packed * MaxRatio < raw.size())
        return std::nullopt;
    out.resize(packed);
    out[0] = MethodZstd;
    for (std::size_t i = 0; i < 4; ++i)
        out[1 + i] = static_cast<std::uint8_t>(raw.size() >> (8 * i));
    return out;
}

std::optional<std::size_t> TBlockPacker::UnpackedSize(std::span<const std::uint8_t> packed) {
    if (packed.size() <= HeaderSize || packed[0] != MethodZstd)
        return std::nullopt;
    std::size_t size = 0;
    for (std::size_t i = 0; i < 4; ++i)
        size |= std::size_t{packed[1 + i]} << (8 * i);
    if (size < MinSize || size > MaxSize || size / MaxRatio > packed.size())
        return std::nullopt;
    return size;
}

bool TBlockPacker::Unpack(std::span<const std::uint8_t> packed, std::span<std::uint8_t> out) {
    const std::optional<std::size_t> size = UnpackedSize(packed);
    if (!size || *size != out.size())
        return false;
    const std::span<const std::uint8_t> frame = packed.subspan(HeaderSize);
    // The frame states its own size: it must be the declared one, and be the whole stream.
    const unsigned long long content = ZSTD_getFrameContentSize(frame.data(), frame.size());
    if (content != *size)
        return false;
    if (ZSTD_findFrameCompressedSize(frame.data(), frame.size()) != frame.size())
        return false;
    ZSTD_DCtx* context = UnpackContext();
    if (context == nullptr)
        return false;
    const std::size_t n = ZSTD_decompressDCtx(context, out.data(), out.size(), frame.data(), frame.size());
    return ZSTD_isError(n) == 0 && n == out.size();
}

} // namespace bx::clipstore
