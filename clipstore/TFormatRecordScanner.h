#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
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
// and that many bytes (packed in versions 511 and 513), a bitmap or metafile lives in a picture file.
// Records of version 512 and later end in a checksum (uint32): TChecksum of the bytes from the header
// through the block's length (through the flag for a picture) with ChecksumSeed, and that value the
// seed of the checksum of the block's bytes as stored (TChecksum of nothing more for a picture). A
// record whose checksum fails is damaged like one cut short: EMyStreamError.
class TFormatRecordScanner {
public:
    // Fewer bytes than this cannot hold a record: a reader stops there.
    static constexpr std::size_t MinRecordBytes = 11;
    // The most bytes a record's fields up to its data take (two strings of 255 bytes).
    static constexpr std::size_t MaxHeadBytes = 1 + 255 + 4 + 1 + 255 + 2 + 4 + 1 + 4;
    static constexpr int FirstCheckedVersion = 512;
    static constexpr std::uint64_t ChecksumSeed = 0x54434C4950444154ull; // "TCLIPDAT"

    // The fields before a record's data.
    struct Head {
        int Version = 0; // of the header string; 0 when it is not one
        std::uint8_t FormatType = 0;
        std::uint16_t FormatNum = 0;
        std::int32_t DataSize = 0;
        bool Pasteable = true;
        // Set by the caller: the record must be a checked one (it follows a checked record, or a checked
        // clip record wrote it), so a damaged header cannot pass it off as an older, unchecked version.
        bool RequireChecked = false;
        std::size_t Start = 0; // where the record begins in its reader
        std::uint32_t Sum = 0; // the checksum of the fields, once read
    };

    // Whether another record may follow: turn is below the record count and enough bytes remain.
    static bool MoreRecords(const TByteReader& in, std::int32_t turn, std::int32_t count);
    // Reads a record's fields up to its data into head, each as it is read (a record cut short leaves
    // the fields before the cut); the name as stored into rawName, or skipped when it is nullptr.
    static void ReadHead(TByteReader& in, Head& head, std::string* rawName);
    // Reads a memory block's length, checked against the bytes that remain (EMyStreamError when it
    // runs past them); the block's bytes follow.
    static std::uint32_t ReadBlockLength(TByteReader& in, Head& head);
    // After the block's bytes (as stored): reads the record's checksum and raises EMyStreamError when
    // it fails. Nothing for a record of an older version.
    static void CheckBlock(TByteReader& in, const Head& head, std::span<const std::uint8_t> block);
    // The same for a picture's record, after its fields.
    static void CheckPicture(TByteReader& in, const Head& head);
    // The block of a record of this head is stored packed (TBlockPacker).
    static bool IsPacked(const Head& head);
    static bool IsChecked(const Head& head) { return head.Version >= FirstCheckedVersion; }
    // The checksum a checked record carries, over its fields' bytes and its block's bytes as stored
    // (for writers; the readers above check it).
    static std::uint32_t HeadSum(std::span<const std::uint8_t> fields);
    static std::uint32_t RecordSum(std::uint32_t headSum, std::span<const std::uint8_t> block);
};

} // namespace bx::clipstore
