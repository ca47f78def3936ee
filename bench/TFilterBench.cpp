#include "TFilterBench.h"

#include "TBenchCore.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipFilter.h"
#include "TClipListModel.h"
#include "TCollectionTree.h"
#include "TMasterList.h"
#include "TWorkload.h"

#include <chrono>
#include <stdexcept>
#include <string>

namespace bx::bench {

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

std::vector<TFigureTable::Figure> TFilterBench::Measure(const TWorkload& workload, int runs) {
    TBenchCore bench(workload.Root());
    bench.Load();
    shell::TBrindlexCore& core = bench.Core();
    shell::TCollectionTree& tree = core.Tree();
    for (std::size_t i = 0; i < tree.Count(); ++i)
        if (tree.At(i).Coll != nullptr && tree.At(i).Coll->Title == TWorkload::CollectionName(0))
            tree.Select(static_cast<int>(i));
    shell::TClipListModel& list = core.ClipList();
    if (list.Coll() == nullptr || list.Coll()->Title != TWorkload::CollectionName(0))
        throw std::runtime_error("filter: the workload's collection is not shown");
    shell::TClipFilter filter(list);

    // A letter of most words, a part of the marker words, a marker word without its last letter.
    const std::string marker = TWorkload::MarkerWord(TWorkload::SearchMarker);
    const std::string needles[] = {"e", "ark", marker.substr(0, 8)};
    std::vector<TFigureTable::Figure> figures;
    const std::string rows = std::to_string(list.Count());
    for (const std::string& needle : needles) {
        const std::string size = std::to_string(needle.size());
        TFigureTable::Figure first{"filter.first." + size + "ch",
                                   "ms",
                                   {},
                                   {},
                                   "keystroke to the rows of titles and texts in memory, \"" + needle + "\" over " +
                                       rows + " rows"};
        TFigureTable::Figure all{"filter.all." + size + "ch",
                                 "ms",
                                 {},
                                 {},
                                 "keystroke to every row, data files searched by the helper thread"};
        std::size_t shownFirst = 0;
        std::size_t shownAll = 0;
        for (int run = 0; run <= runs; ++run) {
            filter.SetText(std::string());
            const auto start = Clock::now();
            filter.SetText(needle);
            const double firstMs = MsSince(start);
            shownFirst = filter.Count();
            filter.WaitForHelper();
            filter.Poll();
            const double allMs = MsSince(start);
            shownAll = filter.Count();
            if (run > 0) { // the first run warms the page cache
                first.Runs.push_back(firstMs);
                all.Runs.push_back(allMs);
            }
        }
        first.Note += ": " + std::to_string(shownFirst) + " rows";
        all.Note += ": " + std::to_string(shownAll) + " rows";
        figures.push_back(first);
        figures.push_back(all);
    }

    // Typed letter by letter (the helper's hits taken in between): the last keystroke only looks at the
    // rows the text before it left.
    const std::string typed = needles[2];
    TFigureTable::Figure last{"filter.typed." + std::to_string(typed.size()) + "ch",
                              "ms",
                              {},
                              {},
                              "the last keystroke of \"" + typed + "\" typed letter by letter, to its first rows"};
    for (int run = 0; run <= runs; ++run) {
        filter.SetText(std::string());
        for (std::size_t n = 1; n < typed.size(); ++n) {
            filter.SetText(typed.substr(0, n));
            filter.WaitForHelper();
            filter.Poll();
        }
        const auto start = Clock::now();
        filter.SetText(typed);
        const double ms = MsSince(start);
        if (run > 0)
            last.Runs.push_back(ms);
    }
    last.Note += ": " + std::to_string(filter.Count()) + " rows";
    figures.push_back(last);
    filter.SetText(std::string());
    return figures;
}

} // namespace bx::bench
