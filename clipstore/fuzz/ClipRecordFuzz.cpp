// One clip record as the collection file holds it, its format records inline. A record that reads is
// used as the program uses it: its title, a search of its body, and writing it again.
#include "FuzzStore.h"
#include "TByteReader.h"
#include "TByteWriter.h"
#include "TClipObj.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <span>

using namespace bx::clipstore;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzStore& store = fuzz::FuzzStore::Get();
    TClipObj clip(store.context, 1, "Fuzz");
    clip.Coll = &store.coll;
    TByteReader in(std::span<const std::uint8_t>(data, size));
    bool ok = false;
    try {
        ok = clip.LoadFromStream(in);
    } catch (const std::exception&) {
        __builtin_trap(); // damage is refused by the result, never by an exception
    }
    if (in.Position() > in.Size())
        __builtin_trap();
    if (ok && clip.Online && !clip.DataInFile) {
        try {
            clip.GetTitle();
            clip.FindInbody("THERE");
            TByteWriter out;
            clip.SaveToStream(out);
        } catch (const std::exception&) {
            // A record of a type that cannot be written again raises; crashing is what is looked for.
        }
    }
    return 0;
}
