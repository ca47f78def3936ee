#include "TClipObj.h"

#include "DateTime.h"
#include "GlobalMemory.h"
#include "LogHook.h"
#include "TBitmap.h"
#include "TClipContext.h"
#include "TClipCopy.h"
#include "TClipFile.h"
#include "TClipName.h"
#include "TClipPaste.h"
#include "TDataFileSearch.h"
#include "TDirFiles.h"
#include "TGlobalBlocks.h"
#include "TMetafile.h"
#include "TTextSearch.h"
#include "TUtf8.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

namespace bx::clipstore {

using namespace platform;

namespace {

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

std::string TextFormatName() {
    return std::string(cliplink::TClipName::TableName(CF_TEXT));
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
    if (Coll != nullptr) {
        Coll->SetDirty(value);
        if (value)
            Coll->ClipChanged(*this);
    }
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
    return TTextSearch::HoldsUpperAscii(Title, TUtf8::UpperAscii(text));
}

bool TClipObj::HoldsUpperAscii(std::string_view text, std::string_view upperNeedle) {
    return TTextSearch::HoldsUpperAscii(text, upperNeedle);
}

std::optional<TClipObj::DataFileText> TClipObj::BodyInDataFile() const {
    if (!context_->MasterListExists || !DataInFile || Online || Coll == nullptr || LockedFormat != 0)
        return std::nullopt;
    // As HasFormat: type bits that leave the text out settle it without the file.
    if (!HasIcon(CF_TEXT) && IconBits > 0)
        return std::nullopt;
    return DataFileText{Coll->GetPath(), SerialNbr, StoredFormatCount};
}

bool TClipObj::FindInbody(const std::string& text) {
    if (text.empty())
        return false;
    // Looking for the format loads the clip: one without text (or whose damaged data file held none that
    // reads) is let go again, as after a search of its text.
    if (!HasFormat(CF_TEXT)) {
        UnLoad();
        return false;
    }
    bool found = false;
    try {
        const std::size_t size = Lock(CF_TEXT);
        if (size > 0 && LockedData != nullptr) {
            // The text up to its zero byte, searched in place.
            const auto* start = reinterpret_cast<const char*>(LockedData);
            found =
                TTextSearch::HoldsUpperAscii(std::string_view(start, strnlen(start, size)), TUtf8::UpperAscii(text));
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

void TClipObj::NukeNonText() {
    LogMsg(LogErrors, ">TClipObj.NukeNonText", "");
    int textIndex = -1;
    if (HasFormat(CF_TEXT, textIndex) && FormatCount() > 1 && Formats) {
        SetDirty(true);
        const bool bitmap = HasFormat(CF_BITMAP);
        const bool metafile = HasFormat(CF_METAFILEPICT);
        if (const std::string dir = CollPath(); !dir.empty()) {
            // A file that cannot be removed is left behind: the clip no longer refers to it.
            try {
                if (bitmap)
                    TDirFiles::Remove(dir, TClipData::PictureName(SerialNbr, ".bmp"));
                if (metafile) {
                    TDirFiles::Remove(dir, TClipData::PictureName(SerialNbr, ".wmf"));
                    TDirFiles::Remove(dir, TClipData::PictureName(SerialNbr, ".emf"));
                }
            } catch (const std::exception& e) {
                LogMsg(LogErrors, "TClipObj.NukeNonText", e.what());
            }
        }
        if (LockedFormat != 0 && LockedFormat != CF_TEXT)
            Unlock();
        FormatList::Item text = std::move((*Formats)[static_cast<std::size_t>(textIndex)]);
        Formats->clear();
        Formats->push_back(std::move(text));
        StoredFormatCount = 1;
        ThumbNail = nullptr;
        IconBits = 0;
        SetIcon(CF_TEXT);
    }
    LogMsg(LogErrors, "<TClipObj.NukeNonText", "");
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

// ---------------------------------------------------------------------------------------------------------------
// Clip files (TClipFile)

bool TClipObj::NeedsDataFile() const {
    return TClipFile::NeedsDataFile(*this);
}

void TClipObj::SaveToStream(TByteWriter& stream) {
    TClipFile(*this).Save(stream);
}

bool TClipObj::LoadFromStream(TByteReader& stream) {
    return TClipFile(*this).Load(stream);
}

bool TClipObj::ReadClipData(TByteReader* stream) {
    return TClipFile(*this).ReadData(stream);
}

bool TClipObj::RelocateFiles(const IClipCollection& from, const IClipCollection& to, std::int32_t oldSerial,
                             std::int32_t newSerial, bool copy) {
    return TClipFile::Relocate(from, to, oldSerial, newSerial, copy);
}

std::string TClipObj::DataFileName(std::int32_t serialNbr) {
    return TClipFile::DataFileName(serialNbr);
}

int TClipObj::HeaderVersion(const std::string& header) {
    return TClipFile::HeaderVersion(header);
}

TClipObj::FileSearch TClipObj::FindInDataFile(const DataFileText& file, std::string_view upperNeedle) {
    return TDataFileSearch::Find(file, upperNeedle);
}

// ---------------------------------------------------------------------------------------------------------------
// The clipboard (TClipPaste, TClipCopy)

int TClipObj::Paste(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, cliplink::IClipProfile& profile,
                    const ForcedFormats* forced) {
    return TClipPaste(*this).Paste(view, clipboard, profile, forced);
}

int TClipObj::PasteOne(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, UINT format) {
    return TClipPaste(*this).PasteOne(view, clipboard, format);
}

std::vector<std::string> TClipObj::DropFilePaths(std::span<const std::uint8_t> block) {
    return TClipPaste::DropFilePaths(block);
}

bool TClipObj::Copy(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, CopyMode mode) {
    return TClipCopy(*this).Copy(view, clipboard, mode);
}

void TClipObj::CopyOne(cliplink::TClipboard& clipboard, TClipData& data) {
    TClipCopy(*this).CopyOne(clipboard, data);
}

bool TClipObj::RenderFormat(cliplink::TClipboard& clipboard, UINT format) {
    return TClipCopy(*this).RenderFormat(clipboard, format);
}

bool TClipObj::CopyMetafileToClipboard(cliplink::TClipboard& clipboard, const TMetafile& metafile) {
    return TClipCopy::CopyMetafileToClipboard(clipboard, metafile);
}

} // namespace bx::clipstore
