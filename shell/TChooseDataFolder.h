#pragma once

#include "IMessageBoxes.h"

#include <functional>
#include <optional>
#include <string>

namespace bx::shell {

// What the "Choose Data Storage Location" dialog does, without its window: the recommended folder,
// the user's own choice through a folder picker (offering to add "/data", creating the folder), and
// the result. The window shows Caption, SuggestedDirectory and Choice, enables OK by OkEnabled and
// calls the operations for its buttons.
class TChooseDataFolder {
public:
    // Shows the folder picker at a start folder; none when the user cancels it.
    using FolderPicker = std::function<std::optional<std::string>(const std::string& start)>;

    TChooseDataFolder(platform::IMessageBoxes& boxes, FolderPicker picker, std::string suggestedDirectory,
                      std::string caption = "Choose Data Storage Location");

    const std::string& Caption() const { return caption_; }
    const std::string& SuggestedDirectory() const { return suggested_; }
    // The folder chosen so far, ending in "/".
    const std::string& Choice() const { return choice_; }
    bool OkEnabled() const { return okEnabled_; }
    // 1 when the user confirmed a folder, 2 otherwise.
    int Result() const { return result_; }

    // "Use this default data storage location".
    void UseDefault();
    // "Let me choose my own data storage location".
    void ChooseOwn();
    // OK: the choice is confirmed.
    void Ok();

private:
    platform::IMessageBoxes& boxes_;
    FolderPicker picker_;
    std::string suggested_;
    std::string caption_;
    std::string choice_;
    bool okEnabled_ = false;
    int result_ = 2;
};

} // namespace bx::shell
