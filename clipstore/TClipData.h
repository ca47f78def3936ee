#pragma once

#include "PlatformTypes.h"
#include "TFormatRecordScanner.h"
#include "TInternedString.h"

#include <cstdint>
#include <memory>
#include <string>

namespace bx::clipstore {

class TBitmap;
class TMetafile;
class TByteReader;
class TByteWriter;
class TClipContext;

// One clipboard format of one clip: its number and name, its size as captured, whether it is offered
// when the clip goes back on the clipboard, and its data -- a memory block, a bitmap or a metafile.
class TClipData {
public:
    // How the data is held.
    static constexpr std::uint8_t TypeBlock = 0;    // memory block in Handle
    static constexpr std::uint8_t TypeBitmap = 1;   // Bitmap; on disk the clip's ".bmp" picture file
    static constexpr std::uint8_t TypeMetafile = 2; // Metafile; on disk the clip's ".emf" picture file

    // The records of earlier versions, read as before: 510, and 511 for a memory block stored packed
    // (TBlockPacker).
    static constexpr int RecordVersion = 510;
    static constexpr const char* RecordHeader = "TCLIPDATA.510";
    static constexpr int PackedRecordVersion = 511;
    static constexpr const char* PackedRecordHeader = "TCLIPDATA.511";
    // The records written now: the same layouts followed by a checksum (TFormatRecordScanner).
    static constexpr int CheckedRecordVersion = 512;
    static constexpr const char* CheckedRecordHeader = "TCLIPDATA.512";
    static constexpr int CheckedPackedRecordVersion = 513;
    static constexpr const char* CheckedPackedRecordHeader = "TCLIPDATA.513";

    // The outcome of reading one format record.
    enum class ReadResult {
        Ok,     // read
        Failed, // read, but the record is not usable (an invalid Format_Type)
        Broken  // the record runs past the end of its stream; where the next record starts is unknown
    };

    explicit TClipData(std::uint8_t formatType);
    ~TClipData();
    TClipData(const TClipData&) = delete;
    TClipData& operator=(const TClipData&) = delete;

    // Every loaded format of every clip is one of these: the small fields come first, so that they
    // share one word.
    std::uint8_t Format_Type = TypeBlock;
    bool Pasteable = true;
    std::uint16_t FormatNum = 0;
    std::int32_t DataSize = 0;
    // A handful of names serve all formats.
    TInternedString FormatName;
    platform::HGLOBAL Handle = 0;
    std::unique_ptr<TBitmap> Bitmap;
    std::unique_ptr<TMetafile> Metafile;

    // Writes the format record; a bitmap or metafile goes to its picture file in dir (ending in "/")
    // unless that file exists; with an empty dir no picture file is written. Raises EInvalidFormatType for an invalid
    // Format_Type. With packLarge a memory block that packs well is stored packed (data files only: the collection file
    // keeps plain records).
    void SaveToStream(TByteWriter& stream, std::int32_t serialNbr, const std::string& dir,
                      bool packLarge = false) const;
    // Reads a format record, a registered format under the number the context's clipboard gives its
    // name now; nothing while the context says no master list exists. False when it could not be used (a packed block
    // that does not unpack to its declared size leaves the format without data, and the stream after the record). A
    // missing picture file raises EGraphicOpenError; an unreadable one leaves the format without its graphic.
    bool LoadFromStream(const TClipContext& context, TByteReader& stream, std::int32_t serialNbr,
                        const std::string& dir) {
        return ReadRecord(context, stream, serialNbr, dir) == ReadResult::Ok;
    }
    // checked, when given, says whether the record must carry a checksum (a record of a clip's run
    // of records after a checked one); it is set when the record carried one.
    ReadResult ReadRecord(const TClipContext& context, TByteReader& stream, std::int32_t serialNbr,
                          const std::string& dir, bool* checked = nullptr);
    // The same kind of format under the same name, with the same bytes (the number of a registered
    // format may differ from run to run).
    bool SameData(const TClipData& other) const;

    // The version of a format record's header: the number in its characters 11 to 13 when it begins
    // with "TCLIPDATA" and is longer than 9 characters, else 0.
    static int HeaderVersion(const std::string& header);
    // "I" + serial + extension (".bmp", ".emf", ".wmf").
    static std::string PictureName(std::int32_t serialNbr, const char* extension);

private:
    // The packed block of length bytes at the stream's position, unpacked into Handle.
    ReadResult ReadPacked(TByteReader& stream, const TFormatRecordScanner::Head& head, std::uint32_t length,
                          std::int32_t serialNbr);
};

} // namespace bx::clipstore
