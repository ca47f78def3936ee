#include "TClipData.h"

#include "EGraphicOpenError.h"
#include "EInvalidFormatType.h"
#include "EInvalidGraphic.h"
#include "EMyStreamError.h"
#include "GlobalMemory.h"
#include "LogHook.h"
#include "TBitmap.h"
#include "TBlockPacker.h"
#include "TByteReader.h"
#include "TByteWriter.h"
#include "TClipContext.h"
#include "TDirFiles.h"
#include "TFormatRecordScanner.h"
#include "TMetafile.h"

#include <cstring>
#include <filesystem>
#include <optional>
#include <span>
#include <system_error>
#include <vector>

namespace bx::clipstore {

using namespace platform;

namespace {

// Registered formats get other numbers in every run; above this number a format is known by its name.
constexpr std::uint16_t HighestFixedFormat = 512;

} // namespace

TClipData::TClipData(std::uint8_t formatType) : Format_Type(formatType) {}

TClipData::~TClipData() {
    switch (Format_Type) {
    case TypeBlock:
    case TypeBitmap:
    case TypeMetafile:
        break;
    default:
        LogMsg(LogErrors, "SYSTEM", "Destroy Error " + std::to_string(Format_Type));
        break;
    }
    // Whatever the type says, nothing that is held may leak.
    if (Handle != 0)
        GlobalFree(Handle);
}

std::string TClipData::PictureName(std::int32_t serialNbr, const char* extension) {
    return "I" + std::to_string(serialNbr) + extension;
}

int TClipData::HeaderVersion(const std::string& header) {
    if (header.size() <= 9 || header.compare(0, 9, "TCLIPDATA") != 0 || header.size() < 13)
        return 0;
    return TByteReader::HeaderDigits(header, 10);
}

void TClipData::SaveToStream(TByteWriter& stream, std::int32_t serialNbr, const std::string& dir,
                             bool packLarge) const {
    if (Format_Type > TypeMetafile)
        throw EInvalidFormatType("Bad Format_Type Encountered(a): " + std::to_string(Format_Type) +
                                 "\nFormat Num: " + std::to_string(FormatNum) + " Format Name: " + FormatName);
    std::optional<std::vector<std::uint8_t>> packed;
    if (Format_Type == TypeBlock && packLarge) {
        const std::size_t size = GlobalSize(Handle);
        if (size >= TBlockPacker::MinSize) {
            packed = TBlockPacker::Pack({GlobalLock(Handle), size});
            GlobalUnlock(Handle);
        }
    }
    // The record's fields stay in the writer until their checksum is taken.
    const std::size_t mark = stream.Mark();
    stream.WriteString(packed ? CheckedPackedRecordHeader : CheckedRecordHeader);
    stream.WriteU32(Format_Type);
    stream.WriteString(FormatName);
    stream.WriteU16(FormatNum);
    stream.WriteI32(DataSize);
    stream.WriteBool(Pasteable);
    if (packed) {
        stream.WriteU32(static_cast<std::uint32_t>(packed->size()));
        const std::uint32_t head = TFormatRecordScanner::HeadSum(stream.Since(mark));
        stream.Release();
        stream.WriteBytes(packed->data(), packed->size());
        stream.WriteU32(TFormatRecordScanner::RecordSum(head, *packed));
        return;
    }
    if (Format_Type == TypeBlock) {
        const std::size_t size = GlobalSize(Handle);
        stream.WriteU32(static_cast<std::uint32_t>(size));
        const std::uint32_t head = TFormatRecordScanner::HeadSum(stream.Since(mark));
        stream.Release();
        const std::span<const std::uint8_t> block(size > 0 ? GlobalLock(Handle) : nullptr, size);
        if (size > 0)
            stream.WriteBytes(block.data(), size);
        const std::uint32_t sum = TFormatRecordScanner::RecordSum(head, block);
        if (size > 0)
            GlobalUnlock(Handle);
        stream.WriteU32(sum);
        return;
    }
    const std::uint32_t head = TFormatRecordScanner::HeadSum(stream.Since(mark));
    stream.Release();
    stream.WriteU32(TFormatRecordScanner::RecordSum(head, {}));
    // Without a directory the record alone is written: its picture travels with it (the capture journal).
    if (dir.empty())
        return;
    // A picture file, once written, is not written again while it exists.
    const bool bitmap = Format_Type == TypeBitmap;
    const std::string name = PictureName(serialNbr, bitmap ? ".bmp" : ".emf");
    if (TDirFiles::Exists(dir, name))
        return;
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (bitmap && Bitmap)
        Bitmap->SaveToFile(dir + name);
    else if (!bitmap && Metafile)
        Metafile->SaveToFile(dir + name);
    else
        LogMsg(LogErrors, "TClipData.SaveToStream", "No picture to write: " + dir + name);
}

TClipData::ReadResult TClipData::ReadPacked(TByteReader& stream, const TFormatRecordScanner::Head& head,
                                            std::uint32_t length, std::int32_t serialNbr) {
    // The record ends after its bytes whatever they hold: the next record stays readable.
    std::vector<std::uint8_t> copy;
    std::span<const std::uint8_t> packed;
    if (length <= stream.MaxView()) {
        packed = stream.ReadView(length);
    } else {
        copy.resize(length); // no more than the stream holds
        stream.ReadBytes(copy.data(), length);
        packed = copy;
    }
    TFormatRecordScanner::CheckBlock(stream, head, packed);
    if (Handle != 0) {
        GlobalFree(Handle);
        Handle = 0;
    }
    const std::optional<std::size_t> size = TBlockPacker::UnpackedSize(packed);
    HGLOBAL h = size ? GlobalAlloc(GMEM_MOVEABLE, *size) : 0;
    bool ok = false;
    if (h != 0) {
        ok = TBlockPacker::Unpack(packed, {GlobalLock(h), *size});
        GlobalUnlock(h);
    }
    if (!ok) {
        if (h != 0)
            GlobalFree(h);
        LogMsg(LogErrors, "TClipData.LoadFromStream",
               "Packed block of item " + std::to_string(serialNbr) + " (" + FormatName + ") is damaged");
        return ReadResult::Failed;
    }
    Handle = h;
    return ReadResult::Ok;
}

TClipData::ReadResult TClipData::ReadRecord(const TClipContext& context, TByteReader& stream, std::int32_t serialNbr,
                                            const std::string& dir, bool* checked) {
    if (!context.MasterListExists)
        return ReadResult::Ok;
    TFormatRecordScanner::Head head;
    head.FormatType = Format_Type; // until the record gives its own
    head.RequireChecked = checked != nullptr && *checked;
    try {
        std::string rawName;
        TFormatRecordScanner::ReadHead(stream, head, &rawName);
        if (checked != nullptr)
            *checked = TFormatRecordScanner::IsChecked(head);
        Format_Type = head.FormatType;
        FormatName = TByteReader::DecodeString(rawName);
        FormatNum = head.FormatNum;
        if (FormatNum > HighestFixedFormat) {
            // Known by name: the number is this run's number for the name.
            const UINT current = context.RegisterFormat(FormatName);
            if (current != 0)
                FormatNum = static_cast<std::uint16_t>(current);
        }
        DataSize = head.DataSize;
        Pasteable = head.Pasteable;

        switch (Format_Type) {
        case TypeBlock: {
            const std::uint32_t length = TFormatRecordScanner::ReadBlockLength(stream, head);
            if (TFormatRecordScanner::IsPacked(head))
                return ReadPacked(stream, head, length, serialNbr);
            HGLOBAL h = 0;
            if (length <= stream.MaxView()) {
                // The bytes go into the block once, straight from the reader's window.
                const auto bytes = stream.ReadView(length);
                TFormatRecordScanner::CheckBlock(stream, head, bytes);
                h = GlobalMemory::FromBytes(bytes.data(), bytes.size());
            } else {
                h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, length);
                if (h != 0) {
                    try {
                        std::uint8_t* block = GlobalLock(h);
                        if (length > 0)
                            stream.ReadBytes(block, length);
                        TFormatRecordScanner::CheckBlock(stream, head, {block, length});
                    } catch (...) {
                        GlobalUnlock(h);
                        GlobalFree(h);
                        throw;
                    }
                    GlobalUnlock(h);
                }
            }
            if (h == 0)
                throw EMyStreamError("Out of memory for a block of " + std::to_string(length) + " bytes");
            if (Handle != 0)
                GlobalFree(Handle);
            Handle = h;
            return ReadResult::Ok;
        }
        case TypeBitmap: {
            TFormatRecordScanner::CheckPicture(stream, head);
            const std::string name = PictureName(serialNbr, ".bmp");
            const std::string path = TDirFiles::Find(dir, name).value_or(dir + name);
            Bitmap = std::make_unique<TBitmap>();
            try {
                Bitmap->LoadFromFile(path);
            } catch (const EInvalidGraphic& e) {
                LogMsg(LogErrors, "TClipData.LoadFromStream", std::string("Unreadable bitmap: ") + e.what());
                Bitmap.reset();
            }
            return ReadResult::Ok;
        }
        case TypeMetafile: {
            TFormatRecordScanner::CheckPicture(stream, head);
            const std::string emf = PictureName(serialNbr, ".emf");
            auto path = TDirFiles::Find(dir, emf);
            if (!path)
                path = TDirFiles::Find(dir, PictureName(serialNbr, ".wmf"));
            Metafile = std::make_unique<TMetafile>();
            try {
                Metafile->LoadFromFile(path.value_or(dir + emf));
            } catch (const EInvalidGraphic& e) {
                LogMsg(LogErrors, "TClipData.LoadFromStream", std::string("Unreadable metafile: ") + e.what());
                Metafile.reset();
            }
            return ReadResult::Ok;
        }
        default:
            // A checked record of a type this program does not know still proves its fields whole.
            TFormatRecordScanner::CheckPicture(stream, head);
            LogMsg(LogErrors, "TClipData.LoadFromStream",
                   "Bad Format_Type Encountered During Load: " + std::to_string(Format_Type) +
                       "\nFormat Num: " + std::to_string(FormatNum) + " Format Name: \"" + FormatName +
                       "\"\nFor Item: " + std::to_string(serialNbr));
            return ReadResult::Failed;
        }
    } catch (const EMyStreamError& e) {
        Format_Type = head.FormatType;
        LogMsg(LogErrors, "TClipData.LoadFromStream",
               std::string("Format record of item ") + std::to_string(serialNbr) +
                   " is cut short or damaged: " + e.what());
        return ReadResult::Broken;
    }
}

bool TClipData::SameData(const TClipData& other) const {
    if (Format_Type != other.Format_Type || FormatName.str() != other.FormatName.str())
        return false;
    switch (Format_Type) {
    case TypeBitmap:
        return Bitmap != nullptr && other.Bitmap != nullptr && Bitmap->Dib() == other.Bitmap->Dib();
    case TypeMetafile:
        return Metafile != nullptr && other.Metafile != nullptr && Metafile->Bytes() == other.Metafile->Bytes();
    default: {
        const std::size_t size = platform::GlobalMemory::Size(Handle);
        if (Handle == 0 || other.Handle == 0 || size != platform::GlobalMemory::Size(other.Handle))
            return false;
        const std::uint8_t* a = platform::GlobalMemory::Lock(Handle);
        const std::uint8_t* b = platform::GlobalMemory::Lock(other.Handle);
        const bool same = a != nullptr && b != nullptr && std::memcmp(a, b, size) == 0;
        platform::GlobalMemory::Unlock(Handle);
        platform::GlobalMemory::Unlock(other.Handle);
        return same;
    }
    }
}

} // namespace bx::clipstore
