// The workload of the crash test: a data source of a few collections whose clips' texts follow from
// the collection and the serial number, so that every clip can be checked byte for byte after a save
// was killed. Used by the child program that saves and by the test that kills it.
#pragma once

#include "GlobalMemory.h"
#include "TClipColl.h"
#include "TClipData.h"
#include "TClipObj.h"
#include "TDataSource.h"
#include "TDataSourceList.h"
#include "TMasterList.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace bx::clipstore::crashtest {

inline constexpr int Collections = 4;
inline constexpr int FirstRunClips = 1000;
inline constexpr int ClipsPerRun = 60;

inline std::string CollName(int c) {
    return "Coll" + std::to_string(c);
}

// Every seventh clip is long enough to live in a data file of its own.
inline std::string ClipText(const std::string& coll, std::int32_t serial) {
    std::string text = coll + " clip " + std::to_string(serial) + ":";
    const std::size_t length = serial % 7 == 0 ? 3000 + static_cast<std::size_t>(serial % 500) : 40 + serial % 200;
    std::uint32_t x = static_cast<std::uint32_t>(serial) * 2654435761u;
    while (text.size() < length) {
        x = x * 1103515245u + 12345u;
        text.push_back(static_cast<char>('a' + (x >> 16) % 26));
    }
    return text;
}

inline void SetUpSources(TDataSourceList& sources, const std::string& dir) {
    sources.Clear();
    sources.Add("My Clips", std::make_unique<TDataSource>(1, "My Clips", dir, false, true));
}

// Appends count clips to the collection, numbered on from its last serial number.
inline void AddClips(TClipColl& coll, int count) {
    for (int i = 0; i < count; ++i) {
        const std::int32_t serial = coll.GetNextSerialNum();
        auto clip = std::make_unique<TClipObj>(coll.Context(), serial, "CRASHTEST");
        clip->SortKey = coll.GetNextClipSortKey();
        clip->SetColl(&coll);
        const std::string text = ClipText(coll.Title, serial);
        auto data = std::make_unique<TClipData>(TClipData::TypeBlock);
        data->Handle = platform::GlobalMemory::FromBytes(text.c_str(), text.size() + 1);
        data->DataSize = static_cast<std::int32_t>(text.size() + 1);
        data->FormatNum = platform::CF_TEXT;
        data->FormatName = "TEXT";
        clip->Formats->push_back(std::move(data));
        clip->Online = true;
        clip->SetIcon(platform::CF_TEXT);
        clip->SetTitle(text.substr(0, 30));
        TClipObj* raw = clip.get();
        coll.MyAddObject(raw->Title, std::move(clip));
    }
}

// The collection's clips are exactly serials 1..Count with their texts; an empty string when so,
// else what is wrong.
inline std::string CheckColl(TClipColl& coll) {
    for (std::size_t i = 0; i < coll.Count(); ++i) {
        TClipObj* clip = coll.Clip(i);
        const std::string expected = ClipText(coll.Title, clip->SerialNbr);
        const std::size_t size = clip->Lock(platform::CF_TEXT);
        const bool same = size == expected.size() + 1 && clip->LockedData != nullptr &&
                          std::memcmp(clip->LockedData, expected.c_str(), size) == 0;
        clip->Unlock();
        if (!same)
            return coll.Title + ": clip " + std::to_string(clip->SerialNbr) + " differs";
        clip->UnLoad();
    }
    if (static_cast<std::int32_t>(coll.Count()) != coll.LastSerialNbr)
        return coll.Title + ": " + std::to_string(coll.Count()) + " clips, last serial " +
               std::to_string(coll.LastSerialNbr);
    return std::string();
}

} // namespace bx::clipstore::crashtest
