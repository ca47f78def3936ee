#pragma once

#include <QWidget>

class QHBoxLayout;
class QToolButton;

namespace bx::explorer {

class TSelectItemBar;

// The traditional view's bar below the toolbar ("pnlDropDown"): the one-line bar that names the current clip
// and, right of it, the arrow button "cmdDropDown" that drops the clip list down and raises it. The one-line
// bar lives here in the traditional view and above the list in the explorer view (Hold, Release).
class TDropDownBar : public QWidget {
    Q_OBJECT
public:
    explicit TDropDownBar(QWidget* parent = nullptr);

    QToolButton* Button() const { return cmdDropDown_; }
    // Takes the one-line bar into this bar, at the width the strip leaves it.
    void Hold(TSelectItemBar* bar, int width);
    bool Holds(const TSelectItemBar* bar) const;
    // Shows the arrow button down while the list is dropped down.
    void SetDropped(bool dropped);

signals:
    // The arrow button was clicked, or the one-line bar was clicked with the left button while held here.
    void DropDownClicked();
    void BarClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHBoxLayout* layout_ = nullptr;
    QToolButton* cmdDropDown_ = nullptr;
    TSelectItemBar* held_ = nullptr;
};

} // namespace bx::explorer
