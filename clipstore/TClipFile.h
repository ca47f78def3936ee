#pragma once

#include "TClipObj.h"

#include <cstdint>
#include <string>

namespace bx::clipstore {

class IClipCollection;
class TByteReader;
class TByteWriter;

// A clip's records and files: its record in the collection file, followed by its format records
// when they live inline (small texts), else its data file "D" n ".DAT" in the collection's directory
// holding them, beside the picture files of its bitmaps and metafiles ("I" n ".bmp", ".emf", ".wmf",
// written by TClipData). TClipObj's SaveToStream, LoadFromStream, ReadClipData, RelocateFiles,
// NeedsDataFile, DataFileName and HeaderVersion are these.
class TClipFile {
public:
    explicit TClipFile(TClipObj& clip) : clip_(clip) {}

    static bool NeedsDataFile(const TClipObj& clip);
    void Save(TByteWriter& stream);
    bool Load(TByteReader& stream);
    // The clip's format records, inline from stream or from its data file. A clip record that carries a
    // checksum (checked) wrote checksums on its inline records too.
    bool ReadData(TByteReader* stream, bool checked = false);
    static bool Relocate(const IClipCollection& from, const IClipCollection& to, std::int32_t oldSerial,
                         std::int32_t newSerial, bool copy);
    static std::string DataFileName(std::int32_t serialNbr);
    static int HeaderVersion(const std::string& header);

private:
    // The type bits of a record written before they were stored, from the formats read.
    std::int32_t IconBitsFromFormats();

    TClipObj& clip_;
};

} // namespace bx::clipstore
