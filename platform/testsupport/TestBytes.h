// Bytes for tests: little-endian fields put into and read from a buffer, texts with their zero, files
// and memory blocks.
#pragma once

#include "PlatformTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bx::testsupport {

using Bytes = std::vector<std::uint8_t>;

// Appends the low `bytes` bytes of v, lowest first.
void Put(Bytes& b, std::uint32_t v, int bytes);
void Put16(Bytes& b, std::uint16_t v);
void Put32(Bytes& b, std::uint32_t v);
// The little-endian field at `at`; the buffer must hold it.
std::uint16_t Get16(const Bytes& b, std::size_t at);
std::uint32_t Get32(const Bytes& b, std::size_t at);
void Set32(Bytes& b, std::size_t at, std::uint32_t v);

// The text's bytes and the zero that ends it, as a text format's block holds them.
Bytes TextBytes(std::string_view text);

// A file's whole content (nothing when it cannot be read), and a file made of bytes.
Bytes FileBytes(const std::string& path);
void PutFile(const std::string& path, const Bytes& bytes);

// The bytes of a memory block; nothing for an empty or null block.
Bytes BlockBytes(platform::HGLOBAL h);

} // namespace bx::testsupport
