#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace bx::clipstore {
class TClipColl;
} // namespace bx::clipstore

namespace bx::shell {

class TCollectionTree;

// Searching collections for a text, as the Find command does: a clip matches when its title or its
// text holds the search text (the letters a-z compared without regard to case; an empty text never
// matches). Matching clips are gathered in the Search Results collection as references, under their
// titles, in the order searched. A clip's text is read only for its own test and dropped again, so a
// search over every collection holds no more than a few clips' data at a time: the texts of clips
// that are not loaded are read straight from their data files, on helper threads as well, without
// loading the clips; the clips themselves are touched on the calling thread only.
class TClipSearch {
public:
    // Called before each collection is searched (for a status line); may be empty.
    using Progress = std::function<void(const clipstore::TClipColl&)>;

    // Empties the results; the clips stay with the collections that own them.
    static void ClearResults(clipstore::TClipColl& results);
    // Adds the matching clips of coll to results; returns how many matched. A clip whose data cannot be
    // read is logged and does not match; the search goes on.
    static std::size_t SearchCollection(clipstore::TClipColl& coll, const std::string& text,
                                        clipstore::TClipColl& results);
    // Empties the results and searches each collection of order (nullptr and the results collection
    // itself are passed over); returns how many clips matched.
    static std::size_t SearchAll(const std::vector<clipstore::TClipColl*>& order, const std::string& text,
                                 clipstore::TClipColl& results, const Progress& progress = {});
    // The collections of the tree's nodes in tree order (nodes without a collection are left out).
    static std::vector<clipstore::TClipColl*> TreeOrder(const TCollectionTree& tree);
};

} // namespace bx::shell
