#pragma once

#include "IClipCollection.h"
#include "PlatformTypes.h"
#include "TClipData.h"
#include "TFormatList.h"
#include "TInternedString.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bx::cliplink {
class TClipView5;
class TClipboard;
class IClipProfile;
} // namespace bx::cliplink

namespace bx::clipstore {

class TBitmap;
class TClipContext;
class TMetafile;
class TByteReader;
class TByteWriter;
// The thumbnail cache's entry for a clip; the cache maintains a clip's reference to it.
class TThumbNailEntry;

// One clip: a captured state of the clipboard with all its formats, in capture order, and its
// metadata. A clip belongs to one collection (Coll, not owned), which numbers it and holds its files.
//
// A clip whose formats live in a data file of its own (DataInFile) is read from that file when its
// data is needed ("loads first") and dropped from memory again after it has been saved (UnLoad).
// A clip keeps the run's context (TClipContext, not owned) that made it: its clock stamps the clip,
// its format numbers tell the named formats apart, and while it says that no master list exists,
// reading, loading, unloading and locking do nothing.
class TClipObj {
public:
    using FormatList = TFormatList;
    // Format names, each with a flag: formats marked yes are read whatever the profile says.
    using ForcedFormats = std::vector<std::pair<std::string, bool>>;

    struct GraphicObj {
        TBitmap* Bitmap = nullptr;
        TMetafile* Metafile = nullptr;
    };

    static constexpr std::size_t MaxTitleChars = 60;
    // Text clips up to this size live inline in the collection file.
    static constexpr std::int32_t InlineTextLimit = 1024;
    // The clip record of earlier versions (read as before), and the one written now: the same fields
    // followed by a checksum of their bytes (TChecksum with ChecksumSeed; the format records after it
    // carry their own).
    static constexpr int RecordVersion = 510;
    static constexpr const char* RecordHeader = "CLIP.510";
    static constexpr int CheckedRecordVersion = 511;
    static constexpr const char* CheckedRecordHeader = "CLIP.511";
    static constexpr std::uint64_t ChecksumSeed = 0x434C49505245434Full; // "CLIPRECO"
    // The most bytes a clip record's fields take (four strings of 255 bytes).
    static constexpr std::size_t MaxRecordBytes = 4 * 256 + 4 + 8 + 4 * 4 + 1 + 4;
    // The mask HasIcon tests for a format without a bit of its own.
    static constexpr std::int32_t OtherFormatsMask = 9999;

    // A clip stamped with the context's time now; the context outlives the clip.
    TClipObj(TClipContext& context, std::int32_t serialNbr, const std::string& creator);
    // The same with a creator that is held already (no longer than 255 bytes).
    TClipObj(TClipContext& context, std::int32_t serialNbr, const TInternedString& creator);
    ~TClipObj();
    TClipObj(const TClipObj&) = delete;
    TClipObj& operator=(const TClipObj&) = delete;

    // A collection holds many thousands of clips: the fields are laid out to leave no gaps.
    IClipCollection* Coll = nullptr;
    FormatList Formats; // no list (false) while the clip is unloaded
    std::string Title = "X";
    // Few different texts among all clips, and often none.
    TInternedString Creator;
    TInternedString SourceURL;
    platform::TDateTime TimeStamp = 0;
    std::uint8_t* LockedData = nullptr;
    TThumbNailEntry* ThumbNail = nullptr;
    std::int32_t Reserved = 0;
    std::int32_t SerialNbr = 0;
    std::int32_t SortKey = 0;
    std::int32_t StoredFormatCount = 0;
    std::int32_t IconBits = 0;
    std::uint16_t LockedFormat = 0;
    bool Dirty : 1 = true;
    bool DataInFile : 1 = false;
    bool Online : 1 = false;
    // The clip's collection holds it in its notes for the capture journal.
    bool JournalNoted : 1 = false;

    // The run's context the clip was made with.
    const TClipContext& Context() const { return *context_; }

    // Clip object model.
    void SetDirty(bool value = true);
    void SetTitle(const std::string& title);
    void SetColl(IClipCollection* coll);
    int FormatCount() const;
    bool HasFormat(platform::UINT format, int& index);
    bool HasFormat(platform::UINT format) {
        int index = -1;
        return HasFormat(format, index);
    }
    platform::HGLOBAL GetHandle(platform::UINT format);
    GraphicObj GetObj(platform::UINT format);
    std::int32_t GetDataSize(int index);
    int GetFormatNum(int index);
    std::string GetFormatName(int index);
    bool GetPasteable(int index);
    void SetPasteable(int index, bool pasteable);
    bool HasIcon(platform::UINT format) const;
    std::int32_t SetIcon(platform::UINT format);
    int IconIndex() const;
    std::size_t Lock(platform::UINT format);
    void Unlock();
    void Load();
    void UnLoad();
    void ClearClipData();
    std::string GetTitle();
    static std::string CleanTitle(platform::HGLOBAL block);
    std::string STimeStamp() const;
    bool FindInTitle(const std::string& text) const;
    bool FindInbody(const std::string& text);
    // Whether text holds needle, the letters a-z of both compared without regard to case; needle
    // must already be upper-cased that way (TUtf8::UpperAscii). An empty needle is held by any text.
    static bool HoldsUpperAscii(std::string_view text, std::string_view upperNeedle);

