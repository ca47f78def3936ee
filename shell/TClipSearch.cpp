#include "TClipSearch.h"

#include "LogHook.h"
#include "TClipColl.h"
#include "TClipObj.h"
#include "TCollectionTree.h"

#include <exception>

namespace bx::shell {

using clipstore::TClipColl;
using clipstore::TClipObj;

void TClipSearch::ClearResults(TClipColl& results) {
    // From the end: each removal then moves nothing.
    for (std::size_t i = results.Count(); i > 0; --i)
        results.RemoveItem(static_cast<int>(i - 1), true);
}

std::size_t TClipSearch::SearchCollection(TClipColl& coll, const std::string& text, TClipColl& results) {
    if (text.empty() || &coll == &results)
        return 0;
    std::size_t found = 0;
    for (std::size_t i = 0; i < coll.Count(); ++i) {
        TClipObj* clip = coll.Clip(i);
        bool match = false;
        try {
            match = clip->FindInTitle(text) || clip->FindInbody(text);
        } catch (const std::exception& e) {
            platform::LogMsg(platform::LogErrors, "TClipSearch.SearchCollection",
                             "Clip " + std::to_string(clip->SerialNbr) + " of " + coll.Title +
                                 " cannot be searched: " + e.what());
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
