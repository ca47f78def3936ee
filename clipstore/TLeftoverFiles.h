#pragma once

#include <string>
#include <string_view>

namespace bx::clipstore {

// The temporary files a save leaves in a collection directory when it is killed part-way: a file is
// written as its name plus "." and six letters or digits before it is renamed into place. Only names
// of the program's own files qualify ("_COLL.tmp", "_COLL.bak", "D" n ".DAT", "I" n ".bmp", ".wmf",
// ".emf", in any case), and "_COLL.bak.new", the backup's second name in the making.
class TLeftoverFiles {
public:
    static bool IsLeftover(std::string_view name);
    // Removes the leftovers of a directory (regular files only); the number removed.
    static int Remove(const std::string& directory);
};

} // namespace bx::clipstore
