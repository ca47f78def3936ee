#pragma once

#include <string>
#include <vector>

namespace bx::clipstore {
class TDataSourceList;
class TMasterList;
} // namespace bx::clipstore

namespace bx::shell {

// What the About box tells: the version, where the data lives, the licence of the program and of the
// libraries it is built on, and what the program holds and has done.
struct TAboutInfo {
    std::string Version;
    std::vector<std::string> DataFolders;
    std::size_t Collections = 0;
    std::size_t Clips = 0;
    int Edits = 0;

    static constexpr const char* Licence =
        "GNU General Public License, version 3 or (at your option) any later version";
    // The libraries the program is linked with and their licences, one line each.
    static const std::vector<std::string>& Libraries();

    // From the loaded data (masterList may be nullptr before the load).
    static TAboutInfo Gather(const clipstore::TMasterList* masterList, const clipstore::TDataSourceList& sources,
                             int edits);
    // The lines the box shows.
    std::vector<std::string> Lines() const;
};

} // namespace bx::shell
