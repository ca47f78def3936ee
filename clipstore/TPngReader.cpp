#include "TPngReader.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>

namespace bx::clipstore {

namespace {

[[noreturn]] void OnError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadData(png_structp png, png_bytep data, std::size_t length) {
    auto* state = static_cast<TPngReader::CallbackState*>(png_get_io_ptr(png));
    if (state->position > state->input.size() || state->input.size() - state->position < length)
        png_error(png, "PNG data ends early");
    std::memcpy(data, state->input.data() + state->position, length);
    state->position += length;
}

int OnUnknownChunk(png_structp png, png_unknown_chunkp chunk) {
    auto* state = static_cast<TPngReader::CallbackState*>(png_get_user_chunk_ptr(png));
    if (std::memcmp(chunk->name, state->chunkName, 4) != 0)
        return 1; // other unknown chunks are dropped
    ++state->chunkCount;
    if (state->chunkCount > 1)
        return 1;
    try {
        state->chunk.assign(chunk->data, chunk->data + chunk->size);
    } catch (const std::bad_alloc&) {
        state->chunkFailed = true;
        return -1; // libpng raises the error, outside this handler
    }
    return 1;
}

} // namespace

TPngReader::TPngReader(std::span<const std::uint8_t> png, const char* chunkName, std::size_t maxChunkSize)
    : maxChunkSize_(maxChunkSize) {
    state_.input = png;
    if (chunkName != nullptr)
        std::memcpy(state_.chunkName, chunkName, std::min<std::size_t>(std::strlen(chunkName), 4));
    png_structp p = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (p == nullptr)
        return;
    png_infop info = png_create_info_struct(p);
    if (info == nullptr) {
        png_destroy_read_struct(&p, nullptr, nullptr);
        return;
    }
    png_ = p;
    info_ = info;
}

TPngReader::~TPngReader() {
    if (png_ == nullptr)
        return;
    png_structp p = static_cast<png_structp>(png_);
    png_infop info = static_cast<png_infop>(info_);
    png_destroy_read_struct(&p, &info, nullptr);
}

bool TPngReader::ReadInfo() {
    if (png_ == nullptr || infoRead_)
        return false;
    if (state_.input.size() < 8 || png_sig_cmp(state_.input.data(), 0, 8) != 0)
        return false;
    infoRead_ = true;
    return RunInfo() && !state_.chunkFailed;
}

// Every libpng call is made here and in RunImage: these frames hold no C++ object, so the long jump
// of an error skips no destructor.
bool TPngReader::RunInfo() {
    png_structp png = static_cast<png_structp>(png_);
    png_infop info = static_cast<png_infop>(info_);
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, &state_, ReadData);
    png_set_read_user_chunk_fn(png, &state_, OnUnknownChunk);
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_chunk_malloc_max(png, maxChunkSize_ + 1024);
    png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    png_read_info(png, info);
    width_ = png_get_image_width(png, info);
    height_ = png_get_image_height(png, info);
    bitDepth_ = png_get_bit_depth(png, info);
    colorType_ = png_get_color_type(png, info);
    hasTransparency_ = (colorType_ & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    return true;
}

bool TPngReader::ReadImage(const Transforms& transforms, std::span<std::uint8_t* const> rows, std::size_t rowBytes) {
    if (png_ == nullptr || !infoRead_ || rows.size() != height_)
        return false;
    return RunImage(transforms, rows, rowBytes);
}

bool TPngReader::RunImage(const Transforms& transforms, std::span<std::uint8_t* const> rows, std::size_t rowBytes) {
    png_structp png = static_cast<png_structp>(png_);
    png_infop info = static_cast<png_infop>(info_);
    if (setjmp(png_jmpbuf(png)))
        return false;
    if (transforms.toRgb8) {
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
    }
    if (transforms.bgr)
        png_set_bgr(png);
    if (transforms.swap16)
        png_set_swap(png);
    if (transforms.filler >= 0)
        png_set_filler(png, static_cast<png_uint_32>(transforms.filler), PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != rowBytes || png_get_image_height(png, info) != rows.size())
        return false;
    png_read_image(png, const_cast<png_bytepp>(rows.data()));
    png_read_end(png, nullptr);
    return true;
}

} // namespace bx::clipstore
