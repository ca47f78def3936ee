// The workload of the capture crash test: clips captured one after another into one collection, each
// written to the capture journal before it is reported; the report is a side file of serial numbers,
// flushed before the next capture. A clip's bytes follow from its serial number, so every reported clip
// can be checked byte for byte after a kill.
#pragma once

#include "GlobalMemory.h"
#include "TBitmap.h"
#include "TClipColl.h"
#include "TClipData.h"
#include "TClipObj.h"
#include "TDataSource.h"
#include "TDataSourceList.h"
#include "TMasterList.h"
#include "TestDib.h"

#include <cstdint>
#include <memory>
#include <string>

namespace bx::clipstore::capturecrash {

inline constexpr const char* CollName = "Captured";
inline constexpr const char* ReportFile = "reported.bin";

inline bool IsPicture(std::int32_t serial) {
    return serial % 10 == 3;
}

// Short texts inline, every seventh long enough for a data file of its own.
inline std::string ClipText(std::int32_t serial) {
    std::string text = "captured clip " + std::to_string(serial) + ":";
    const std::size_t length = serial % 7 == 0 ? 2000 + static_cast<std::size_t>(serial % 900) : 30 + serial % 150;
    std::uint32_t x = static_cast<std::uint32_t>(serial) * 2246822519u;
    while (text.size() < length) {
        x = x * 1664525u + 1013904223u;
        text.push_back(static_cast<char>('a' + (x >> 20) % 26));
    }
    return text;
}

inline void SetUpSources(TDataSourceList& sources, const std::string& dir) {
    sources.Clear();
    sources.Add("My Clips", std::make_unique<TDataSource>(1, "My Clips", dir, false, true));
}

// Stores a clip as the capture does: numbered by the collection, then added to it.
inline TClipObj* Capture(TClipColl& coll) {
    const std::int32_t serial = coll.GetNextSerialNum();
    auto clip = std::make_unique<TClipObj>(coll.Context(), serial, "CAPTURE");
    clip->SortKey = coll.GetNextClipSortKey();
    clip->SetColl(&coll);
    if (IsPicture(serial)) {
        auto d = std::make_unique<TClipData>(TClipData::TypeBitmap);
        d->Bitmap = std::make_unique<TBitmap>();
        const auto dib = testsupport::SeededDib(static_cast<std::uint8_t>(serial));
        d->Bitmap->LoadFromDib(std::span<const std::uint8_t>(dib));
        d->DataSize = static_cast<std::int32_t>(dib.size());
        d->FormatNum = platform::CF_BITMAP;
        d->FormatName = "CF_BITMAP";
        clip->Formats->push_back(std::move(d));
        clip->SetIcon(platform::CF_BITMAP);
    } else {
        const std::string text = ClipText(serial);
        auto d = std::make_unique<TClipData>(TClipData::TypeBlock);
        d->Handle = platform::GlobalMemory::FromBytes(text.c_str(), text.size() + 1);
        d->DataSize = static_cast<std::int32_t>(text.size() + 1);
        d->FormatNum = platform::CF_TEXT;
        d->FormatName = "TEXT";
        clip->Formats->push_back(std::move(d));
        clip->SetIcon(platform::CF_TEXT);
    }
    clip->Online = true;
    clip->SetTitle("clip " + std::to_string(serial));
    TClipObj* raw = clip.get();
    coll.MyAddObject(raw->Title, std::move(clip));
    return raw;
}

// Whether the clip holds exactly what its serial number says.
inline bool Intact(TClipObj& clip) {
    const std::int32_t serial = clip.SerialNbr;
    if (IsPicture(serial)) {
        if (!clip.HasFormat(platform::CF_BITMAP))
            return false;
        const TBitmap* bitmap = clip.GetObj(platform::CF_BITMAP).Bitmap;
        return bitmap != nullptr && bitmap->Dib() == testsupport::SeededDib(static_cast<std::uint8_t>(serial));
    }
    const std::string expected = ClipText(serial);
    const std::size_t size = clip.Lock(platform::CF_TEXT);
    const bool same = size == expected.size() + 1 && clip.LockedData != nullptr &&
                      std::string(reinterpret_cast<const char*>(clip.LockedData), size - 1) == expected;
    clip.Unlock();
    return same;
}

} // namespace bx::clipstore::capturecrash
