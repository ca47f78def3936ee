#include "TMetafile.h"

#include "EGraphicOpenError.h"
#include "EInvalidGraphic.h"
#include "LittleEndian.h"
#include "TGraphicFile.h"

#include <array>
#include <cstdlib>
#include <limits>

namespace bx::clipstore {

namespace {

using platform::LeI16;
using platform::LeI32;
using platform::LeU16;
using platform::LeU32;
using platform::PutLe16;
using platform::PutLe32;

constexpr std::uint32_t EmrHeader = 1;
constexpr std::uint32_t EmfSignature = 0x464D4520; // " EMF"
constexpr std::size_t EmfHeaderMinSize = 88;       // ENHMETAHEADER up to szlMillimeters
constexpr std::size_t PlaceableSize = 22;
constexpr std::size_t MetaHeaderSize = 18;
constexpr std::size_t PictHeaderSize = 16;
constexpr std::int64_t HimetricPerInch = 2540;

int ClampToInt(std::int64_t v) {
    if (v > std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v < std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

// num / den rounded to the nearest integer, halves away from zero; den > 0.
std::int64_t RoundDiv(std::int64_t num, std::int64_t den) {
    return num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den);
}

// A Windows metafile header (METAHEADER) at offset at.
bool IsMetaHeader(std::span<const std::uint8_t> b, std::size_t at) {
    if (b.size() < at || b.size() - at < MetaHeaderSize)
        return false;
    const std::uint16_t type = LeU16(b, at);
    const std::uint16_t headerWords = LeU16(b, at + 2);
    const std::uint16_t version = LeU16(b, at + 4);
    const std::uint32_t sizeWords = LeU32(b, at + 6);
    return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300) && sizeWords >= 9;
}

bool IsEnhanced(std::span<const std::uint8_t> b) {
    if (b.size() < EmfHeaderMinSize)
        return false;
    const std::uint32_t type = LeU32(b, 0);
    const std::uint32_t headerSize = LeU32(b, 4);
    const std::uint32_t totalSize = LeU32(b, 48);
    return type == EmrHeader && LeU32(b, 40) == EmfSignature && headerSize >= EmfHeaderMinSize &&
           headerSize <= b.size() && totalSize >= headerSize && totalSize <= b.size();
}

bool IsPlaceableWmf(std::span<const std::uint8_t> b) {
    return b.size() >= PlaceableSize && LeU32(b, 0) == TMetafile::PlaceableKey && IsMetaHeader(b, PlaceableSize);
}

std::uint16_t PlaceableChecksum(std::span<const std::uint8_t> header) {
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 20; i += 2)
        sum = static_cast<std::uint16_t>(sum ^ LeU16(header, i));
    return sum;
}

// Extent in 0.01 mm from a span of placeable units.
std::int32_t HimetricFromUnits(std::int64_t units, std::uint16_t unitsPerInch) {
    if (unitsPerInch == 0)
        return 0;
    return static_cast<std::int32_t>(RoundDiv(units * HimetricPerInch, unitsPerInch));
}

// A 16-bit bounding-box span (left, right) with right - left == v, when v fits.
bool SpanFor(std::int64_t v, std::int16_t& lo, std::int16_t& hi) {
    constexpr std::int64_t Min = std::numeric_limits<std::int16_t>::min();
    constexpr std::int64_t Max = std::numeric_limits<std::int16_t>::max();
    if (v >= Min && v <= Max) {
        lo = 0;
        hi = static_cast<std::int16_t>(v);
    } else if (v > Max && v <= Max - Min) {
        hi = static_cast<std::int16_t>(Max);
        lo = static_cast<std::int16_t>(Max - v);
    } else if (v < Min && v >= Min - Max) {
        lo = static_cast<std::int16_t>(Max);
        hi = static_cast<std::int16_t>(Max + v);
    } else {
        return false;
    }
    return true;
}

// The placeable header for a picture of xExt by yExt (0.01 mm): the finest unit that divides an inch of
// 2540 and represents both extents exactly; when none does, the finest that holds them, rounded.
std::vector<std::uint8_t> PlaceableHeaderFor(std::int32_t xExt, std::int32_t yExt) {
    static constexpr std::array<std::int64_t, 12> Divisors = {1, 2, 4, 5, 10, 20, 127, 254, 508, 635, 1270, 2540};
    std::int64_t chosen = 0;
    std::int16_t left = 0, right = 0, top = 0, bottom = 0;
    for (const std::int64_t d : Divisors) {
        if (xExt % d == 0 && yExt % d == 0 && SpanFor(xExt / d, left, right) && SpanFor(yExt / d, top, bottom)) {
            chosen = d;
            break;
        }
    }
    if (chosen == 0) {
        for (const std::int64_t d : Divisors) {
            if (SpanFor(RoundDiv(xExt, d), left, right) && SpanFor(RoundDiv(yExt, d), top, bottom)) {
                chosen = d;
                break;
            }
        }
    }
    if (chosen == 0) { // beyond 65535 inches: the largest box there is
        chosen = Divisors.back();
        SpanFor(xExt < 0 ? -65535 : 65535, left, right);
        SpanFor(yExt < 0 ? -65535 : 65535, top, bottom);
    }
    std::vector<std::uint8_t> h;
    h.reserve(PlaceableSize);
    PutLe32(h, TMetafile::PlaceableKey);
    PutLe16(h, 0); // hmf
    PutLe16(h, static_cast<std::uint16_t>(left));
    PutLe16(h, static_cast<std::uint16_t>(top));
    PutLe16(h, static_cast<std::uint16_t>(right));
    PutLe16(h, static_cast<std::uint16_t>(bottom));
    PutLe16(h, static_cast<std::uint16_t>(HimetricPerInch / chosen));
    PutLe32(h, 0); // reserved
    PutLe16(h, PlaceableChecksum(h));
    return h;
}

} // namespace

