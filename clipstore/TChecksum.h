#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

struct XXH3_state_s;

namespace bx::clipstore {

// The checksum the program's records carry: the low 32 bits of XXH3-64, fast enough to check every record
// of a large collection at load, and a damaged record fails it with near certainty. A seed keeps records of
// different kinds that hold the same bytes from sharing a checksum.
class TChecksum {
public:
    static std::uint32_t Of(std::span<const std::byte> bytes, std::uint64_t seed = 0);
    static std::uint32_t Of(std::string_view bytes, std::uint64_t seed = 0);

    // A checksum over pieces, equal to Of() over the pieces joined.
    class Running {
    public:
        explicit Running(std::uint64_t seed = 0);
        void Add(std::span<const std::byte> bytes);
        void Add(std::string_view bytes);
        std::uint32_t Value() const;

    private:
        struct Free {
            void operator()(XXH3_state_s* state) const;
        };
        std::unique_ptr<XXH3_state_s, Free> state_;
    };
};

} // namespace bx::clipstore
