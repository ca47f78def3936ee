#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class QTableWidget;

namespace bx::explorer {

// "Select A Bitmap": the collection icons in a grid of eight columns, from icon 10 on; a double click
// on the label above shows every icon from icon 0 on ("Now Showing ALL Images"). Only a cell holding an
// icon can be chosen; OK (or a double click on the icon) returns its number.
class TfrmBitmapPicker : public QDialog {
    Q_OBJECT
public:
    static constexpr int Columns = 8;
    static constexpr int FirstShown = 10;

    explicit TfrmBitmapPicker(int current, QWidget* parent = nullptr);

    // The chosen icon after OK; nothing otherwise.
    std::optional<int> Chosen() const { return chosen_; }
    // Shows every icon from icon 0 on.
    void ShowAll();
    QTableWidget* Grid() const { return grid_; }
    QLabel* Label() const { return label_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill(int first);
    // The icon number of the current cell, or nothing for an empty one.
    std::optional<int> CurrentIcon() const;
    void Choose();

    QLabel* label_;
    QTableWidget* grid_;
    int current_;
    int first_ = FirstShown;
    std::optional<int> chosen_;
};

} // namespace bx::explorer
