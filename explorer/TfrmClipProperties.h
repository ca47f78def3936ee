#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;

namespace bx::shell {
class TClipProperties;
}

namespace bx::explorer {

// "Clip Properties": the controls over a shell::TClipProperties, which holds the values and writes them
// back. OK hands the edits to the form (the caller applies them); the format list's check marks are the
// formats offered when the clip is put back.
class TfrmClipProperties : public QDialog {
    Q_OBJECT
public:
    // help: the "&Help" button (the dialog's help topic).
    TfrmClipProperties(shell::TClipProperties& form, std::function<void()> help, QWidget* parent = nullptr);

    QLineEdit* TitleEdit() const { return title_; }
    QLineEdit* SourceUrlEdit() const { return sourceUrl_; }
    QLineEdit* SortKeyEdit() const { return sortKey_; }
    QListWidget* Formats() const { return formats_; }
    QLabel* Warning() const { return warning_; }

private:
    void FormatsClicked();
    void Ok();

    shell::TClipProperties& form_;
    std::function<void()> help_;
    QLineEdit* title_ = nullptr;
    QLineEdit* sourceUrl_ = nullptr;
    QLineEdit* sortKey_ = nullptr;
    QListWidget* formats_ = nullptr;
    QLabel* warning_ = nullptr;
};

} // namespace bx::explorer
