#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bx::clipstore {

class TByteReader;

// Reads the format records of a clip (TClipData's records, in a collection file or a clip's data
// file) up to their data: the one parser of their layout, used by the clip's reader (TClipData) and
// by the search that reads texts straight from data files on a helper thread. It keeps no state of its
// own and touches nothing shared; every read is checked by the reader, which raises EMyStreamError
// past the end.
//
// A record: the header string ("TCLIPDATA." and the version), the type (uint32, its low byte
// counts), the format name (a stored string), the number (uint16), the size as captured (int32),
// from version 510 the pasteable flag; then the data of its type: a memory block is a uint32 length
// and that many bytes (packed from version 511), a bitmap or metafile lives in a picture file.
class TFormatRecordScanner {
public:
    // Fewer bytes than this cannot hold a record: a reader stops there.
    static constexpr std::size_t MinRecordBytes = 11;

    // The fields before a record's data.
    struct Head {
        int Version = 0; // of the header string; 0 when it is not one
        std::uint8_t FormatType = 0;
        std::uint16_t FormatNum = 0;
        std::int32_t DataSize = 0;
        bool Pasteable = true;
    };

    // Whether another record may follow: turn is below the record count and enough bytes remain.
    static bool MoreRecords(const TByteReader& in, std::int32_t turn, std::int32_t count);
    // Reads a record's fields up to its data into head, each as it is read (a record cut short leaves
    // the fields before the cut); the name as stored into rawName, or skipped when it is nullptr.
    static void ReadHead(TByteReader& in, Head& head, std::string* rawName);
    // Reads a memory block's length, checked against the bytes that remain (EMyStreamError when it
    // runs past them); the block's bytes follow.
    static std::uint32_t ReadBlockLength(TByteReader& in);
    // The block of a record of this head is stored packed (TBlockPacker).
    static bool IsPacked(const Head& head);
};

} // namespace bx::clipstore
