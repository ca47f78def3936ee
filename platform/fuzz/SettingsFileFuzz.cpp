// The settings file ("Brindlex5.conf"). A text that parses is written again and read back: the tree
// must come back the same, so a setting never changes by being saved.
#include "FileRegistry.h"
#include "MemoryRegistry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using bx::platform::FileRegistry;
using bx::platform::MemoryRegistry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    MemoryRegistry tree;
    if (!FileRegistry::Parse(text, tree))
        return 0;
    const std::string written = FileRegistry::Serialize(tree);
    MemoryRegistry again;
    if (!FileRegistry::Parse(written, again) || FileRegistry::Serialize(again) != written)
        __builtin_trap();
    return 0;
}