    // Searching a clip's text straight from its data file, without loading the clip, as a search
    // over many clips does (on worker threads).
    struct DataFileText {
        std::string Dir; // the collection's directory
        std::int32_t SerialNbr = 0;
        std::int32_t FormatCount = 0;
    };
    enum class FileSearch { NoMatch, Match, Unknown };
    // What FindInDataFile needs, when the clip's body may be searched that way: a master list
    // exists and the clip is not loaded, keeps its formats in a data file, is not locked and may
    // have a text format. Main thread.
    std::optional<DataFileText> BodyInDataFile() const;
    // The answer FindInbody would give for that data file, searched for upperNeedle; Unknown when
    // the file cannot be read or holds anything but sound memory-block records (picture formats,
    // damage), which only loading the clip settles. Touches no clip and no shared state.
    static FileSearch FindInDataFile(const DataFileText& file, std::string_view upperNeedle);
    bool Audit() const;
    void CloneClipObj(TClipObj& source);
    // Stores text as the clip's text format at index, or appends a new text format when the index
    // is outside the list.
    void PutText(const std::string& text, int index);
    // Keeps only the clip's text format: a clip with text and other formats loses the others, its
    // picture files go from the collection's directory (a file that cannot be removed stays) and it is
    // a text clip from then on. Nothing changes on a clip without text or with a single format.
    void NukeNonText();

    // Clip files.
    bool NeedsDataFile() const;
    void SaveToStream(TByteWriter& stream);
    bool LoadFromStream(TByteReader& stream);
    bool ReadClipData(TByteReader* stream);
    // Moves (or with copy, copies) a clip's data and picture files from one collection's directory to
    // another's under a new serial number; true when at least one file was moved away.
    static bool RelocateFiles(const IClipCollection& from, const IClipCollection& to, std::int32_t oldSerial,
                              std::int32_t newSerial, bool copy);
    // "D" + serial + ".DAT".
    static std::string DataFileName(std::int32_t serialNbr);
    // The version of a clip record's header; 0 when the string is not a header (it is the title).
    static int HeaderVersion(const std::string& header);

    // Reading the clipboard. Paste reads every format that the profile (or the forced list) accepts
    // and returns the number obtained plus the manufactured text formats, or the last failure (0 or
    // below) when none was obtained. PasteOne reads one format from the open clipboard: 1 added,
    // 0 nothing to add, below 0 minus the errors met.
    int Paste(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, cliplink::IClipProfile& profile,
              const ForcedFormats* forced = nullptr);
    int PasteOne(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, platform::UINT format);
    // The paths of a file-list block (a DROPFILES structure, single-byte or wide).
    static std::vector<std::string> DropFilePaths(std::span<const std::uint8_t> block);

    // Writing the clip to the clipboard.
    enum class CopyMode {
        // Open, empty, write every pasteable format with its data, close.
        Immediate,
        // Open, empty, announce every format without data (whatever its Pasteable flag), close: the
        // data is written by RenderFormat or a Rendering copy when a program asks for it.
        Announce,
        // Inside a render request: the requesting program holds the clipboard open, so nothing is
        // opened, emptied or closed; every pasteable format is written at once.
        Rendering
    };
    // Writes the clip, beside the marker that tells clipboard viewers to ignore the change, and loads
    // its data first when it lives in its data file. False when the clipboard could not be opened (10
    // attempts, without a pause); raises EBadCopy when a format cannot be written, after releasing the
    // clipboard. Registered formats go out under the number their name has in this run.
    bool Copy(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, CopyMode mode = CopyMode::Immediate);
    // Writes one format's data beside the formats on the open clipboard; raises EBadCopy on failure.
    // A bitmap goes out as CF_BITMAP, a metafile in the format it produces; either with CF_PALETTE
    // when it carries a palette.
    void CopyOne(cliplink::TClipboard& clipboard, TClipData& data);
    // Serves a render request: writes every format of the clip (pasteable or not) that goes out under
    // that number; true when there was one.
    bool RenderFormat(cliplink::TClipboard& clipboard, platform::UINT format);
    // Writes a metafile (CF_ENHMETAFILE or CF_METAFILEPICT) and its palette; false when nothing could
    // be written.
    static bool CopyMetafileToClipboard(cliplink::TClipboard& clipboard, const TMetafile& metafile);

    // The address of the page the clip came from, as its "HTML Format" data (or its text) names it
    // after "SourceURL:"; empty when there is none or the header's start number is not a number.
    std::string HtmlSourceUrl();
    // Every format of the two clips is the same, in the same order (both clips' data is read first).
    bool SameDataAs(TClipObj& other);

private:
    // The clip's files and its clipboard traffic live in classes of their own.
    friend class TClipFile;
    friend class TClipPaste;
    friend class TClipCopy;

    TClipContext* context_;

    void LoadFirst();
    TClipData* FormatAt(int index);
    std::string CollPath() const;
};

} // namespace bx::clipstore
