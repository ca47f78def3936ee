// A clip's data file ("D" n ".DAT"): its format records (plain, and packed with zstd), read three
// ways: one record from memory, the whole file as loading the clip reads it, and the whole file as the
// search's file reader reads it.
#include "FuzzStore.h"
#include "GlobalMemory.h"
#include "TByteReader.h"
#include "TClipData.h"
#include "TClipFile.h"
#include "TClipObj.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <fstream>
#include <span>

using namespace bx::clipstore;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzStore& store = fuzz::FuzzStore::Get();
    const std::size_t blocksBefore = bx::platform::GlobalMemory::LiveBlocks();
    {
        TClipData record(TClipData::TypeBlock);
        TByteReader in(std::span<const std::uint8_t>(data, size));
        try {
            record.ReadRecord(store.context, in, 1, store.dir);
        } catch (const std::exception&) {
            // A record cut short, or one naming a picture file that is not there, raises.
        }
    }
    {
        std::ofstream file(store.dir + TClipFile::DataFileName(1), std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const std::int32_t counts[] = {1, 3, 0x7FFFFFFF};
    const std::int32_t count = counts[size % 3];
    {
        TClipObj clip(store.context, 1, "Fuzz");
        clip.Coll = &store.coll;
        clip.DataInFile = true;
        clip.StoredFormatCount = count;
        clip.Formats.reset();
        try {
            clip.Load();
            clip.GetTitle();
        } catch (const std::exception&) {
        }
    }
    TClipObj::FindInDataFile({store.dir, 1, count}, "THERE");
    if (bx::platform::GlobalMemory::LiveBlocks() != blocksBefore)
        __builtin_trap(); // a block of a refused record was not freed
    return 0;
}
