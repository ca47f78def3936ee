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
#include <string>
#include <system_error>
#include <thread>
#include <utility>
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

// The bodies of clips that are not loaded are read straight from their data files into one verdict
// per clip, by helper threads started at once and by the caller when it calls Finish; clips and
// collections are touched by the caller only.
class TFileSearch {
public:
    TFileSearch(const std::vector<std::optional<TClipObj::DataFileText>>& files, std::string upperText)
        : files_(files), upperText_(std::move(upperText)), verdicts_(files.size(), TClipObj::FileSearch::Unknown) {
        const auto count = static_cast<std::size_t>(
            std::count_if(files.begin(), files.end(), [](const auto& f) { return f.has_value(); }));
        // A handful of files is not worth a thread.
        constexpr std::size_t FilesPerHelper = 16;
        const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
        const std::size_t helpers = std::min({cores - 1, count / FilesPerHelper, std::size_t{3}});
        try {
            for (std::size_t t = 0; t < helpers; ++t)
                threads_.emplace_back([this] { Work(); });
        } catch (const std::system_error&) {
            // Without helpers Finish does it all.
        }
    }
    ~TFileSearch() { threads_.clear(); }
    TFileSearch(const TFileSearch&) = delete;
    TFileSearch& operator=(const TFileSearch&) = delete;

    // Searches the files left and waits for the helpers; the verdicts are final then.
    const std::vector<TClipObj::FileSearch>& Finish() {
        Work();
        threads_.clear(); // joins
        return verdicts_;
    }

private:
    void Work() {
        for (std::size_t i = next_++; i < files_.size(); i = next_++)
            if (files_[i])
                verdicts_[i] = TClipObj::FindInDataFile(*files_[i], upperText_);
    }

    const std::vector<std::optional<TClipObj::DataFileText>>& files_;
    const std::string upperText_;
    std::vector<TClipObj::FileSearch> verdicts_;
    std::atomic<std::size_t> next_{0};
    std::vector<std::jthread> threads_;
};

} // namespace

std::size_t TClipSearch::SearchCollection(TClipColl& coll, const std::string& text, TClipColl& results) {
    if (text.empty() || &coll == &results)
        return 0;
    const std::size_t n = coll.Count();
    std::vector<std::optional<TClipObj::DataFileText>> files(n);
    for (std::size_t i = 0; i < n; ++i)
        files[i] = coll.Clip(i)->BodyInDataFile();
    TFileSearch fileSearch(files, clipstore::TUtf8::UpperAscii(text));

    // Meanwhile the titles, and the texts that are not read from files.
    const auto searchBody = [&](TClipObj* clip) {
        try {
            return clip->FindInbody(text);
        } catch (const std::exception& e) {
            platform::LogMsg(platform::LogErrors, "TClipSearch.SearchCollection",
                             "Clip " + std::to_string(clip->SerialNbr) + " of " + coll.Title +
                                 " cannot be searched: " + e.what());
            return false;
        }
    };
    std::vector<bool> matches(n);
    for (std::size_t i = 0; i < n; ++i) {
        TClipObj* clip = coll.Clip(i);
        matches[i] = clip->FindInTitle(text) || (!files[i] && searchBody(clip));
    }
    const std::vector<TClipObj::FileSearch>& verdicts = fileSearch.Finish();

    // In clip order, so that the results are those of searching one clip after another; a clip
    // whose file left the answer open is loaded and searched as usual.
    std::size_t found = 0;
    for (std::size_t i = 0; i < n; ++i) {
        TClipObj* clip = coll.Clip(i);
        bool match = matches[i];
        if (!match && files[i])
            match = verdicts[i] == TClipObj::FileSearch::Match ||
                    (verdicts[i] == TClipObj::FileSearch::Unknown && searchBody(clip));
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
