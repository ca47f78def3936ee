#include "TPngWriter.h"

#include <png.h>

#include <csetjmp>
#include <new>

namespace bx::clipstore {

namespace {

[[noreturn]] void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void Flush(png_structp) {}

void WriteData(png_structp png, png_bytep data, std::size_t length) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        out->insert(out->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        failed = true;
    }
    if (failed) // outside the handler: the long jump must not leave a live exception behind
        png_error(png, "out of memory");
}

} // namespace

TPngWriter::TPngWriter() {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (png == nullptr)
        return;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return;
    }
    png_ = png;
    info_ = info;
}

TPngWriter::~TPngWriter() {
    if (png_ == nullptr)
        return;
    png_structp png = static_cast<png_structp>(png_);
    png_infop info = static_cast<png_infop>(info_);
    png_destroy_write_struct(&png, &info);
}

bool TPngWriter::Encode(const Format& format, std::span<const std::uint8_t* const> rows, const char* chunkName,
                        std::span<const std::uint8_t> chunkData, int compressionLevel) {
    if (png_ == nullptr || rows.size() != format.height || format.width == 0 || format.height == 0)
        return false;
    if (format.colorType == PNG_COLOR_TYPE_PALETTE &&
        (format.palette.empty() || format.palette.size() % 3 != 0 || format.palette.size() / 3 > 256))
        return false;
    out_.clear();
    if (!Run(format, rows, chunkName, chunkData, compressionLevel)) {
        out_.clear();
        return false;
    }
    return true;
}

// Every libpng call is made here: this frame holds no C++ object, so the long jump of an error
// skips no destructor.
bool TPngWriter::Run(const Format& format, std::span<const std::uint8_t* const> rows, const char* chunkName,
                     std::span<const std::uint8_t> chunkData, int compressionLevel) {
    png_structp png = static_cast<png_structp>(png_);
    png_infop info = static_cast<png_infop>(info_);
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, &out_, WriteData, Flush);
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_compression_level(png, compressionLevel);
    png_set_IHDR(png, info, format.width, format.height, format.bitDepth, format.colorType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (format.colorType == PNG_COLOR_TYPE_PALETTE) {
        png_color colors[256];
        const int count = static_cast<int>(format.palette.size() / 3);
        for (int i = 0; i < count; ++i) {
            colors[i].red = format.palette[static_cast<std::size_t>(i) * 3];
            colors[i].green = format.palette[static_cast<std::size_t>(i) * 3 + 1];
            colors[i].blue = format.palette[static_cast<std::size_t>(i) * 3 + 2];
        }
        png_set_PLTE(png, info, colors, count);
    }
    png_write_info(png, info);
    if (chunkName != nullptr && !chunkData.empty())
        png_write_chunk(png, reinterpret_cast<png_const_bytep>(chunkName), chunkData.data(), chunkData.size());
    if (format.bgr)
        png_set_bgr(png);
    if (format.swap16)
        png_set_swap(png);
    if (format.stripFiller)
        png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (const std::uint8_t* row : rows)
        png_write_row(png, row);
    png_write_end(png, nullptr);
    return true;
}

} // namespace bx::clipstore
