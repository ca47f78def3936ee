// The collection file ("_COLL.BX4"): the collection's fields, then its clip records with their inline
// format records. Whatever loads is looked at as the clip list does (titles, sizes, data on demand).
#include "EMyStreamError.h"
#include "FuzzStore.h"
#include "TByteReader.h"
#include "TClipColl.h"
#include "TClipObj.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <span>

using namespace bx::clipstore;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzStore& store = fuzz::FuzzStore::Get();
    TClipColl coll(store.context, false, &store.master);
    coll.DirName = store.dir;
    try {
        TByteReader in(std::span<const std::uint8_t>(data, size));
        coll.LoadFromStream(in);
        for (std::size_t i = 0; i < coll.Count(); ++i) {
            TClipObj* clip = coll.Clip(i);
            clip->GetTitle();
            try {
                for (int f = 0; f < clip->FormatCount(); ++f)
                    clip->GetDataSize(f);
            } catch (const std::exception&) {
                // A clip whose data file is missing raises when its data is asked for.
            }
        }
    } catch (const EMyStreamError&) {
    }
    return 0;
}
