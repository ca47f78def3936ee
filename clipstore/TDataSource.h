#pragma once

#include <string>

namespace bx::clipstore {

// One data source: a root directory under which collections are kept, registered by the user.
class TDataSource {
public:
    // Longest description kept, in bytes; a longer one is cut at a character boundary.
    static constexpr std::size_t MaxDescription = 255;

    TDataSource() = default;
    // directory gets a trailing "/" when it has none.
    TDataSource(int number, std::string description, std::string directory, bool readOnly, bool autoLoad);

    // Its number (shown as "ID"); new data sources take the list's next number.
    int Number = 1;
    // Its collections were loaded in this run.
    bool Loaded = false;
    // Display name: the title of its folder in the collection tree.
    std::string Description;
    // The root directory, ending in "/".
    std::string Directory;
    // Its collections are read only.
    bool Read_Only = false;
    // It is loaded at start.
    bool AutoLoad = true;
};

} // namespace bx::clipstore
