#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace bx::clipstore {

class TClipObj;

// The records of a data source's capture journal ("_JOURNAL.BX4"). Each record, little-endian:
//   u32 magic "BXJR", u8 version (1), u8 kind (1 clip added, 2 clip changed, 3 clip deleted), u16 0,
//   u32 body length, the body, u32 checksum (TChecksum, seeded) over everything before it.
// The body: u16 length + the collection's path below the data source ("Parent/Child"), i32 serial
// number, i32 sort key, u32 length + the clip's record as the collection file holds it (its formats
// inline, data file left alone when the clip is not loaded; empty for a deletion), u8 picture count,
// per picture u8 kind (1 the bitmap's DIB, 2 the metafile's bytes) and u32 length + its bytes.
class TJournalRecord {
public:
    static constexpr std::uint32_t Magic = 0x524A5842; // "BXJR"
    static constexpr std::uint8_t Version = 1;
    static constexpr std::size_t HeaderSize = 12;
    static constexpr std::size_t TrailerSize = 4;
    static constexpr std::uint64_t ChecksumSeed = 0x4A524E4C; // "JRNL"
    // No record body is larger (a bitmap of 16383 x 16383 pixels and its record fit).
    static constexpr std::uint32_t MaxBody = 1100u << 20;
    static constexpr std::size_t MaxCollectionPath = 4096;

    enum Kind : std::uint8_t { Added = 1, Changed = 2, Deleted = 3 };
    enum PictureKind : std::uint8_t { BitmapDib = 1, MetafileBytes = 2 };

    struct Picture {
        std::uint8_t Kind = 0;
        std::span<const std::uint8_t> Bytes; // within the journal's bytes
    };
    // One record as read; its spans point into the bytes that were read.
    struct Entry {
        std::uint8_t Kind = 0;
        std::string Collection;
        std::int32_t SerialNbr = 0;
        std::int32_t SortKey = 0;
        std::span<const std::uint8_t> ClipRecord;
        std::vector<Picture> Pictures;
    };
    struct ReadResult {
        std::vector<Entry> Entries;
        std::size_t GoodBytes = 0; // the records read end here
        bool Damaged = false;      // bytes after GoodBytes did not form a sound record
    };

    // The pieces one record is written in, in order; a memory block's bytes are handed on where they lie.
    using Sink = std::function<void(std::span<const std::uint8_t>)>;

    // The record of a clip that entered collection (Added) or whose data changed (Changed), handed to out
    // in pieces (no copy of the clip's data is made); its size in bytes.
    static std::size_t WriteClip(Kind kind, const std::string& collection, TClipObj& clip, const Sink& out);
    // The same record in one piece.
    static std::vector<std::uint8_t> OfClip(Kind kind, const std::string& collection, TClipObj& clip);
    static std::vector<std::uint8_t> OfDeletion(const std::string& collection, std::int32_t serialNbr);
    // Reads records from the start until the end or the first record that fails (torn, a wrong length,
    // a failing checksum, a body that does not parse); what follows that one is not read.
    static ReadResult Read(std::span<const std::uint8_t> bytes);
};

} // namespace bx::clipstore
