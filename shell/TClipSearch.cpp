#include "TClipSearch.h"

#include "LogHook.h"
#include "TClipColl.h"
#include "TClipObj.h"
#include "TCollectionTree.h"
#include "TUtf8.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace bx::shell {

using clipstore::TClipColl;
using clipstore::TClipObj;

void TClipSearch::ClearResults(TClipColl& results) {
    // From the end: each removal then moves nothing.
    for (std::size_t i = results.Count(); i > 0; --i)
        results.RemoveItem(static_cast<int>(i - 1), true);
}

namespace {

// The bodies of clips that are not loaded are read straight from their data files, on this thread
// and on helpers, into one verdict per clip; clips and collections are touched only by the caller.
std::vector<TClipObj::FileSearch> SearchDataFiles(const std::vector<std::optional<TClipObj::DataFileText>>& files,
                                                  const std::string& upperText) {
    std::vector<TClipObj::FileSearch> verdicts(files.size(), TClipObj::FileSearch::Unknown);
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++)
            if (files[i])
                verdicts[i] = TClipObj::FindInDataFile(*files[i], upperText);
    };
    const std::size_t count = static_cast<std::size_t>(
        std::count_if(files.begin(), files.end(), [](const auto& f) { return f.has_value(); }));
    // A handful of files is not worth a thread.
    constexpr std::size_t FilesPerHelper = 16;
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t helpers = std::min({cores - 1, count / FilesPerHelper, std::size_t{3}});
    std::vector<std::jthread> threads;
    threads.reserve(helpers);
    try {
        for (std::size_t t = 0; t < helpers; ++t)
            threads.emplace_back(work);
    } catch (const std::system_error&) {
        // Without helpers this thread does it all.
    }
    work();
    // Every helper is done with the verdicts before they are handed out.
    threads.clear();
    return verdicts;
}

} // namespace

std::size_t TClipSearch::SearchCollection(TClipColl& coll, const std::string& text, TClipColl& results) {
    if (text.empty() || &coll == &results)
        return 0;
    const std::size_t n = coll.Count();
    std::vector<bool> inTitle(n);
    std::vector<std::optional<TClipObj::DataFileText>> files(n);
    for (std::size_t i = 0; i < n; ++i) {
        const TClipObj* clip = coll.Clip(i);
        inTitle[i] = clip->FindInTitle(text);
        if (!inTitle[i])
            files[i] = clip->BodyInDataFile();
    }
    const std::vector<TClipObj::FileSearch> verdicts = SearchDataFiles(files, clipstore::TUtf8::UpperAscii(text));

    // In clip order, so that the results are those of searching one clip after another; a clip
    // whose file left the answer open is loaded and searched as usual.
    std::size_t found = 0;
    for (std::size_t i = 0; i < n; ++i) {
        TClipObj* clip = coll.Clip(i);
        bool match = inTitle[i] || verdicts[i] == TClipObj::FileSearch::Match;
        if (!match && verdicts[i] == TClipObj::FileSearch::Unknown) {
            try {
                match = clip->FindInbody(text);
            } catch (const std::exception& e) {
                platform::LogMsg(platform::LogErrors, "TClipSearch.SearchCollection",
                                 "Clip " + std::to_string(clip->SerialNbr) + " of " + coll.Title +
                                     " cannot be searched: " + e.what());
            }
        }
        if (match) {
            results.AddReference(clip->Title, clip);
            ++found;
        }
    }
    return found;
}

std::size_t TClipSearch::SearchAll(const std::vector<TClipColl*>& order, const std::string& text, TClipColl& results,
                                   const Progress& progress) {
    platform::SetTraceLocation("TClipSearch.SearchAll");
    ClearResults(results);
    std::size_t found = 0;
    for (TClipColl* coll : order) {
        if (coll == nullptr || coll == &results)
            continue;
        if (progress)
            progress(*coll);
        found += SearchCollection(*coll, text, results);
    }
    return found;
}

std::vector<TClipColl*> TClipSearch::TreeOrder(const TCollectionTree& tree) {
    std::vector<TClipColl*> order;
    order.reserve(tree.Count());
    for (std::size_t i = 0; i < tree.Count(); ++i)
        if (tree.At(i).Coll != nullptr)
            order.push_back(tree.At(i).Coll);
    return order;
}

} // namespace bx::shell
