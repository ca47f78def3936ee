#include "TChecksum.h"

#include <xxhash.h>

#include <new>

namespace bx::clipstore {

std::uint32_t TChecksum::Of(std::span<const std::byte> bytes, std::uint64_t seed) {
    return static_cast<std::uint32_t>(XXH3_64bits_withSeed(bytes.data(), bytes.size(), seed));
}

std::uint32_t TChecksum::Of(std::string_view bytes, std::uint64_t seed) {
    return static_cast<std::uint32_t>(XXH3_64bits_withSeed(bytes.data(), bytes.size(), seed));
}

void TChecksum::Running::Free::operator()(XXH3_state_s* state) const {
    XXH3_freeState(state);
}

TChecksum::Running::Running(std::uint64_t seed) : state_(XXH3_createState()) {
    if (!state_)
        throw std::bad_alloc();
    XXH3_64bits_reset_withSeed(state_.get(), seed);
}

void TChecksum::Running::Add(std::span<const std::byte> bytes) {
    XXH3_64bits_update(state_.get(), bytes.data(), bytes.size());
}

void TChecksum::Running::Add(std::string_view bytes) {
    XXH3_64bits_update(state_.get(), bytes.data(), bytes.size());
}

std::uint32_t TChecksum::Running::Value() const {
    return static_cast<std::uint32_t>(XXH3_64bits_digest(state_.get()));
}

} // namespace bx::clipstore
