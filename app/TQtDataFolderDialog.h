#pragma once

#include "IDataFolderDialog.h"
#include "IMessageBoxes.h"

namespace bx::app {

// The "Choose Data Storage Location" window: the recommended folder or one of the user's own.
class TQtDataFolderDialog : public platform::IDataFolderDialog {
public:
    explicit TQtDataFolderDialog(platform::IMessageBoxes& boxes) : boxes_(boxes) {}
    int ChooseDataFolder(std::string& directory) override;

private:
    platform::IMessageBoxes& boxes_;
};

} // namespace bx::app
