#include "TClipCopy.h"

#include "EBadCopy.h"
#include "GlobalMemory.h"
#include "IClipboard.h"
#include "LittleEndian.h"
#include "LogHook.h"
#include "TBitmap.h"
#include "TClipData.h"
#include "TClipView5.h"
#include "TClipboard.h"
#include "TGlobalBlocks.h"
#include "TMetafile.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace bx::clipstore {

using namespace platform;

namespace {

using platform::LeU16;
using platform::LeU32;
using platform::PutLe16;

constexpr int CopyOpenAttempts = 10;
// Registered formats are numbered from here on, differently in every run.
constexpr UINT FirstRegisteredFormat = 0xC000;
constexpr std::uint16_t LogicalPaletteVersion = 0x300;
constexpr std::size_t MaxPaletteEntries = 0xFFFF;
constexpr std::uint32_t EmrEof = 14;
// The header field of an enhanced metafile that counts the palette entries of its end record.
constexpr std::size_t EmfPaletteCountField = 68;

// A logical palette (version, count, then red, green, blue and flags per entry) from count colour
// entries of entrySize bytes: a DIB's colour table (blue, green, red[, reserved]) or a metafile's
// palette entries (red, green, blue, flags).
std::vector<std::uint8_t> LogicalPalette(std::span<const std::uint8_t> entries, std::size_t count,
                                         std::size_t entrySize, bool blueFirst) {
    std::vector<std::uint8_t> palette;
    palette.reserve(4 + 4 * count);
    PutLe16(palette, LogicalPaletteVersion);
    PutLe16(palette, static_cast<std::uint16_t>(count));
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
    const std::uint32_t headerSize = LeU32(dib, 0);
    if (headerSize < CoreHeaderSize || headerSize > dib.size())
        return {};
    std::size_t offset = headerSize;
    std::size_t colors = 0;
    std::size_t entrySize = 4;
    if (headerSize == CoreHeaderSize) {
        const unsigned bits = LeU16(dib, 10);
        colors = bits >= 1 && bits <= 8 ? std::size_t{1} << bits : 0;
        entrySize = 3;
    } else {
        if (headerSize < InfoHeaderSize)
            return {};
        const unsigned bits = LeU16(dib, 14);
        const std::uint32_t compression = LeU32(dib, 16);
        const std::uint32_t used = LeU32(dib, 32);
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
    if (emf.size() < EmfPaletteCountField + 4 || LeU32(emf, EmfPaletteCountField) == 0)
        return {};
    std::size_t at = 0;
    while (emf.size() - at >= 8) {
        const std::uint32_t type = LeU32(emf, at);
        const std::uint32_t size = LeU32(emf, at + 4);
        if (size < 8 || size % 4 != 0 || size > emf.size() - at)
            return {};
        if (type == EmrEof) {
            // nPalEntries, offPalEntries (from the start of the record), the entries, nSizeLast.
            if (size < 16)
                return {};
            const std::uint32_t count = LeU32(emf, at + 8);
            const std::uint32_t offset = LeU32(emf, at + 12);
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

UINT TClipCopy::OutgoingFormat(IClipboard& clipboard, TClipData& data) {
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

bool TClipCopy::Copy(cliplink::TClipView5& view, cliplink::TClipboard& clipboard, TClipObj::CopyMode mode) {
    SetTraceLocation("TClipObj.Copy");
    SetTraceStage(0);
    LogMsg(LogDetail, ">COPY", std::to_string(clip_.SerialNbr));
    clip_.LoadFirst();
    SetTraceStage(1);

    // Inside a render request the requesting program holds the clipboard open.
    const bool ownOpening = mode != TClipObj::CopyMode::Rendering;
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
                   "BAD Copy (CF_CLIPBOARD_VIEWER_IGNORE) " + clip_.Creator +
                       " SerialNum:" + std::to_string(clip_.SerialNbr));
            throw EBadCopy("Copy Failed - Type: CF_CLIPBOARD_VIEWER_IGNORE");
        }
        if (clip_.Formats) {
            for (const auto& d : *clip_.Formats) {
                if (mode == TClipObj::CopyMode::Announce)
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
    LogMsg(LogDetail, "<COPY", std::to_string(clip_.SerialNbr));
    return true;
}

void TClipCopy::CopyOne(cliplink::TClipboard& clipboard, TClipData& data) {
    SetTraceLocation("TClipObj.CopyOne");
    const auto fail = [&](const std::string& kind, const std::string& message) {
        LogMsg(LogErrors, "CopyOne",
               "BAD Copy (" + kind + ") " + clip_.Creator + " SerialNum:" + std::to_string(clip_.SerialNbr));
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

bool TClipCopy::CopyMetafileToClipboard(cliplink::TClipboard& clipboard, const TMetafile& metafile) {
    SetTraceLocation("TClipObj.CopyMetafileToClipboard");
    const bool enhanced = metafile.GetKind() == TMetafile::Kind::Enhanced;
    const std::vector<std::uint8_t> block = enhanced ? metafile.EnhMetafileBlock() : metafile.MetafilePictBlock();
    if (block.empty() || !clipboard.SetBytes(enhanced ? CF_ENHMETAFILE : CF_METAFILEPICT, block))
        return false;
    const std::vector<std::uint8_t> palette = enhanced ? EnhMetafilePalette(block) : std::vector<std::uint8_t>{};
    return palette.empty() || clipboard.SetBytes(CF_PALETTE, palette);
}

bool TClipCopy::RenderFormat(cliplink::TClipboard& clipboard, UINT format) {
    SetTraceLocation("TClipObj.RenderFormat");
    clip_.LoadFirst();
    bool found = false;
    if (clip_.Formats) {
        for (const auto& d : *clip_.Formats) {
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
