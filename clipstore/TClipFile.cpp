#include "TClipFile.h"

#include "AtomicFile.h"
#include "EMyStreamError.h"
#include "LogHook.h"
#include "TByteReader.h"
#include "TByteWriter.h"
#include "TChecksum.h"
#include "TClipContext.h"
#include "TClipData.h"
#include "TDirFiles.h"
#include "TUtf8.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

namespace bx::clipstore {

using namespace platform;

namespace {

// The line break of text the program makes up itself.
constexpr const char* LineBreak = "\n";

bool SameDirectory(const std::string& a, const std::string& b) {
    if (a == b)
        return true;
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

} // namespace

std::string TClipFile::DataFileName(std::int32_t serialNbr) {
    return "D" + std::to_string(serialNbr) + ".DAT";
}

int TClipFile::HeaderVersion(const std::string& header) {
    if (header.size() != 8 || (header.compare(0, 4, "COLL") != 0 && header.compare(0, 4, "CLIP") != 0))
        return 0;
    return TByteReader::HeaderDigits(header, 5);
}

bool TClipFile::NeedsDataFile(const TClipObj& clip) {
    if (!clip.Formats)
        return true;
    for (const auto& d : *clip.Formats) {
        if (d->FormatNum == CF_TEXT) {
            if (d->DataSize > TClipObj::InlineTextLimit)
                return true;
            break;
        }
    }
    return std::any_of(clip.Formats->begin(), clip.Formats->end(),
                       [](const auto& d) { return d->FormatNum != CF_TEXT; });
}

void TClipFile::Save(TByteWriter& stream) {
    SetTraceLocation("TClipObj.SaveToStream");
    const bool inFile = clip_.DataInFile || NeedsDataFile(clip_);
    // The fields stay in the writer until their checksum is taken.
    const std::size_t mark = stream.Mark();
    stream.WriteString(TClipObj::CheckedRecordHeader);
    stream.WriteString(clip_.Title);
    stream.WriteString(clip_.Creator);
    stream.WriteI32(clip_.IconBits);
    stream.WriteDouble(clip_.TimeStamp);
    stream.WriteI32(clip_.Reserved);
    stream.WriteI32(clip_.SerialNbr);
    stream.WriteI32(clip_.SortKey);
    if (clip_.Formats) {
        const auto entries = static_cast<std::int32_t>(clip_.Formats->size());
        // Inline records are followed by the next clip's record: the count must be exactly the
        // records written. A data file ends after its records, so a larger count does no harm there.
        clip_.StoredFormatCount = inFile ? std::max(clip_.StoredFormatCount, entries) : entries;
    }
    stream.WriteI32(clip_.StoredFormatCount);
    clip_.DataInFile = inFile;
    stream.WriteString(clip_.SourceURL);
    stream.WriteBool(clip_.DataInFile);
    const std::uint32_t sum = TChecksum::Of(std::as_bytes(stream.Since(mark)), TClipObj::ChecksumSeed);
    stream.Release();
    stream.WriteU32(sum);

    if (!clip_.DataInFile) {
        for (const auto& d : *clip_.Formats)
            d->SaveToStream(stream, clip_.SerialNbr, clip_.CollPath());
        clip_.Dirty = false;
        return;
    }

    if (clip_.Coll == nullptr)
        throw EMyStreamError("Item " + std::to_string(clip_.SerialNbr) + " has a data file but no collection");
    const std::string dir = clip_.CollPath();
    const std::string name = DataFileName(clip_.SerialNbr);
    const auto existing = TDirFiles::Find(dir, name);
    if (!clip_.Dirty && existing)
        return;
    if (clip_.Online && clip_.Formats) {
        TByteWriter file;
        for (const auto& d : *clip_.Formats)
            d->SaveToStream(file, clip_.SerialNbr, dir, true);
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        std::string error;
        const std::string path = existing.value_or(dir + name);
        if (!AtomicFile::Write(path, file.Bytes(), &error))
            // The clip stays dirty and loaded: its data exists nowhere else.
            throw EMyStreamError("Error Writing File: " + path + LineBreak + error);
    }
    clip_.UnLoad();
    clip_.Dirty = false;
}

bool TClipFile::Load(TByteReader& stream) {
    SetTraceLocation("TClipObj.LoadFromStream");
    if (!clip_.context_->MasterListExists)
        return true;
    clip_.Online = false;
    int version = 0;
    try {
        // The fields stay in a streamed reader's window until their checksum is checked.
        stream.Peek(TClipObj::MaxRecordBytes);
        const std::size_t start = stream.Position();
        const std::string header = stream.ReadRawString();
        version = HeaderVersion(header);
        clip_.Title = version == 0 ? TByteReader::DecodeString(header) : stream.ReadString();
        clip_.Creator = stream.ReadString();
        clip_.IconBits = version >= 400 ? stream.ReadI32() : 0;
        clip_.TimeStamp = stream.ReadDouble();
        clip_.Reserved = stream.ReadI32();
        clip_.SerialNbr = stream.ReadI32();
        clip_.SortKey = version >= 503 ? stream.ReadI32() : 0;
        clip_.StoredFormatCount = stream.ReadI32();
        clip_.SourceURL = version >= 510 ? stream.ReadString() : std::string();
        clip_.DataInFile = stream.ReadBool();
        if (version >= TClipObj::CheckedRecordVersion &&
            TChecksum::Of(std::as_bytes(stream.Held(start)), TClipObj::ChecksumSeed) != stream.ReadU32())
            throw EMyStreamError("the record fails its checksum");
    } catch (const EMyStreamError& e) {
        LogMsg(LogErrors, "TClipObj.LoadFromStream", std::string("Clip record cut short or damaged: ") + e.what());
        clip_.Formats.reset();
        return false;
    }
    clip_.Formats.reset();

    bool result = true;
    if (!clip_.DataInFile) {
        try {
            result = ReadData(&stream, version >= TClipObj::CheckedRecordVersion);
        } catch (const std::exception& e) {
            LogMsg(LogErrors, "ReadClipData Failed For Item:",
                   std::to_string(clip_.SerialNbr) + "[" + clip_.Title + "] " + e.what());
            result = false;
        }
    }
    if (version < 500 && clip_.IconBits == 0) {
        try {
            clip_.IconBits = IconBitsFromFormats();
        } catch (const std::exception& e) {
            LogMsg(LogErrors, "TClipObj.LoadFromStream", std::string("Type bits not worked out: ") + e.what());
        }
    }
    clip_.Dirty = false;
    if (version < 510 && TUtf8::UpperAscii(clip_.Creator) == "IEXPLORE") {
        try {
            clip_.SourceURL = clip_.HtmlSourceUrl();
            clip_.SetDirty(true);
        } catch (const std::exception& e) {
            LogMsg(LogErrors, "TClipObj.LoadFromStream", std::string("Source address not read: ") + e.what());
        }
    }
    return result;
}

std::int32_t TClipFile::IconBitsFromFormats() {
    // The clip's type bits are 0 here, so HasFormat looks at the data.
    std::int32_t bits = 0;
    if (clip_.HasFormat(CF_TEXT))
        bits |= 1;
    if (clip_.HasFormat(CF_BITMAP))
        bits |= 2;
    if (clip_.HasFormat(CF_METAFILEPICT))
        bits |= 4;
    const UINT rtf = clip_.context_->RtfFormat;
    if (rtf != 0 && clip_.HasFormat(rtf))
        bits |= 8;
    return bits;
}

bool TClipFile::ReadData(TByteReader* stream, bool checked) {
    SetTraceLocation("TClipObj.ReadClipData");
    if (!clip_.context_->MasterListExists)
        return true;
    clip_.Formats = TClipObj::FormatList{};
    const std::string dir = clip_.CollPath();
    std::optional<TByteReader> file;
    TByteReader* in = stream;
    if (clip_.DataInFile) {
        const std::string name = DataFileName(clip_.SerialNbr);
        const std::string path = TDirFiles::Find(dir, name).value_or(dir + name);
        try {
            if (clip_.Coll == nullptr)
                throw EMyStreamError("no collection");
            file = TByteReader::FromFile(path);
        } catch (const EMyStreamError&) {
            throw EMyStreamError("Error Opening File: " + path + LineBreak + "For Data Titled: \"" + clip_.Title +
                                 "\"" + LineBreak + "With Timestamp Of: " + clip_.STimeStamp() + LineBreak +
                                 "This Item Will Now Be Deleted");
        }
        in = &*file;
    } else if (stream == nullptr) {
        throw EMyStreamError(std::string("Error Reading Data Stream From Disk: ") + LineBreak + "  Online:" +
                             (clip_.Online ? "1" : "0") + LineBreak + "  Creator: " + clip_.Creator + LineBreak +
                             "  SerialNbr: " + std::to_string(clip_.SerialNbr) + LineBreak + "  Collection: " +
                             (clip_.Coll != nullptr ? clip_.Coll->CollTitle() : std::string("Undefined")));
    }

    bool result = false;
    for (std::int32_t i = 0; i < clip_.StoredFormatCount; ++i) {
        // Fewer than 11 bytes cannot hold a record: the remaining turns are skipped.
        if (in->Remaining() < 11)
            break;
        auto d = std::make_unique<TClipData>(TClipData::TypeBlock);
        // Once a record carries a checksum, every later one of the clip does: they were written together.
        const TClipData::ReadResult r = d->ReadRecord(*clip_.context_, *in, clip_.SerialNbr, dir, &checked);
        result = r == TClipData::ReadResult::Ok;
        if (r == TClipData::ReadResult::Broken)
            break; // where the next record starts is unknown
        clip_.Formats->push_back(std::move(d));
    }
    clip_.Online = true;
    LogMsg(LogDataEvents, "SYSTEM", "LOADED Item: " + std::to_string(clip_.SerialNbr));
    return result;
}

bool TClipFile::Relocate(const IClipCollection& from, const IClipCollection& to, std::int32_t oldSerial,
                         std::int32_t newSerial, bool copy) {
    SetTraceLocation("TClipObj.RelocateFiles");
    const std::string fromDir = from.GetPath();
    const std::string toDir = to.GetPath();
    if (oldSerial == newSerial && SameDirectory(fromDir, toDir))
        return false; // the files are already where they belong
    struct Kind {
        const char* prefix;
        const char* extension; // as new files are spelled
    };
    static constexpr Kind kinds[] = {{"D", ".DAT"}, {"I", ".bmp"}, {"I", ".wmf"}, {"I", ".emf"}};
    bool result = false;
    for (const Kind& kind : kinds) {
        const auto source = TDirFiles::Find(fromDir, kind.prefix + std::to_string(oldSerial) + kind.extension);
        if (!source)
            continue;
        const std::string targetName = kind.prefix + std::to_string(newSerial) + kind.extension;
        const std::string target = toDir + targetName;
        LogMsg(LogDataEvents, "RelocateFiles", "Moving File: " + *source + " To:" + target);
        std::string error;
        bool written = false;
        try {
            const TByteReader bytes = TByteReader::FromFile(*source);
            std::error_code ec;
            std::filesystem::create_directories(toDir, ec);
            // The target replaces the file of that name in whatever case it has.
            const auto old = TDirFiles::Find(toDir, targetName);
            written = AtomicFile::Write(old.value_or(target), bytes.Bytes(), &error);
        } catch (const EMyStreamError& e) {
            error = e.what();
        }
        if (!written) {
            // The source stays: it is the only copy.
            LogMsg(LogErrors, "RelocateFiles", "Could Not Copy File: " + *source + " To:" + target + " " + error);
            continue;
        }
        if (!copy) {
            std::error_code ec;
            std::filesystem::remove(*source, ec);
            result = true;
        }
    }
    return result;
}

} // namespace bx::clipstore
