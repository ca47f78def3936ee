#pragma once

#include "IDataFolderDialog.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace bx::platform::sim {

// Answers the data-folder dialog from a script: each answer is a folder the user picks, or nothing
// for a cancel. Without a scripted answer the suggested folder is confirmed. Records the suggestions.
class SimDataFolderDialog : public IDataFolderDialog {
public:
    int ChooseDataFolder(std::string& directory) override;

    void Answer(std::optional<std::string> folder) { answers_.push_back(std::move(folder)); }
    const std::vector<std::string>& Suggestions() const { return suggestions_; }

private:
    std::deque<std::optional<std::string>> answers_;
    std::vector<std::string> suggestions_;
};

} // namespace bx::platform::sim
