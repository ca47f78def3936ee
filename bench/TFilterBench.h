#pragma once

#include "TFigureTable.h"

#include <vector>

namespace bx::bench {

class TWorkload;

// Filter-as-you-type over the workload's first collection shown in the clip list: for needles of 1, 3
// and 8 characters, the time from the keystroke (the filter's new text) to the rows of the titles and
// texts in memory (what the first screen shows; the window draws them next), and to every row, with the
// hits of the texts kept only in data files that the filter's helper thread adds; and the last keystroke of
// the 8-character needle typed letter by letter.
class TFilterBench {
public:
    static std::vector<TFigureTable::Figure> Measure(const TWorkload& workload, int runs);
};

} // namespace bx::bench
