#pragma once

#include "TFigureTable.h"

#include <string>
#include <vector>

namespace bx::bench {

// The capture journal's own costs, on a data source of its own under dir: loading 1,000 clips of 1 KB
// from the collection file, and the same clips replayed from a journal left by a crash; a burst of 30
// captured texts appended with a flush to the disk after each, and with one flush for all (the group
// commit).
class TJournalBench {
public:
    static std::vector<TFigureTable::Figure> Measure(const std::string& dir, int runs);
};

} // namespace bx::bench
