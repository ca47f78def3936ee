// The workload of the move crash test: three collections whose clips carry their own identity in their
// text (so that a clip can be checked byte for byte wherever a move took it), every third one long
// enough for a data file. The child program moves clips or a collection; the test kills it and checks
// that every clip is there exactly once.
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
#include <map>
#include <memory>
#include <string>

namespace bx::clipstore::movecrash {

inline constexpr int Collections = 3;
inline constexpr int ClipsPerCollection = 300;
inline constexpr int TotalClips = Collections * ClipsPerCollection;

inline std::string CollName(int c) {
    return "M" + std::to_string(c);
}

inline std::string ClipText(int id) {
    std::string text = "id " + std::to_string(id) + ":";
    const std::size_t length = id % 3 == 0 ? 6000 + static_cast<std::size_t>(id % 700) : 30 + id % 90;
    std::uint32_t x = static_cast<std::uint32_t>(id) * 2654435761u;
    while (text.size() < length) {
        x = x * 1103515245u + 12345u;
        text.push_back(static_cast<char>('a' + (x >> 16) % 26));
    }
    return text;
}

// The id a clip's text names; -1 when it names none.
inline int IdOf(const std::string& text) {
    if (text.rfind("id ", 0) != 0)
        return -1;
    return std::atoi(text.c_str() + 3);
}

inline void SetUpSources(TDataSourceList& sources, const std::string& dir) {
    sources.Clear();
    sources.Add("My Clips", std::make_unique<TDataSource>(1, "My Clips", dir, false, true));
}

inline void AddClip(TClipColl& coll, int id) {
    auto clip = std::make_unique<TClipObj>(coll.Context(), coll.GetNextSerialNum(), "MOVETEST");
    clip->SortKey = coll.GetNextClipSortKey();
    clip->SetColl(&coll);
    const std::string text = ClipText(id);
    auto data = std::make_unique<TClipData>(TClipData::TypeBlock);
    data->Handle = platform::GlobalMemory::FromBytes(text.c_str(), text.size() + 1);
    data->DataSize = static_cast<std::int32_t>(text.size() + 1);
    data->FormatNum = platform::CF_TEXT;
    data->FormatName = "TEXT";
    clip->Formats->push_back(std::move(data));
    clip->Online = true;
    clip->SetIcon(platform::CF_TEXT);
    clip->SetTitle(text.substr(0, 12));
    // Distinct time stamps, as clips captured one after the other have.
    clip->TimeStamp = 40000.0 + id / 86400.0;
    TClipObj* raw = clip.get();
    coll.MyAddObject(raw->Title, std::move(clip));
}

inline TClipColl* Find(const TMasterList& master, const std::string& title) {
    for (std::size_t i = 0; i < master.Count(); ++i)
        if (master.Item(i)->Title == title)
            return master.Item(i);
    return nullptr;
}

// The text of every clip by its id, counting how often each id occurs; what is wrong in error.
inline std::map<int, int> CountClips(const TMasterList& master, std::string& error) {
    std::map<int, int> seen;
    for (std::size_t i = 0; i < master.Count(); ++i) {
        TClipColl* coll = master.Item(i);
        if (coll->CollType != TClipColl::NormalColl)
            continue;
        for (std::size_t c = 0; c < coll->Count(); ++c) {
            TClipObj* clip = coll->Clip(c);
            const std::size_t size = clip->Lock(platform::CF_TEXT);
            const auto* bytes = reinterpret_cast<const char*>(clip->LockedData);
            const std::string text = bytes != nullptr ? std::string(bytes, strnlen(bytes, size)) : std::string();
            clip->Unlock();
            clip->UnLoad();
            const int id = IdOf(text);
            if (id < 1 || text != ClipText(id))
                error += coll->Title + ": clip " + std::to_string(clip->SerialNbr) + " damaged; ";
            ++seen[id];
        }
    }
    return seen;
}

} // namespace bx::clipstore::movecrash
