#pragma once

#include <QDialog>

#include <functional>
#include <optional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace bx::shell {
class TCollectionProperties;
}

namespace bx::explorer {

// "Collection Properties": the controls over a TCollectionProperties, which holds the values and their
// rules. OK closes only when the form's check passes (a title in use keeps the dialog open).
class TfrmCollProperties : public QDialog {
    Q_OBJECT
public:
    // pickIcon: the bitmap picker, from the icon shown; nothing when closed without a choice.
    TfrmCollProperties(shell::TCollectionProperties& form, std::function<std::optional<int>(int)> pickIcon,
                       QWidget* parent = nullptr);

    QLineEdit* TitleEdit() const { return title_; }
    QRadioButton* RetentionButton(int retention) const { return retention_[retention]; }
    QLineEdit* MaxItemsEdit() const { return maxItems_; }
    QLineEdit* MaxDaysEdit() const { return maxDays_; }
    QCheckBox* AllowDuplicatesBox() const { return allowDuplicates_; }
    QPushButton* IconButton() const { return icon_; }

private:
    QWidget* BuildRetention();
    // The controls follow the form: enabled states and the icon.
    void Sync();
    void Ok();

    shell::TCollectionProperties& form_;
    std::function<std::optional<int>(int)> pickIcon_;
    QLineEdit* title_ = nullptr;
    QCheckBox* favorite_ = nullptr;
    QRadioButton* accept_ = nullptr;
    QRadioButton* divert_ = nullptr;
    QCheckBox* allowDuplicates_ = nullptr;
    QRadioButton* retention_[3] = {};
    QLineEdit* maxItems_ = nullptr;
    QLineEdit* maxDays_ = nullptr;
    QPushButton* icon_ = nullptr;
    QLineEdit* sortKey_ = nullptr;
};

} // namespace bx::explorer