int TMetafile::Width() const {
    return ClampToInt(RoundDiv(std::int64_t{mmWidth_} * 96, HimetricPerInch));
}

int TMetafile::Height() const {
    return ClampToInt(RoundDiv(std::int64_t{mmHeight_} * 96, HimetricPerInch));
}

bool TMetafile::IsPlaceable() const {
    return kind_ == Kind::Windows && IsPlaceableWmf(bytes_);
}

void TMetafile::Clear() {
    *this = TMetafile();
}

bool TMetafile::LoadFromBytes(std::span<const std::uint8_t> bytes) {
    if (bytes.size() > MaxSize)
        return false;
    if (IsEnhanced(bytes)) {
        const std::int64_t frameWidth = std::int64_t{LeI32(bytes, 32)} - LeI32(bytes, 24);
        const std::int64_t frameHeight = std::int64_t{LeI32(bytes, 36)} - LeI32(bytes, 28);
        bytes_.assign(bytes.begin(), bytes.end());
        kind_ = Kind::Enhanced;
        mapMode_ = MM_ANISOTROPIC;
        xExt_ = static_cast<std::int32_t>(ClampToInt(frameWidth));
        yExt_ = static_cast<std::int32_t>(ClampToInt(frameHeight));
        mmWidth_ = xExt_ > 0 ? xExt_ : 0;
        mmHeight_ = yExt_ > 0 ? yExt_ : 0;
        return true;
    }
    if (IsPlaceableWmf(bytes)) {
        const std::uint16_t inch = LeU16(bytes, 14);
        const std::int32_t x = HimetricFromUnits(std::int64_t{LeI16(bytes, 10)} - LeI16(bytes, 6), inch);
        const std::int32_t y = HimetricFromUnits(std::int64_t{LeI16(bytes, 12)} - LeI16(bytes, 8), inch);
        bytes_.assign(bytes.begin(), bytes.end());
        kind_ = Kind::Windows;
        mapMode_ = MM_ANISOTROPIC;
        xExt_ = x;
        yExt_ = y;
        mmWidth_ = x > 0 ? x : 0;
        mmHeight_ = y > 0 ? y : 0;
        return true;
    }
    if (IsMetaHeader(bytes, 0)) {
        bytes_.assign(bytes.begin(), bytes.end());
        kind_ = Kind::Windows;
        mapMode_ = MM_ANISOTROPIC;
        xExt_ = yExt_ = 0;
        mmWidth_ = mmHeight_ = 0;
        return true;
    }
    return false;
}

bool TMetafile::LoadFromEnhMetafileBlock(std::span<const std::uint8_t> block) {
    if (!IsEnhanced(block))
        return false;
    return LoadFromBytes(block);
}

std::vector<std::uint8_t> TMetafile::EnhMetafileBlock() const {
    if (kind_ != Kind::Enhanced)
        return {};
    return bytes_;
}

bool TMetafile::LoadFromMetafilePict(std::span<const std::uint8_t> block) {
    if (block.size() < PictHeaderSize || block.size() - PictHeaderSize > MaxSize - PlaceableSize)
        return false;
    if (!IsMetaHeader(block, PictHeaderSize))
        return false;
    const std::int32_t mm = LeI32(block, 0);
    const std::int32_t x = LeI32(block, 4);
    const std::int32_t y = LeI32(block, 8);
    std::vector<std::uint8_t> held = PlaceableHeaderFor(x, y);
    held.insert(held.end(), block.begin() + PictHeaderSize, block.end());
    bytes_ = std::move(held);
    kind_ = Kind::Windows;
    mapMode_ = mm;
    xExt_ = x;
    yExt_ = y;
    mmWidth_ = x > 0 ? x : 0;
    mmHeight_ = y > 0 ? y : 0;
    return true;
}

std::vector<std::uint8_t> TMetafile::MetafilePictBlock() const {
    if (kind_ != Kind::Windows)
        return {};
    const std::size_t skip = IsPlaceableWmf(bytes_) ? PlaceableSize : 0;
    std::vector<std::uint8_t> block;
    block.reserve(PictHeaderSize + bytes_.size() - skip);
    PutLe32(block, static_cast<std::uint32_t>(mapMode_));
    PutLe32(block, static_cast<std::uint32_t>(xExt_));
    PutLe32(block, static_cast<std::uint32_t>(yExt_));
    PutLe32(block, 0);
    block.insert(block.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(skip), bytes_.end());
    return block;
}

void TMetafile::LoadFromFile(const std::string& path) {
    const std::vector<std::uint8_t> bytes = TGraphicFile::Read(path, MaxSize);
    if (!LoadFromBytes(bytes))
        throw EInvalidGraphic("Not a metafile: " + path);
}

void TMetafile::SaveToFile(const std::string& path) const {
    if (kind_ == Kind::None)
        throw EGraphicOpenError("Cannot write an empty metafile to " + path);
    TGraphicFile::Write(path, bytes_);
}

} // namespace bx::clipstore
