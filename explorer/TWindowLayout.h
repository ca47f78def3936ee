#pragma once

#include "TWindowModes.h"

#include <vector>

class QAction;
class QMainWindow;
class QSplitter;
class QToolBar;
class QToolButton;
class QTreeView;
class QVBoxLayout;
class QWidget;

namespace bx::explorer {

class TCollapseTab;
class TDropDownBar;
class TSelectItemBar;

// Measures the window's parts for the layouts and applies a layout plan to the widgets: the main menu, the
// drop-down bar with the one-line bar (above the list in the explorer view), the tree, the list and the
// preview's toolbar, the tack, the size limits, the size and the place. Sizes are the client area's: the
// window manager draws the frame and the caption outside it, so both measure 0 here. Places are the frame's
// (QWidget::pos), as the window manager reports and restores them.
class TWindowLayout {
public:
    struct Parts {
        QMainWindow* window = nullptr;
        QToolBar* toolbar = nullptr;
        TCollapseTab* toolbarTab = nullptr;
        QAction* stripEnd = nullptr;
        TDropDownBar* dropDownBar = nullptr;
        TSelectItemBar* selectItem = nullptr;
        QVBoxLayout* rightLayout = nullptr; // the one-line bar's place in the explorer view (first)
        QSplitter* splitter1 = nullptr;     // tree | right-hand panel
        QTreeView* tree = nullptr;
        QWidget* rightPart = nullptr;
        QSplitter* splitter2 = nullptr; // list / preview
        QWidget* previewToolbar = nullptr;
        QToolButton* tack = nullptr;
    };

    explicit TWindowLayout(const Parts& parts) : p_(parts) {}

    shell::TLayoutMetrics Measure() const;
    // Applies the plan; width: the one-line bar's width in the strip.
    void Apply(const shell::TLayoutPlan& plan, int selectItemWidth);
    // Where the window is and how large (for RecordPosition and the drop-down); the normal geometry while
    // maximized.
    shell::TWindowRect Geometry() const;
    // The work areas of the screens, the window's screen first.
    std::vector<shell::TWindowRect> WorkAreas() const;
    int RightPanelHeight() const;
    void SetListHeight(int height);

private:
    Parts p_;
};

} // namespace bx::explorer
