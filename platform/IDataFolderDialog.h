#pragma once

#include <string>

namespace bx::platform {

// The dialog in which the user chooses where the clips are kept, shown while no data source exists.
// The windows answer with the real dialog, tests with scripted answers.
class IDataFolderDialog {
public:
    virtual ~IDataFolderDialog() = default;

    static constexpr int Confirmed = 1;
    static constexpr int Cancelled = 2;

    // directory holds the suggested folder on entry and the chosen one (ending in "/") on return.
    // Returns Confirmed when the user chose a folder, Cancelled otherwise.
    virtual int ChooseDataFolder(std::string& directory) = 0;
};

} // namespace bx::platform
