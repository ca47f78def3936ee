#include "TClipPaste.h"

#include "EInvalidGraphic.h"
#include "GlobalMemory.h"
#include "IClipProfile.h"
#include "IClock.h"
#include "LittleEndian.h"
#include "LogHook.h"
#include "TBitmap.h"
#include "TClipContext.h"
#include "TClipData.h"
#include "TClipView5.h"
#include "TClipboard.h"
#include "TGlobalBlocks.h"
#include "TMetafile.h"
#include "TUtf8.h"

#include <charconv>
#include <memory>
#include <string_view>
#include <system_error>
#include <utility>

namespace bx::clipstore {

using namespace platform;

namespace {

using platform::LeU32;

// The line break of text the program makes up itself.
constexpr const char* LineBreak = "\n";

UINT ParseFormatNum(const std::string& text) {
    unsigned long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end == text.data())
        return 0;
    return static_cast<UINT>(value & 0xFFFF);
}

} // namespace

std::vector<std::string> TClipPaste::DropFilePaths(std::span<const std::uint8_t> block) {
    // DROPFILES: uint32 offset of the list, POINT (2 x int32), BOOL fNC, BOOL fWide; then the paths,
    // each zero-terminated, the list ended by an empty one.
    constexpr std::size_t HeaderSize = 20;
    std::vector<std::string> paths;
    if (block.size() < HeaderSize)
        return paths;
    const std::size_t offset = LeU32(block, 0);
    const bool wide = LeU32(block, 16) != 0;
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

int TClipPaste::Paste(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, cliplink::IClipProfile& profile,
                      const TClipObj::ForcedFormats* forced) {
    SetTraceLocation("TClipObj.Paste");
    LogMsg(LogDetail, ">PASTE", "");
    const UINT urlFormat = clip_.context_->UrlFormat != 0
                               ? clip_.context_->UrlFormat
                               : clipboard.Desktop().Clipboard().RegisterClipboardFormat("UniformResourceLocator");
    // A desktop whose failed reads stay failed gets one attempt: pausing to ask again would only hold
    // the program up.
    const int formatAttempts = clipboard.Desktop().Clipboard().FailedReadsAreFinal() ? 1 : 6;
    Offered offered;
    if (Open(view, clipboard.Desktop().Clock())) {
        clip_.Online = true;
        if (!clip_.Formats)
            clip_.Formats = TClipObj::FormatList{};
        try {
            ReadOffered(view, clipboard, profile, forced, urlFormat, formatAttempts, offered);
        } catch (...) {
            view.Close();
            throw;
        }
        view.Close();
    }

    int result = offered.Good >= 1 ? offered.Good : offered.Last;
    if (offered.FileList && !offered.Text) {
        AddTextFromFileList();
        ++result;
    }
    if (offered.Address && !offered.Text && AddTextFromAddress(urlFormat))
        ++result;

    LogMsg(LogDetail, "<PASTE", "GoodPastes: " + std::to_string(offered.Good));
    return result;
}

bool TClipPaste::Open(cliplink::TClipView5& view, IClock& clock) {
    constexpr int OpenAttempts = 11;
    bool open = false;
    for (int attempt = 1; attempt <= OpenAttempts && !open; ++attempt) {
        open = view.Open();
        if (!open) {
            LogMsg(LogErrors, "PASTE", "Could not open clipboard]: " + view.Creator + " ErrMsg: " + view.ErrMsg());
            clock.Sleep(static_cast<UINT>(100 * attempt));
        }
    }
    return open;
}

void TClipPaste::ReadOffered(cliplink::TClipView5& view, cliplink::TClipboard& clipboard,
                             cliplink::IClipProfile& profile, const TClipObj::ForcedFormats* forced, UINT urlFormat,
                             int formatAttempts, Offered& offered) {
    IClock& clock = clipboard.Desktop().Clock();
    const std::vector<std::string> nums = view.FormatNums();
    const std::vector<std::string> names = view.FormatNames();
    for (std::size_t i = 0; i < nums.size(); ++i) {
        const UINT n = ParseFormatNum(nums[i]);
        const std::string name = i < names.size() ? names[i] : std::string();
        if (n == CF_TEXT)
            offered.Text = true;
        bool take = false;
        if (forced != nullptr)
            for (const auto& [forcedName, flag] : *forced)
                if (forcedName == name)
                    take = flag;
        if (!take && !profile.IsCoffee(clip_.Creator, name))
            continue;
        bool obtained = false;
        for (int attempt = 1; attempt <= formatAttempts && !obtained; ++attempt) {
            const int r = PasteOne(view, clipboard, n);
            if (r >= 1) {
                clip_.SetIcon(n);
                ++offered.Good;
                offered.Last = 0;
                obtained = true;
            } else {
                offered.Last = r;
                view.Close();
                clock.Sleep(100);
                if (!view.Open())
                    LogMsg(LogErrors, "PASTE",
                           "Could not re-open clipboard " + clip_.Creator + " Format:" + std::to_string(n));
            }
        }
        if (!obtained)
            LogMsg(LogErrors, "PASTE", "Could not obtain data: " + clip_.Creator + " Format:" + std::to_string(n));
        if (n == CF_HDROP)
            offered.FileList = true;
        if (n == urlFormat)
            offered.Address = true;
    }
}

void TClipPaste::AddTextFromFileList() {
    LogMsg(LogDetail, "PASTE", "Manufacturing TEXT from HDROP");
    std::string text;
    const HGLOBAL h = clip_.GetHandle(CF_HDROP);
    const std::size_t size = GlobalSize(h);
    if (size > 0) {
        const std::uint8_t* bytes = GlobalLock(h);
        if (bytes != nullptr)
            for (const std::string& path : DropFilePaths(std::span(bytes, size)))
                text += path + LineBreak;
        GlobalUnlock(h);
    }
    clip_.PutText(text, 9999);
    clip_.SetIcon(CF_TEXT);
}

bool TClipPaste::AddTextFromAddress(UINT urlFormat) {
    // The address is read from the clip's own copy directly: a lookup by type bits would report it
    // absent whenever the clip also holds HTML, whose bit lies outside the mask of other formats.
    const HGLOBAL h = clip_.GetHandle(urlFormat);
    if (GlobalSize(h) == 0)
        return false;
    LogMsg(LogDetail, "PASTE", "Manufacturing TEXT from URL");
    const std::string address = TUtf8::CutChars(TGlobalBlocks::TextOfHandle(h), 1024);
    clip_.PutText(address + LineBreak, 9999);
    clip_.SetIcon(CF_TEXT);
    return true;
}

int TClipPaste::PasteOne(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, UINT format) {
    SetTraceLocation("TClipObj.PasteOne");
    LogMsg(LogDetail, ">PasteOne", std::to_string(format));
    int result = 0;
    int errors = 0;
    if (!clip_.Formats)
        clip_.Formats = TClipObj::FormatList{};
    const auto nullData = [&] {
        ++errors;
        LogMsg(LogErrors, "PASTEONE",
               "NULL returned from getclipboarddata.  Creator: " + clip_.Creator +
                   ", Format:" + std::to_string(format) + ", Err:0");
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
                clip_.Formats->push_back(std::move(d));
                result = 1;
            } else {
                ++errors;
                LogMsg(LogErrors, "PASTEONE",
                       std::string(format == CF_BITMAP ? "Bad Bitmap" : "Bad Metafile") + " Encountered from " +
                           clip_.Creator + " SerialNum:" + std::to_string(clip_.SerialNbr));
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
                clip_.Formats->push_back(std::move(d));
                clip_.context_->NoteFormatName(format, name);
                result = 1;
            }
        }
    }
    LogMsg(LogDetail, "<PasteOne", std::to_string(result >= 1 ? result : -errors));
    return result >= 1 ? result : -errors;
}

} // namespace bx::clipstore
