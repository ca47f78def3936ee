#pragma once

#include "ICollectionDialogs.h"

#include <functional>

class QDialog;
class QWidget;

namespace bx::explorer {

// The collection commands' dialogs on the desktop: a text prompt (QInputDialog), the collection and
// data source properties dialogs, the bitmap picker, and the desktop's directory picker
// (QFileDialog::getExistingDirectory, the portal's dialog where the desktop configures one). Around
// each dialog the window is told that a dialog is open (an always-on-top window goes below it).
class TQtCollectionDialogs : public shell::ICollectionDialogs {
public:
    // stacking(true) before each dialog, stacking(false) after it; may be empty.
    TQtCollectionDialogs(QWidget& parent, std::function<void(bool open)> stacking);

    std::optional<std::string> TextPrompt(const std::string& caption, const std::string& prompt,
                                          const std::string& preset) override;
    bool CollectionProperties(shell::TCollectionProperties& form) override;
    int DataSourceProperties(clipstore::TDataSource& source) override;
    std::optional<int> PickBitmap(int current) override;
    std::optional<std::string> PickFolder(const std::string& caption, const std::string& start,
                                          bool mayCreate) override;

    // For tests: called with each of the program's own dialogs before it runs.
    std::function<void(QDialog&)> BeforeDialog;

private:
    // Runs a dialog inside the stacking bracket; its exec result.
    int Run(QDialog& dialog);

    QWidget& parent_;
    std::function<void(bool)> stacking_;
};

} // namespace bx::explorer
