#include "SimDataFolderDialog.h"

namespace bx::platform::sim {

int SimDataFolderDialog::ChooseDataFolder(std::string& directory) {
    suggestions_.push_back(directory);
    if (answers_.empty())
        return Confirmed;
    std::optional<std::string> answer = std::move(answers_.front());
    answers_.pop_front();
    if (!answer)
        return Cancelled;
    directory = *answer;
    if (!directory.empty() && directory.back() != '/')
        directory += '/';
    return Confirmed;
}

} // namespace bx::platform::sim
