#include "TestBytes.h"

#include "GlobalMemory.h"

#include <fstream>
#include <iterator>

namespace bx::testsupport {

void Put(Bytes& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Put16(Bytes& b, std::uint16_t v) {
    Put(b, v, 2);
}

void Put32(Bytes& b, std::uint32_t v) {
    Put(b, v, 4);
}

std::uint16_t Get16(const Bytes& b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t Get32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}

void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

Bytes TextBytes(std::string_view text) {
    Bytes b(text.begin(), text.end());
    b.push_back(0);
    return b;
}

Bytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void PutFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes BlockBytes(platform::HGLOBAL h) {
    const std::size_t size = platform::GlobalSize(h);
    if (size == 0)
        return {};
    const std::uint8_t* p = platform::GlobalLock(h);
    Bytes b(p, p + size);
    platform::GlobalUnlock(h);
    return b;
}

} // namespace bx::testsupport
