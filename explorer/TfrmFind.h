#pragma once

#include "TFind.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QRadioButton;

namespace bx::explorer {

// The Find dialog: the text, the scope of the search ("Scope Of Search": the current clip, the current
// collection, all collections) and OK, Cancel and Help. The rules of its controls are TFind's; this
// window only shows them and gives back what the user chose.
class TfrmFind : public QDialog, public shell::TFind::IDialog {
    Q_OBJECT
public:
    // help opens the dialog's topic; beforeExec runs with the dialog before it shows (tests).
    TfrmFind(QWidget* parent, std::function<void()> help, std::function<void(QDialog&)> beforeExec);

    // shell::TFind::IDialog
    bool Execute(shell::TFind::TDialogState& state) override;

    QLineEdit* TextEdit() const { return text_; }
    QRadioButton* ScopeButton(int scope) const;

private:
    QLineEdit* text_ = nullptr;
    QRadioButton* currentClip_ = nullptr;
    QRadioButton* currentCollection_ = nullptr;
    QRadioButton* allCollections_ = nullptr;
    std::function<void(QDialog&)> beforeExec_;
};

} // namespace bx::explorer
