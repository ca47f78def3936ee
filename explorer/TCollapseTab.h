#pragma once

#include <QPointer>
#include <QToolButton>

#include <vector>

class QAction;
class QToolBar;

namespace bx::explorer {

// The narrow tab at the left of a toolbar: a click collapses the bar to the tab or expands it again.
// What it hides is the bar's other items (a toolbar's own actions, or a row of buttons).
class TCollapseTab : public QToolButton {
    Q_OBJECT
public:
    TCollapseTab(QWidget* parent, const char* objectName);

    // What the tab hides: every item of the toolbar but the tab's own, or a widget.
    void Collapses(QToolBar& bar, QAction* own);
    void Collapses(QWidget* widget);

    bool Expanded() const { return expanded_; }
    // Sets the state without a click (Toggled is not emitted).
    void SetExpanded(bool expanded);
    // Whether one of the bar's items is shown at all (an optional button the settings hide): a hidden
    // item stays hidden when the bar is expanded.
    void SetItemShown(QAction* action, bool shown);

signals:
    // The user collapsed or expanded the bar.
    void Toggled(bool expanded);

private:
    bool expanded_ = true;
    std::vector<QPointer<QAction>> actions_;
    std::vector<QPointer<QAction>> hidden_; // items not shown whatever the state
    QPointer<QWidget> widget_;
};

} // namespace bx::explorer
