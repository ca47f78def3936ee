#include "TClipObj.h"

#include "AtomicFile.h"
#include "DateTime.h"
#include "EBadCopy.h"
#include "EInvalidGraphic.h"
#include "EMyStreamError.h"
#include "GlobalMemory.h"
#include "IClipProfile.h"
#include "LogHook.h"
#include "TBitmap.h"
#include "TBlockPacker.h"
#include "TByteReader.h"
#include "TByteWriter.h"
#include "TClipContext.h"
#include "TClipName.h"
#include "TClipView5.h"
#include "TClipboard.h"
#include "TDirFiles.h"
#include "TGlobalBlocks.h"
#include "TMetafile.h"
#include "TUtf8.h"
#include "UniqueFd.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string_view>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bx::clipstore {

using namespace platform;

namespace {

// The line break of text the program makes up itself.
constexpr const char* LineBreak = "\n";

// The bit a format sets in IconBits; 0 for a format without a bit of its own.
std::int32_t IconBitOf(const TClipContext& st, UINT format) {
    switch (format) {
    case CF_TEXT:
        return 1;
    case CF_BITMAP:
        return 2;
    case CF_METAFILEPICT:
        return 4;
    case CF_HDROP:
        return 64;
    default:
        break;
    }
    if (format != 0 && format == st.RtfFormat)
        return 8;
    if (format != 0 && format == st.HtmlFormat)
        return 128;
    return 0;
}

char UpperAsciiChar(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// How common a byte is in text, roughly: blanks and frequent letters high, rare letters, control
// bytes and the bytes of other scripts low. Only the order matters.
constexpr std::array<std::uint8_t, 256> ByteRanks() {
    std::array<std::uint8_t, 256> rank{};
    for (std::size_t c = 0; c < 256; ++c)
        rank[c] = c < 32 ? 10 : (c < 128 ? 100 : 60);
    constexpr std::string_view byFrequency = "etaoinshrdlcumwfgypbvkjxqz";
    for (std::size_t i = 0; i < byFrequency.size(); ++i) {
        const auto lower = static_cast<unsigned char>(byFrequency[i]);
        rank[lower] = static_cast<std::uint8_t>(250 - 7 * i);
        rank[lower - 'a' + 'A'] = static_cast<std::uint8_t>(240 - 7 * i);
    }
    for (unsigned char c : std::string_view("0123456789.,;:-'\"()/\r\n"))
        rank[c] = 130;
    rank[' '] = 255;
    return rank;
}
constexpr std::array<std::uint8_t, 256> Rank = ByteRanks();

bool SameUpperAscii(const char* text, std::string_view needle) {
    for (std::size_t i = 0; i < needle.size(); ++i)
        if (UpperAsciiChar(text[i]) != needle[i])
            return false;
    return true;
}

// Boyer-Moore-Horspool, whose skip table lets a text byte stand for the needle bytes it matches (a
// letter for both of its cases).
bool HorspoolUpperAscii(std::string_view text, std::string_view needle) {
    const std::size_t m = needle.size();
    if (m > text.size())
        return false;
    std::array<std::size_t, 256> skip;
    skip.fill(m);
    for (std::size_t i = 0; i + 1 < m; ++i) {
        const auto c = static_cast<unsigned char>(needle[i]);
        skip[c] = m - 1 - i;
        if (c >= 'A' && c <= 'Z')
            skip[c - 'A' + 'a'] = m - 1 - i;
    }
    for (std::size_t pos = 0; pos + m <= text.size();) {
        std::size_t j = m;
        while (j > 0 && UpperAsciiChar(text[pos + j - 1]) == needle[j - 1])
            --j;
        if (j == 0)
            return true;
        pos += skip[static_cast<unsigned char>(text[pos + m - 1])];
    }
    return false;
}

// Whether text, with its letters a-z upper-cased, holds needle (upper-cased the same way), without
// copying the text. The needle's rarest byte is looked for with memchr (both cases of a letter), and
// each place it occurs is compared in full; when those places come too thick, the rest of the text is
// left to Horspool.
bool ContainsUpperAscii(std::string_view text, std::string_view needle) {
    const std::size_t m = needle.size();
    if (m == 0 || m > text.size())
        return m == 0;
    std::size_t r = 0;
    for (std::size_t i = 1; i < m; ++i)
        if (Rank[static_cast<unsigned char>(needle[i])] < Rank[static_cast<unsigned char>(needle[r])])
            r = i;
    const char upper = needle[r];
    const char lower = upper >= 'A' && upper <= 'Z' ? static_cast<char>(upper - 'A' + 'a') : upper;
    const char* base = text.data();
    // The rare byte of a match starting at s is at s + r, for s from 0 to n - m.
    const std::size_t end = text.size() - m + r + 1;
    const auto next = [&](char c, std::size_t from) {
        const void* p = from < end ? std::memchr(base + from, c, end - from) : nullptr;
        return p != nullptr ? static_cast<std::size_t>(static_cast<const char*>(p) - base) : end;
    };
    std::size_t atUpper = next(upper, r);
    std::size_t atLower = lower != upper ? next(lower, r) : end;
    for (std::size_t tried = 1;; ++tried) {
        const std::size_t at = std::min(atUpper, atLower);
        if (at >= end)
            return false;
        const std::size_t start = at - r;
        if (SameUpperAscii(base + start, needle))
            return true;
        // Every start up to this one is settled.
        if (tried >= 16 && tried * 32 > start)
            return HorspoolUpperAscii(text.substr(start + 1), needle);
        if (at == atUpper)
            atUpper = next(upper, at + 1);
        else
            atLower = next(lower, at + 1);
    }
}

std::string TextFormatName() {
    return std::string(cliplink::TClipName::TableName(CF_TEXT));
}

bool SameDirectory(const std::string& a, const std::string& b) {
    if (a == b)
        return true;
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

} // namespace

TClipObj::TClipObj(TClipContext& context, std::int32_t serialNbr, const std::string& creator)
    : Creator(TUtf8::CutBytes(creator, 255)), TimeStamp(context.Now()), SerialNbr(serialNbr), context_(&context) {}

TClipObj::TClipObj(TClipContext& context, std::int32_t serialNbr, const TInternedString& creator)
    : Creator(creator.size() <= 255 ? creator : TInternedString(TUtf8::CutBytes(creator, 255))),
      TimeStamp(context.Now()), SerialNbr(serialNbr), context_(&context) {}

TClipObj::~TClipObj() = default;

// ---------------------------------------------------------------------------------------------------------------
// Clip object model

void TClipObj::SetDirty(bool value) {
    Dirty = value;
    if (Coll != nullptr)
        Coll->SetDirty(value);
}

void TClipObj::SetTitle(const std::string& title) {
    Title = TUtf8::CutChars(TUtf8::FromStored(title), MaxTitleChars);
    SetDirty(true);
}

void TClipObj::SetColl(IClipCollection* coll) {
    Coll = coll;
    if (!context_->StartingUp)
        SetDirty(true);
}

int TClipObj::FormatCount() const {
    return Formats ? static_cast<int>(Formats->size()) : StoredFormatCount;
}

void TClipObj::LoadFirst() {
    if (!Online)
        ReadClipData(nullptr);
}

bool TClipObj::SameDataAs(TClipObj& other) {
    LoadFirst();
    other.LoadFirst();
    if (!Formats || !other.Formats || Formats->size() != other.Formats->size())
        return false;
    for (std::size_t i = 0; i < Formats->size(); ++i)
        if (!(*Formats)[i]->SameData(*(*other.Formats)[i]))
            return false;
    return true;
}

TClipData* TClipObj::FormatAt(int index) {
    LoadFirst();
    if (!Formats || index < 0 || static_cast<std::size_t>(index) >= Formats->size())
        return nullptr;
    return (*Formats)[static_cast<std::size_t>(index)].get();
}

std::string TClipObj::CollPath() const {
    return Coll != nullptr ? Coll->GetPath() : std::string();
}

bool TClipObj::HasFormat(UINT format, int& index) {
    index = -1;
    if (!HasIcon(format) && IconBits > 0)
        return false;
    LoadFirst();
    if (!Formats)
        return false;
    for (std::size_t i = 0; i < Formats->size(); ++i) {
        if ((*Formats)[i]->FormatNum == format) {
            index = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

HGLOBAL TClipObj::GetHandle(UINT format) {
    LoadFirst();
    if (Formats)
        for (const auto& d : *Formats)
            if (d->FormatNum == format)
                return d->Handle;
    return 0;
}

TClipObj::GraphicObj TClipObj::GetObj(UINT format) {
    LoadFirst();
    GraphicObj obj;
    if (!Formats || (format != CF_BITMAP && format != CF_METAFILEPICT))
        return obj;
    for (const auto& d : *Formats) {
        if (d->FormatNum != format)
            continue;
        if (format == CF_BITMAP)
            obj.Bitmap = d->Bitmap.get();
        else
            obj.Metafile = d->Metafile.get();
        break;
    }
    return obj;
}

std::int32_t TClipObj::GetDataSize(int index) {
    const TClipData* d = FormatAt(index);
    return d != nullptr ? d->DataSize : -1;
}

int TClipObj::GetFormatNum(int index) {
    const TClipData* d = FormatAt(index);
    return d != nullptr ? d->FormatNum : -1;
}

std::string TClipObj::GetFormatName(int index) {
    const TClipData* d = FormatAt(index);
    return d != nullptr ? d->FormatName : std::string();
}

bool TClipObj::GetPasteable(int index) {
    const TClipData* d = FormatAt(index);
    return d != nullptr && d->Pasteable;
}

void TClipObj::SetPasteable(int index, bool pasteable) {
    if (TClipData* d = FormatAt(index))
        d->Pasteable = pasteable;
}

bool TClipObj::HasIcon(UINT format) const {
    const std::int32_t bit = IconBitOf(*context_, format);
    return (IconBits & (bit != 0 ? bit : OtherFormatsMask)) != 0;
}

std::int32_t TClipObj::SetIcon(UINT format) {
    IconBits |= IconBitOf(*context_, format);
    return IconBits;
}

int TClipObj::IconIndex() const {
    const TClipContext& st = *context_;
    if (HasIcon(CF_HDROP))
        return 6;
    if (st.HtmlFormat != 0 && HasIcon(st.HtmlFormat))
        return 7;
    if (st.RtfFormat != 0 && HasIcon(st.RtfFormat))
        return 1;
    if (HasIcon(CF_TEXT))
        return 0;
    if (HasIcon(CF_BITMAP))
        return 2;
    if ((IconBits & OtherFormatsMask) != 0)
        return 3;
    return 5;
}

std::size_t TClipObj::Lock(UINT format) {
    if (!context_->MasterListExists) {
        LogMsg(LogErrors, "SYSTEM", "TClipObj.lock - Early Exit, as MasterList is NIL");
        return 0;
    }
    const std::string requested = std::to_string(format);
    if (LockedFormat != 0) {
        LogMsg(LogErrors, "SYSTEM", "Item:[" + Title + "] is Already Locked!" + requested);
        try {
            Unlock();
            LogMsg(LogErrors, "SYSTEM", "Item:[" + Title + "] Emergency Unlock Successful" + requested);
        } catch (...) {
            LogMsg(LogErrors, "SYSTEM", "Item:[" + Title + "] Emergency Unlock Failed" + requested);
        }
    }
    LockedFormat = 0;
    try {
        LoadFirst();
        if (!HasFormat(format))
            return 0;
        const HGLOBAL block = GetHandle(format);
        LockedData = GlobalLock(block);
        LockedFormat = static_cast<std::uint16_t>(format);
        return GlobalSize(block);
    } catch (...) {
        LogMsg(LogErrors, "SYSTEM", "Could Not Lock " + requested);
        return 0;
    }
}

void TClipObj::Unlock() {
    if (!context_->MasterListExists) {
        LogMsg(LogErrors, "SYSTEM", "TClipObj.Unlock - Early Exit, as MasterList is NIL");
        return;
    }
    const std::uint16_t format = LockedFormat;
    LockedFormat = 0;
    if (format != 0)
        GlobalUnlock(GetHandle(format));
    else
        LogMsg(LogErrors, "SYSTEM", "Error Unlocking - Item:[" + Title + "] is NOT Locked!");
}

void TClipObj::Load() {
    if (!context_->MasterListExists)
        return;
    if (!Online && DataInFile)
        ReadClipData(nullptr);
    LogMsg(LogDataEvents, "SYSTEM", "LOADED On Demand: " + std::to_string(SerialNbr));
}

void TClipObj::UnLoad() {
    if (!context_->MasterListExists)
        return;
    // A locked block stays: LockedData points into it.
    if (!DataInFile || !Online || Dirty || LockedFormat != 0)
        return;
    ClearClipData();
    Formats.reset();
    Dirty = false;
    Online = false;
    LogMsg(LogDataEvents, "SYSTEM", "UNLOADED Item: " + std::to_string(SerialNbr));
}

void TClipObj::ClearClipData() {
    if (!Online || !Formats)
        return;
    Formats->clear();
    Online = false;
}

std::string TClipObj::GetTitle() {
    LoadFirst();
    if (HasFormat(CF_TEXT))
        return CleanTitle(GetHandle(CF_TEXT));
    if (HasFormat(CF_BITMAP) || HasFormat(CF_METAFILEPICT))
        return "Graphic:" + STimeStamp();
    return "Other:" + STimeStamp();
}

std::string TClipObj::CleanTitle(HGLOBAL block) {
    const std::size_t size = GlobalSize(block);
    if (block == 0 || size == 0)
        return {};
    const std::uint8_t* bytes = GlobalLock(block);
    if (bytes == nullptr)
        return {};
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    const std::size_t limit = size > 1024 ? 1024 : TGlobalBlocks::TextLenOfHandle(block);
    std::string out;
    std::size_t chars = 0;
    bool previousLow = false; // the byte before is a blank or a control character
    for (std::size_t i = 0; i <= limit && i < size && chars < MaxTitleChars && bytes[i] != 0;) {
        const std::uint8_t c = bytes[i];
        if (c <= 32) {
            // Control characters become blanks; a run of them becomes one blank.
            if (i == 0 || !previousLow) {
                out += ' ';
                ++chars;
            }
            previousLow = true;
            ++i;
            continue;
        }
        previousLow = false;
        const std::size_t n = TUtf8::SequenceLength(text, i);
        if (n == 0) {
            out += TUtf8::FromWindows1252(text.substr(i, 1));
            ++i;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
        ++chars;
    }
    GlobalUnlock(block);
    return out;
}

std::string TClipObj::STimeStamp() const {
    // Day numbers of 1 January 0001 and 31 December 9999; a damaged record may hold anything.
    if (!std::isfinite(TimeStamp) || TimeStamp < -693593.0 || TimeStamp >= 2958466.0)
        return "Invalid Date";
    const DateTimeParts p = DecodeDateTime(TimeStamp);
    char buffer[48];
    if (p.hour == 0 && p.minute == 0 && p.second == 0 && p.millisecond == 0)
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", p.year, p.month, p.day);
    else
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                      p.second);
    return buffer;
}

bool TClipObj::FindInTitle(const std::string& text) const {
    if (text.empty())
        return false;
    return ContainsUpperAscii(Title, TUtf8::UpperAscii(text));
}

bool TClipObj::HoldsUpperAscii(std::string_view text, std::string_view upperNeedle) {
    return ContainsUpperAscii(text, upperNeedle);
}

std::optional<TClipObj::DataFileText> TClipObj::BodyInDataFile() const {
    if (!context_->MasterListExists || !DataInFile || Online || Coll == nullptr || LockedFormat != 0)
        return std::nullopt;
    // As HasFormat: type bits that leave the text out settle it without the file.
    if (!HasIcon(CF_TEXT) && IconBits > 0)
        return std::nullopt;
    return DataFileText{Coll->GetPath(), SerialNbr, StoredFormatCount};
}

namespace {

// The whole of a regular file into out (its capacity reused); false when it cannot be read, is
// not a regular file or turns out shorter than it was.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& out) {
    const platform::UniqueFd f(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (f.Get() < 0 || ::fstat(f.Get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
        static_cast<std::uintmax_t>(st.st_size) > TBlockPacker::MaxSize)
        return false;
    // The size the directory gives is the size read: data files are replaced whole, never grown.
    const auto size = static_cast<std::size_t>(st.st_size);
    out.resize(size);
    std::size_t have = 0;
    while (have < size) {
        const ssize_t n = ::read(f.Get(), out.data() + have, out.size() - have);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        have += static_cast<std::size_t>(n);
    }
    return have == size;
}

// A cursor over a data file's bytes that fails instead of reading past the end.
struct Cursor {
    std::span<const std::uint8_t> b;
    std::size_t pos = 0;
    bool ok = true;

    std::size_t Remaining() const { return b.size() - pos; }
    std::span<const std::uint8_t> Take(std::size_t n) {
        if (!ok || n > Remaining()) {
            ok = false;
            return {};
        }
        pos += n;
        return b.subspan(pos - n, n);
    }
    std::uint32_t U32(std::size_t n = 4) {
        const auto bytes = Take(n);
        std::uint32_t v = 0;
        for (std::size_t i = bytes.size(); i > 0; --i)
            v = (v << 8) | bytes[i - 1];
        return v;
    }
    std::span<const std::uint8_t> RawString() {
        const auto length = Take(1);
        return ok ? Take(length[0]) : std::span<const std::uint8_t>{};
    }
};

} // namespace

TClipObj::FileSearch TClipObj::FindInDataFile(const DataFileText& file, std::string_view upperNeedle) {
    if (upperNeedle.empty())
        return FileSearch::NoMatch;
    thread_local std::vector<std::uint8_t> bytes;
    thread_local std::vector<std::uint8_t> unpacked;
    try {
        // The file under its own name, else under another spelling of it (as TDirFiles finds it).
        const std::string name = DataFileName(file.SerialNbr);
        if (!ReadWholeFile(file.Dir + name, bytes)) {
            const std::optional<std::string> other = TDirFiles::Find(file.Dir, name);
            if (!other || *other == file.Dir + name || !ReadWholeFile(*other, bytes))
                return FileSearch::Unknown;
        }
        // The records as ReadClipData reads them; the first text format is the one searched.
        Cursor in{bytes};
        std::span<const std::uint8_t> text;
        bool haveText = false;
        bool textPacked = false;
        for (std::int32_t i = 0; i < file.FormatCount && in.Remaining() >= 11; ++i) {
            const auto header = in.RawString();
            const int version =
                TClipData::HeaderVersion(std::string(reinterpret_cast<const char*>(header.data()), header.size()));
            const std::uint32_t type = in.U32() & 0xFF;
            in.RawString();
            const std::uint32_t num = in.U32(2);
            in.Take(version >= 510 ? 5 : 4);
            if (type != TClipData::TypeBlock)
                return FileSearch::Unknown;
            const auto block = in.Take(in.U32());
            if (!in.ok)
                return FileSearch::Unknown;
            if (num == CF_TEXT && !haveText) {
                haveText = true;
                text = block;
                textPacked = version >= TClipData::PackedRecordVersion;
            }
        }
        if (!haveText)
            return FileSearch::NoMatch;
        if (textPacked) {
            const std::optional<std::size_t> size = TBlockPacker::UnpackedSize(text);
            if (!size)
                return FileSearch::Unknown;
            unpacked.resize(*size);
            if (!TBlockPacker::Unpack(text, unpacked))
                return FileSearch::Unknown;
            text = unpacked;
        }
        // The text up to its zero byte, as FindInbody searches it.
        const auto* start = reinterpret_cast<const char*>(text.data());
        const std::string_view body(start, text.empty() ? 0 : strnlen(start, text.size()));
        return ContainsUpperAscii(body, upperNeedle) ? FileSearch::Match : FileSearch::NoMatch;
    } catch (...) {
        return FileSearch::Unknown;
    }
}

bool TClipObj::FindInbody(const std::string& text) {
    if (text.empty() || !HasFormat(CF_TEXT))
        return false;
    bool found = false;
    try {
        const std::size_t size = Lock(CF_TEXT);
        if (size > 0 && LockedData != nullptr) {
            // The text up to its zero byte, searched in place.
            const auto* start = reinterpret_cast<const char*>(LockedData);
            found = ContainsUpperAscii(std::string_view(start, strnlen(start, size)), TUtf8::UpperAscii(text));
        }
    } catch (...) {
        Unlock();
        UnLoad();
        throw;
    }
    Unlock();
    UnLoad();
    return found;
}

bool TClipObj::Audit() const {
    bool result = true;
    if (DataInFile) {
        const std::string dir = CollPath();
        if (Coll == nullptr || !TDirFiles::Exists(dir, DataFileName(SerialNbr))) {
            result = false;
            LogMsg(LogErrors, "TClipObj.Audit", "Audit Failed: Missing File:" + dir + DataFileName(SerialNbr));
        }
    }
    if (Online && Formats) {
        for (const auto& d : *Formats) {
            if (d->Format_Type >= 4) {
                result = false;
                LogMsg(LogErrors, "TClipObj.Audit", "Audit Failed: Bad Format_Type:" + std::to_string(d->Format_Type));
            }
            if (d->FormatNum == 0) {
                result = false;
                LogMsg(LogErrors, "TClipObj.Audit", "Audit Failed: Bad Format:" + std::to_string(d->FormatNum));
            }
        }
    }
    return result;
}

void TClipObj::CloneClipObj(TClipObj& source) {
    SetTitle(source.Title);
    Creator = source.Creator;
    Reserved = source.Reserved;
    DataInFile = source.DataInFile;
    StoredFormatCount = source.FormatCount();
    for (const UINT format : {CF_TEXT, context_->RtfFormat, CF_BITMAP, CF_METAFILEPICT})
        if (format != 0 && source.HasIcon(format))
            SetIcon(format);
    if (DataInFile) {
        // The formats stay in the data file, which the caller copies under this clip's serial number.
        Dirty = false;
        return;
    }
    if (source.HasFormat(CF_TEXT)) {
        const std::size_t size = source.Lock(CF_TEXT);
        std::string text;
        if (size > 0 && source.LockedData != nullptr) {
            const auto* start = reinterpret_cast<const char*>(source.LockedData);
            text.assign(start, strnlen(start, size));
        }
        PutText(text, 9999);
        source.Unlock();
    }
}

void TClipObj::PutText(const std::string& text, int index) {
    // An unloaded clip is read first, so that its other formats are not lost.
    if (!Formats && DataInFile)
        LoadFirst();
    if (!Formats)
        Formats = FormatList{};
    const HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 2);
    if (block != 0 && !text.empty()) {
        std::memcpy(GlobalLock(block), text.data(), text.size());
        GlobalUnlock(block);
    }
    TClipData* d = nullptr;
    if (index < 0 || static_cast<std::size_t>(index) >= Formats->size()) {
        Formats->push_back(std::make_unique<TClipData>(TClipData::TypeBlock));
        d = Formats->back().get();
        Online = true;
    } else {
        d = (*Formats)[static_cast<std::size_t>(index)].get();
        if (d->Handle != 0)
            GlobalFree(d->Handle);
        d->Handle = 0;
        d->Bitmap.reset();
        d->Metafile.reset();
        d->Format_Type = TClipData::TypeBlock;
        LockedData = nullptr;
    }
    d->Handle = block;
    d->DataSize = static_cast<std::int32_t>(GlobalSize(block));
    d->FormatNum = CF_TEXT;
    d->FormatName = TextFormatName();
    ThumbNail = nullptr;
    SetDirty(true);
}

// ---------------------------------------------------------------------------------------------------------------
// Clip files

std::string TClipObj::DataFileName(std::int32_t serialNbr) {
    return "D" + std::to_string(serialNbr) + ".DAT";
}

int TClipObj::HeaderVersion(const std::string& header) {
    if (header.size() != 8 || (header.compare(0, 4, "COLL") != 0 && header.compare(0, 4, "CLIP") != 0))
        return 0;
    int version = 0;
    for (std::size_t i = 5; i < 8; ++i) {
        if (header[i] < '0' || header[i] > '9')
            return 0;
        version = version * 10 + (header[i] - '0');
    }
    return version;
}

bool TClipObj::NeedsDataFile() const {
    if (!Formats)
        return true;
    for (const auto& d : *Formats) {
        if (d->FormatNum == CF_TEXT) {
            if (d->DataSize > InlineTextLimit)
                return true;
            break;
        }
    }
    return std::any_of(Formats->begin(), Formats->end(), [](const auto& d) { return d->FormatNum != CF_TEXT; });
}

void TClipObj::SaveToStream(TByteWriter& stream) {
    SetTraceLocation("TClipObj.SaveToStream");
    const bool inFile = DataInFile || NeedsDataFile();
    stream.WriteString(RecordHeader);
    stream.WriteString(Title);
    stream.WriteString(Creator);
    stream.WriteI32(IconBits);
    stream.WriteDouble(TimeStamp);
    stream.WriteI32(Reserved);
    stream.WriteI32(SerialNbr);
    stream.WriteI32(SortKey);
    if (Formats) {
        const auto entries = static_cast<std::int32_t>(Formats->size());
        // Inline records are followed by the next clip's record: the count must be exactly the
        // records written. A data file ends after its records, so a larger count does no harm there.
        StoredFormatCount = inFile ? std::max(StoredFormatCount, entries) : entries;
    }
    stream.WriteI32(StoredFormatCount);
    DataInFile = inFile;
    stream.WriteString(SourceURL);
    stream.WriteBool(DataInFile);

    if (!DataInFile) {
        for (const auto& d : *Formats)
            d->SaveToStream(stream, SerialNbr, CollPath());
        Dirty = false;
        return;
    }

    if (Coll == nullptr)
        throw EMyStreamError("Item " + std::to_string(SerialNbr) + " has a data file but no collection");
    const std::string dir = CollPath();
    const std::string name = DataFileName(SerialNbr);
    const auto existing = TDirFiles::Find(dir, name);
    if (!Dirty && existing)
        return;
    if (Online && Formats) {
        TByteWriter file;
        for (const auto& d : *Formats)
            d->SaveToStream(file, SerialNbr, dir, true);
        std::error_code ec;
        std::filesystem::create_directories(dir, ec);
        std::string error;
        const std::string path = existing.value_or(dir + name);
        if (!AtomicFile::Write(path, file.Bytes(), &error))
            // The clip stays dirty and loaded: its data exists nowhere else.
            throw EMyStreamError("Error Writing File: " + path + LineBreak + error);
    }
    UnLoad();
    Dirty = false;
}

bool TClipObj::LoadFromStream(TByteReader& stream) {
    SetTraceLocation("TClipObj.LoadFromStream");
    if (!context_->MasterListExists)
        return true;
    Online = false;
    int version = 0;
    try {
        const std::string header = stream.ReadRawString();
        version = HeaderVersion(header);
        Title = version == 0 ? TByteReader::DecodeString(header) : stream.ReadString();
        Creator = stream.ReadString();
        IconBits = version >= 400 ? stream.ReadI32() : 0;
        TimeStamp = stream.ReadDouble();
        Reserved = stream.ReadI32();
        SerialNbr = stream.ReadI32();
        SortKey = version >= 503 ? stream.ReadI32() : 0;
        StoredFormatCount = stream.ReadI32();
        SourceURL = version >= 510 ? stream.ReadString() : std::string();
        DataInFile = stream.ReadBool();
    } catch (const EMyStreamError& e) {
        LogMsg(LogErrors, "TClipObj.LoadFromStream", std::string("Clip record cut short: ") + e.what());
        Formats.reset();
        return false;
    }
    Formats.reset();

    bool result = true;
    if (!DataInFile) {
        try {
            result = ReadClipData(&stream);
        } catch (const std::exception& e) {
            LogMsg(LogErrors,
                   "ReadClipData Failed For Item:", std::to_string(SerialNbr) + "[" + Title + "] " + e.what());
            result = false;
        }
    }
    if (version < 500 && IconBits == 0) {
        try {
            IconBits = IconBitsFromFormats();
        } catch (const std::exception& e) {
            LogMsg(LogErrors, "TClipObj.LoadFromStream", std::string("Type bits not worked out: ") + e.what());
        }
    }
    Dirty = false;
    if (version < 510 && TUtf8::UpperAscii(Creator) == "IEXPLORE") {
        try {
            SourceURL = HtmlSourceUrl();
            SetDirty(true);
        } catch (const std::exception& e) {
            LogMsg(LogErrors, "TClipObj.LoadFromStream", std::string("Source address not read: ") + e.what());
        }
    }
    return result;
}

std::int32_t TClipObj::IconBitsFromFormats() {
    // IconBits is 0 here, so HasFormat looks at the data.
    std::int32_t bits = 0;
    if (HasFormat(CF_TEXT))
        bits |= 1;
    if (HasFormat(CF_BITMAP))
        bits |= 2;
    if (HasFormat(CF_METAFILEPICT))
        bits |= 4;
    const UINT rtf = context_->RtfFormat;
    if (rtf != 0 && HasFormat(rtf))
        bits |= 8;
    return bits;
}

std::string TClipObj::HtmlSourceUrl() {
    std::string url;
    const UINT html = context_->HtmlFormat;
    std::size_t size = html != 0 ? Lock(html) : 0;
    if (size == 0) {
        if (LockedFormat != 0)
            Unlock();
        size = Lock(CF_TEXT);
    }
    if (size == 0) {
        if (LockedFormat != 0)
            Unlock();
        return url;
    }
    // Read where it lies: the text may be hundreds of megabytes.
    const std::string_view text(reinterpret_cast<const char*>(LockedData),
                                strnlen(reinterpret_cast<const char*>(LockedData), size));
    const auto lineEnd = [&](std::size_t from) { return text.find_first_of("\r\n", from); };
    const std::size_t start = text.find("StartHTML:");
    bool numbered = true;
    if (start != std::string_view::npos) {
        const std::size_t from = start + 10;
        const std::size_t end = lineEnd(from);
        const std::string_view number =
            text.substr(from, std::min<std::size_t>(10, (end == std::string_view::npos ? text.size() : end) - from));
        numbered =
            !number.empty() && std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    }
    if (const std::size_t source = numbered ? text.find("SourceURL:") : std::string_view::npos;
        source != std::string_view::npos) {
        const std::size_t from = source + 10;
        const std::size_t end = lineEnd(from);
        if (end != std::string_view::npos && end - from < 254)
            url = std::string(text.substr(from, end - from));
    }
    Unlock();
    return url;
}

bool TClipObj::ReadClipData(TByteReader* stream) {
    SetTraceLocation("TClipObj.ReadClipData");
    if (!context_->MasterListExists)
        return true;
    Formats = FormatList{};
    const std::string dir = CollPath();
    std::optional<TByteReader> file;
    TByteReader* in = stream;
    if (DataInFile) {
        const std::string name = DataFileName(SerialNbr);
        const std::string path = TDirFiles::Find(dir, name).value_or(dir + name);
        try {
            if (Coll == nullptr)
                throw EMyStreamError("no collection");
            file = TByteReader::FromFile(path);
        } catch (const EMyStreamError&) {
            throw EMyStreamError("Error Opening File: " + path + LineBreak + "For Data Titled: \"" + Title + "\"" +
                                 LineBreak + "With Timestamp Of: " + STimeStamp() + LineBreak +
                                 "This Item Will Now Be Deleted");
        }
        in = &*file;
    } else if (stream == nullptr) {
        throw EMyStreamError(std::string("Error Reading Data Stream From Disk: ") + LineBreak +
                             "  Online:" + (Online ? "1" : "0") + LineBreak + "  Creator: " + Creator + LineBreak +
                             "  SerialNbr: " + std::to_string(SerialNbr) + LineBreak +
                             "  Collection: " + (Coll != nullptr ? Coll->CollTitle() : std::string("Undefined")));
    }

    bool result = false;
    for (std::int32_t i = 0; i < StoredFormatCount; ++i) {
        // Fewer than 11 bytes cannot hold a record: the remaining turns are skipped.
        if (in->Remaining() < 11)
            break;
        auto d = std::make_unique<TClipData>(TClipData::TypeBlock);
        const TClipData::ReadResult r = d->ReadRecord(*context_, *in, SerialNbr, dir);
        result = r == TClipData::ReadResult::Ok;
        if (r == TClipData::ReadResult::Broken)
            break; // where the next record starts is unknown
        Formats->push_back(std::move(d));
    }
    Online = true;
    LogMsg(LogDataEvents, "SYSTEM", "LOADED Item: " + std::to_string(SerialNbr));
    return result;
}

bool TClipObj::RelocateFiles(const IClipCollection& from, const IClipCollection& to, std::int32_t oldSerial,
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

// ---------------------------------------------------------------------------------------------------------------
// Reading the clipboard

namespace {

UINT ParseFormatNum(const std::string& text) {
    unsigned long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data())
        return 0;
    return static_cast<UINT>(value & 0xFFFF);
}

std::uint32_t U32At(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

} // namespace

std::vector<std::string> TClipObj::DropFilePaths(std::span<const std::uint8_t> block) {
    // DROPFILES: uint32 offset of the list, POINT (2 x int32), BOOL fNC, BOOL fWide; then the paths,
    // each zero-terminated, the list ended by an empty one.
    constexpr std::size_t HeaderSize = 20;
    std::vector<std::string> paths;
    if (block.size() < HeaderSize)
        return paths;
    const std::size_t offset = U32At(block, 0);
    const bool wide = U32At(block, 16) != 0;
    if (offset >= block.size())
        return paths;
    if (!wide) {
        std::size_t i = offset;
        while (i < block.size()) {
            std::size_t end = i;
            while (end < block.size() && block[end] != 0)
                ++end;
            if (end == i)
                break;
            paths.push_back(
                TUtf8::FromStored(std::string_view(reinterpret_cast<const char*>(block.data() + i), end - i)));
            i = end + 1;
        }
    } else {
        std::size_t i = offset;
        while (i + 1 < block.size()) {
            std::u16string units;
            std::size_t end = i;
            while (end + 1 < block.size()) {
                const auto u = static_cast<char16_t>(block[end] | (block[end + 1] << 8));
                if (u == 0)
                    break;
                units += u;
                end += 2;
            }
            if (units.empty())
                break;
            paths.push_back(TUtf8::FromUtf16(units));
            i = end + 2;
        }
    }
    return paths;
}

int TClipObj::Paste(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, cliplink::IClipProfile& profile,
                    const ForcedFormats* forced) {
    SetTraceLocation("TClipObj.Paste");
    LogMsg(LogDetail, ">PASTE", "");
    IClock& clock = clipboard.Desktop().Clock();
    const UINT urlFormat = context_->UrlFormat != 0
                               ? context_->UrlFormat
                               : clipboard.Desktop().Clipboard().RegisterClipboardFormat("UniformResourceLocator");
    bool textSeen = false;
    bool fileListSeen = false;
    bool addressSeen = false;
    int good = 0;
    int last = 0;

    constexpr int OpenAttempts = 11;
    // A desktop whose failed reads stay failed gets one attempt: pausing to ask again would only hold
    // the program up.
    const int formatAttempts = clipboard.Desktop().Clipboard().FailedReadsAreFinal() ? 1 : 6;
    bool open = false;
    for (int attempt = 1; attempt <= OpenAttempts && !open; ++attempt) {
        open = view.Open();
        if (!open) {
            LogMsg(LogErrors, "PASTE", "Could not open clipboard]: " + view.Creator + " ErrMsg: " + view.ErrMsg());
            clock.Sleep(static_cast<UINT>(100 * attempt));
        }
    }

    if (open) {
        Online = true;
        if (!Formats)
            Formats = FormatList{};
        try {
            const std::vector<std::string> nums = view.FormatNums();
            const std::vector<std::string> names = view.FormatNames();
            for (std::size_t i = 0; i < nums.size(); ++i) {
                const UINT n = ParseFormatNum(nums[i]);
                const std::string name = i < names.size() ? names[i] : std::string();
                if (n == CF_TEXT)
                    textSeen = true;
                bool take = false;
                if (forced != nullptr)
                    for (const auto& [forcedName, flag] : *forced)
                        if (forcedName == name)
                            take = flag;
                if (!take && !profile.IsCoffee(Creator, name))
                    continue;
                bool obtained = false;
                for (int attempt = 1; attempt <= formatAttempts && !obtained; ++attempt) {
                    const int r = PasteOne(view, clipboard, n);
                    if (r >= 1) {
                        SetIcon(n);
                        ++good;
                        last = 0;
                        obtained = true;
                    } else {
                        last = r;
                        view.Close();
                        clock.Sleep(100);
                        if (!view.Open())
                            LogMsg(LogErrors, "PASTE",
                                   "Could not re-open clipboard " + Creator + " Format:" + std::to_string(n));
                    }
                }
                if (!obtained)
                    LogMsg(LogErrors, "PASTE", "Could not obtain data: " + Creator + " Format:" + std::to_string(n));
                if (n == CF_HDROP)
                    fileListSeen = true;
                if (n == urlFormat)
                    addressSeen = true;
            }
        } catch (...) {
            view.Close();
            throw;
        }
        view.Close();
    }

    int result = good >= 1 ? good : last;

    if (fileListSeen && !textSeen) {
        LogMsg(LogDetail, "PASTE", "Manufacturing TEXT from HDROP");
        std::string text;
        const HGLOBAL h = GetHandle(CF_HDROP);
        const std::size_t size = GlobalSize(h);
        if (size > 0) {
            const std::uint8_t* bytes = GlobalLock(h);
            if (bytes != nullptr)
                for (const std::string& path : DropFilePaths(std::span(bytes, size)))
                    text += path + LineBreak;
            GlobalUnlock(h);
        }
        PutText(text, 9999);
        SetIcon(CF_TEXT);
        ++result;
    }

    if (addressSeen && !textSeen) {
        // The address is read from the clip's own copy directly: a lookup by type bits would report it
        // absent whenever the clip also holds HTML, whose bit lies outside the mask of other formats.
        const HGLOBAL h = GetHandle(urlFormat);
        if (GlobalSize(h) > 0) {
            LogMsg(LogDetail, "PASTE", "Manufacturing TEXT from URL");
            const std::string address = TUtf8::CutChars(TGlobalBlocks::TextOfHandle(h), 1024);
            PutText(address + LineBreak, 9999);
            SetIcon(CF_TEXT);
            ++result;
        }
    }

    LogMsg(LogDetail, "<PASTE", "GoodPastes: " + std::to_string(good));
    return result;
}

int TClipObj::PasteOne(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, UINT format) {
    SetTraceLocation("TClipObj.PasteOne");
    LogMsg(LogDetail, ">PasteOne", std::to_string(format));
    int result = 0;
    int errors = 0;
    if (!Formats)
        Formats = FormatList{};
    const auto nullData = [&] {
        ++errors;
        LogMsg(LogErrors, "PASTEONE",
               "NULL returned from getclipboarddata.  Creator: " + Creator + ", Format:" + std::to_string(format) +
                   ", Err:0");
    };
    const std::string name = TUtf8::CutBytes(view.ConvertFormatNum(format), 255);

    if (format == CF_BITMAP || format == CF_METAFILEPICT) {
        std::vector<std::uint8_t> bytes;
        if (!clipboard.GetBytes(format, bytes)) {
            nullData();
        } else {
            auto d = std::make_unique<TClipData>(format == CF_BITMAP ? TClipData::TypeBitmap : TClipData::TypeMetafile);
            bool valid = false;
            try {
                if (format == CF_BITMAP) {
                    d->Bitmap = std::make_unique<TBitmap>();
                    valid = d->Bitmap->LoadFromDib(std::move(bytes));
                } else {
                    d->Metafile = std::make_unique<TMetafile>();
                    valid = d->Metafile->LoadFromMetafilePict(bytes);
                }
            } catch (const EInvalidGraphic&) {
                valid = false;
            }
            if (valid) {
                d->DataSize = 0;
                d->FormatNum = static_cast<std::uint16_t>(format);
                d->FormatName = name;
                Formats->push_back(std::move(d));
                result = 1;
            } else {
                ++errors;
                LogMsg(LogErrors, "PASTEONE",
                       std::string(format == CF_BITMAP ? "Bad Bitmap" : "Bad Metafile") + " Encountered from " +
                           Creator + " SerialNum:" + std::to_string(SerialNbr));
            }
        }
    } else {
        const HANDLE h = clipboard.GetData(format);
        if (h == 0 || !GlobalMemory::IsBlock(h)) {
            nullData();
        } else if (format == CF_TEXT && TGlobalBlocks::TextLenOfHandle(h) == 0) {
            // An empty text is never kept.
        } else {
            auto d = std::make_unique<TClipData>(TClipData::TypeBlock);
            d->Handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, GlobalSize(h));
            if (d->Handle == 0) {
                nullData();
            } else {
                d->DataSize = static_cast<std::int32_t>(TGlobalBlocks::HMemCpyHandles(d->Handle, h));
                d->FormatNum = static_cast<std::uint16_t>(format);
                d->FormatName = name;
                Formats->push_back(std::move(d));
                context_->NoteFormatName(format, name);
                result = 1;
            }
        }
    }
    LogMsg(LogDetail, "<PasteOne", std::to_string(result >= 1 ? result : -errors));
    return result >= 1 ? result : -errors;
}

// ---------------------------------------------------------------------------------------------------------------
// Writing the clipboard

namespace {

constexpr int CopyOpenAttempts = 10;
// Registered formats are numbered from here on, differently in every run.
constexpr UINT FirstRegisteredFormat = 0xC000;
constexpr std::uint16_t LogicalPaletteVersion = 0x300;
constexpr std::size_t MaxPaletteEntries = 0xFFFF;
constexpr std::uint32_t EmrEof = 14;
// The header field of an enhanced metafile that counts the palette entries of its end record.
constexpr std::size_t EmfPaletteCountField = 68;

std::uint16_t U16At(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}

void PutU16(std::vector<std::uint8_t>& b, std::size_t value) {
    b.push_back(static_cast<std::uint8_t>(value & 0xFF));
    b.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// A logical palette (version, count, then red, green, blue and flags per entry) from count colour
// entries of entrySize bytes: a DIB's colour table (blue, green, red[, reserved]) or a metafile's
// palette entries (red, green, blue, flags).
std::vector<std::uint8_t> LogicalPalette(std::span<const std::uint8_t> entries, std::size_t count,
                                         std::size_t entrySize, bool blueFirst) {
    std::vector<std::uint8_t> palette;
    palette.reserve(4 + 4 * count);
    PutU16(palette, LogicalPaletteVersion);
    PutU16(palette, count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::span<const std::uint8_t> e = entries.subspan(i * entrySize, entrySize);
        if (blueFirst) {
            palette.insert(palette.end(), {e[2], e[1], e[0], std::uint8_t{0}});
        } else {
            palette.insert(palette.end(), {e[0], e[1], e[2], e[3]});
        }
    }
    return palette;
}

// The colour table of a packed DIB as a logical palette; empty when the bitmap has none.
std::vector<std::uint8_t> DibPalette(std::span<const std::uint8_t> dib) {
    constexpr std::size_t CoreHeaderSize = 12;
    constexpr std::size_t InfoHeaderSize = 40;
    if (dib.size() < CoreHeaderSize)
        return {};
    const std::uint32_t headerSize = U32At(dib, 0);
    if (headerSize < CoreHeaderSize || headerSize > dib.size())
        return {};
    std::size_t offset = headerSize;
    std::size_t colors = 0;
    std::size_t entrySize = 4;
    if (headerSize == CoreHeaderSize) {
        const unsigned bits = U16At(dib, 10);
        colors = bits >= 1 && bits <= 8 ? std::size_t{1} << bits : 0;
        entrySize = 3;
    } else {
        if (headerSize < InfoHeaderSize)
            return {};
        const unsigned bits = U16At(dib, 14);
        const std::uint32_t compression = U32At(dib, 16);
        const std::uint32_t used = U32At(dib, 32);
        // The plain info header is followed by its colour masks.
        if (headerSize == InfoHeaderSize && compression == TBitmap::BI_BITFIELDS)
            offset += 12;
        else if (headerSize == InfoHeaderSize && compression == TBitmap::BI_ALPHABITFIELDS)
            offset += 16;
        colors = used != 0 ? used : (bits >= 1 && bits <= 8 ? std::size_t{1} << bits : 0);
    }
    if (colors == 0 || colors > MaxPaletteEntries || offset > dib.size() || (dib.size() - offset) / entrySize < colors)
        return {};
    return LogicalPalette(dib.subspan(offset), colors, entrySize, true);
}

// The palette that an enhanced metafile carries in its end record; empty when it has none.
std::vector<std::uint8_t> EnhMetafilePalette(std::span<const std::uint8_t> emf) {
    if (emf.size() < EmfPaletteCountField + 4 || U32At(emf, EmfPaletteCountField) == 0)
        return {};
    std::size_t at = 0;
    while (emf.size() - at >= 8) {
        const std::uint32_t type = U32At(emf, at);
        const std::uint32_t size = U32At(emf, at + 4);
        if (size < 8 || size % 4 != 0 || size > emf.size() - at)
            return {};
        if (type == EmrEof) {
            // nPalEntries, offPalEntries (from the start of the record), the entries, nSizeLast.
            if (size < 16)
                return {};
            const std::uint32_t count = U32At(emf, at + 8);
            const std::uint32_t offset = U32At(emf, at + 12);
            if (count == 0 || count > MaxPaletteEntries || offset < 16 || offset > size || (size - offset) / 4 < count)
                return {};
            return LogicalPalette(emf.subspan(at + offset, 4 * std::size_t{count}), count, 4, false);
        }
        at += size;
    }
    return {};
}

// Sets a format without data, to be rendered on request. The platform returns no handle for an
// announcement, so success is read from the clipboard itself.
bool Announce(IClipboard& clipboard, UINT format) {
    if (format == 0)
        return false;
    clipboard.SetClipboardData(format, 0);
    return clipboard.IsClipboardFormatAvailable(format);
}

// Sets a new block holding a copy of the source block; the clip keeps its own block.
bool CopyBlock(cliplink::TClipboard& clipboard, UINT format, HGLOBAL source) {
    if (!GlobalMemory::IsBlock(source))
        return false;
    const HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, GlobalSize(source));
    if (h == 0)
        return false;
    TGlobalBlocks::HMemCpyHandles(h, source);
    if (!clipboard.SetHandle(format, h)) {
        GlobalFree(h);
        return false;
    }
    return true;
}

bool PutBitmap(cliplink::TClipboard& clipboard, const TBitmap& bitmap) {
    if (bitmap.Empty() || !clipboard.SetBytes(CF_BITMAP, bitmap.Dib()))
        return false;
    const std::vector<std::uint8_t> palette = DibPalette(bitmap.Dib());
    return palette.empty() || clipboard.SetBytes(CF_PALETTE, palette);
}

} // namespace

UINT TClipObj::OutgoingFormat(IClipboard& clipboard, TClipData& data) {
    switch (data.Format_Type) {
    case TClipData::TypeBitmap:
        return CF_BITMAP;
    case TClipData::TypeMetafile:
        if (data.Metafile && data.Metafile->GetKind() == TMetafile::Kind::Enhanced)
            return CF_ENHMETAFILE;
        if (data.Metafile && data.Metafile->GetKind() == TMetafile::Kind::Windows)
            return CF_METAFILEPICT;
        return data.FormatNum;
    default:
        break;
    }
    if (data.FormatNum >= FirstRegisteredFormat && !data.FormatName.empty()) {
        const UINT current = clipboard.RegisterClipboardFormat(data.FormatName);
        if (current != 0 && current <= 0xFFFF)
            data.FormatNum = static_cast<std::uint16_t>(current);
    }
    return data.FormatNum;
}

bool TClipObj::Copy(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, CopyMode mode) {
    SetTraceLocation("TClipObj.Copy");
    SetTraceStage(0);
    LogMsg(LogDetail, ">COPY", std::to_string(SerialNbr));
    LoadFirst();
    SetTraceStage(1);

    // Inside a render request the requesting program holds the clipboard open.
    const bool ownOpening = mode != CopyMode::Rendering;
    if (ownOpening) {
        bool open = false;
        for (int attempt = 1; attempt <= CopyOpenAttempts && !open; ++attempt) {
            open = view.Open();
            if (!open)
                LogMsg(LogErrors, "COPY", "Could not open clipboard: " + view.Creator + " ErrMsg: " + view.ErrMsg());
        }
        if (!open) {
            LogMsg(LogErrors, "TClipObj.Copy", "Error - Could Not Open Clipboard: " + view.ErrMsg());
            return false;
        }
    }

    IClipboard& cb = clipboard.Desktop().Clipboard();
    try {
        if (ownOpening)
            view.clear();
        SetTraceStage(2);
        if (!Announce(cb, view.IgnoreFormat())) {
            LogMsg(LogErrors, "Copy",
                   "BAD Copy (CF_CLIPBOARD_VIEWER_IGNORE) " + Creator + " SerialNum:" + std::to_string(SerialNbr));
            throw EBadCopy("Copy Failed - Type: CF_CLIPBOARD_VIEWER_IGNORE");
        }
        if (Formats) {
            for (const auto& d : *Formats) {
                if (mode == CopyMode::Announce)
                    Announce(cb, OutgoingFormat(cb, *d));
                else if (d->Pasteable)
                    CopyOne(clipboard, *d);
            }
        }
    } catch (...) {
        // The system clipboard is never left open.
        if (ownOpening)
            view.Close();
        throw;
    }
    SetTraceStage(3);
    if (ownOpening)
        view.Close();
    SetTraceStage(0);
    SetTraceLocation("TClipObj.Copy-EXIT");
    LogMsg(LogDetail, "<COPY", std::to_string(SerialNbr));
    return true;
}

void TClipObj::CopyOne(cliplink::TClipboard& clipboard, TClipData& data) {
    SetTraceLocation("TClipObj.CopyOne");
    const auto fail = [&](const std::string& kind, const std::string& message) {
        LogMsg(LogErrors, "CopyOne", "BAD Copy (" + kind + ") " + Creator + " SerialNum:" + std::to_string(SerialNbr));
        throw EBadCopy(message);
    };
    const std::string type = std::to_string(data.Format_Type);
    switch (data.Format_Type) {
    case TClipData::TypeBlock:
        if (!CopyBlock(clipboard, OutgoingFormat(clipboard.Desktop().Clipboard(), data), data.Handle))
            fail("FLAT", "Copy Failed - Type: " + type);
        break;
    case TClipData::TypeBitmap:
        if (!data.Bitmap || !PutBitmap(clipboard, *data.Bitmap))
            fail("Bitmap", "Copy Failed - Bitmap");
        break;
    case TClipData::TypeMetafile:
        if (!data.Metafile || !CopyMetafileToClipboard(clipboard, *data.Metafile))
            fail("Metafile", "Copy Failed - Metafile");
        break;
    default:
        // A damaged record: its data cannot be told apart from anything else.
        fail("Type " + type, "Copy Failed - Type: " + type);
    }
    SetTraceLocation("TClipObj.CopyOne-EXIT");
}

bool TClipObj::CopyMetafileToClipboard(cliplink::TClipboard& clipboard, const TMetafile& metafile) {
    SetTraceLocation("TClipObj.CopyMetafileToClipboard");
    const bool enhanced = metafile.GetKind() == TMetafile::Kind::Enhanced;
    const std::vector<std::uint8_t> block = enhanced ? metafile.EnhMetafileBlock() : metafile.MetafilePictBlock();
    if (block.empty() || !clipboard.SetBytes(enhanced ? CF_ENHMETAFILE : CF_METAFILEPICT, block))
        return false;
    const std::vector<std::uint8_t> palette = enhanced ? EnhMetafilePalette(block) : std::vector<std::uint8_t>{};
    return palette.empty() || clipboard.SetBytes(CF_PALETTE, palette);
}

bool TClipObj::RenderFormat(cliplink::TClipboard& clipboard, UINT format) {
    SetTraceLocation("TClipObj.RenderFormat");
    LoadFirst();
    bool found = false;
    if (Formats) {
        for (const auto& d : *Formats) {
            // Matched as announced: registered formats under this run's numbers, graphics as they go out.
            if (OutgoingFormat(clipboard.Desktop().Clipboard(), *d) != format)
                continue;
            CopyOne(clipboard, *d);
            found = true;
        }
    }
    SetTraceLocation("TClipObj.Copy-EXIT");
    return found;
}

} // namespace bx::clipstore
