#include "TWindowLayout.h"

#include "TCollapseTab.h"
#include "TDropDownBar.h"
#include "TSelectItemBar.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace bx::explorer {

shell::TLayoutMetrics TWindowLayout::Measure() const {
    shell::TLayoutMetrics m;
    m.CollapseTab = p_.toolbarTab != nullptr ? p_.toolbarTab->width() : 0;
    // The strip's buttons as the toolbar lays them out: its whole width less what is shown after the
    // separator (the collapse tab counted apart; a hidden item is in neither); the separator stays in, so
    // that the bar needs no extension button.
    const QStyle* style = p_.toolbar->style();
    const int spacing = style->pixelMetric(QStyle::PM_ToolBarItemSpacing, nullptr, p_.toolbar);
    int left = p_.toolbar->sizeHint().width() - m.CollapseTab;
    bool after = false;
    for (QAction* action : p_.toolbar->actions()) {
        const QWidget* item = p_.toolbar->widgetForAction(action);
        if (after && item != nullptr && action->isVisible())
            left -= item->sizeHint().width() + spacing;
        after = after || action == p_.stripEnd;
    }
    m.SeparatorLeft = left;
    m.Frame = 0;
    m.Caption = 0;
    m.DropDownButton = p_.dropDownBar->Button()->height();
    m.Toolbar = p_.toolbar->sizeHint().height();
    m.Menu = p_.window->menuBar()->sizeHint().height();
    return m;
}

void TWindowLayout::Apply(const shell::TLayoutPlan& plan, int selectItemWidth) {
    QMainWindow& w = *p_.window;
    w.menuBar()->setVisible(plan.MainMenu);
    // The one-line bar: in the strip's drop-down bar, or above the list in the explorer view.
    if (plan.ExplorerView) {
        if (p_.dropDownBar->Holds(p_.selectItem)) {
            p_.rightLayout->insertWidget(0, p_.selectItem);
            p_.selectItem->setMinimumSize(0, 0);
            p_.selectItem->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        }
        p_.dropDownBar->hide();
    } else {
        p_.dropDownBar->Hold(p_.selectItem, selectItemWidth);
        p_.dropDownBar->setVisible(plan.DropDownBar);
    }
    p_.selectItem->show();
    p_.dropDownBar->SetDropped(plan.DroppedDown);
    if (plan.ExpandMainToolbar && p_.toolbarTab != nullptr)
        p_.toolbarTab->SetExpanded(true);
    // The list and the preview: always in the explorer view, in the strip only while dropped down.
    const bool listShown = plan.ExplorerView || plan.DroppedDown;
    p_.splitter1->setVisible(listShown);
    w.statusBar()->setVisible(listShown);
    p_.tree->setVisible(plan.Tree);
    p_.splitter1->setHandleWidth(plan.SplitterWidth);
    if (plan.Tree)
        p_.splitter1->setSizes({plan.TreeWidth, std::max(w.width() - plan.TreeWidth, 100)});
    if (p_.previewToolbar != nullptr)
        p_.previewToolbar->setVisible(plan.PreviewToolbar);
    p_.tack->setVisible(plan.Tack);
    {
        const QSignalBlocker block(p_.tack);
        p_.tack->setChecked(plan.TackDown);
    }
    w.setMinimumSize(plan.MinWidth, plan.MinHeight);
    w.setMaximumSize(plan.MaxWidth, plan.MaxHeight);
    if (plan.SetWidth || plan.SetHeight)
        w.resize(plan.SetWidth ? plan.Window.Width : w.width(), plan.SetHeight ? plan.Window.Height : w.height());
    if (plan.SetPosition || plan.Move)
        w.move(plan.Window.Left, plan.Window.Top);
    if (listShown)
        SetListHeight(plan.HalfList ? RightPanelHeight() / 2 : plan.ListHeight);
}

void TWindowLayout::SetListHeight(int height) {
    const QList<int> sizes = p_.splitter2->sizes();
    const int total = std::max(sizes.value(0) + sizes.value(1), p_.splitter2->height());
    p_.splitter2->setSizes({height, std::max(total - height, 0)});
}

int TWindowLayout::RightPanelHeight() const {
    return p_.splitter2->height();
}

shell::TWindowRect TWindowLayout::Geometry() const {
    const QWidget& w = *p_.window;
    if (w.isMaximized() || w.isFullScreen()) {
        // The normal geometry is the client's; the place is kept as the frame's.
        const QRect normal = w.normalGeometry();
        const QPoint frame = w.pos() - w.geometry().topLeft();
        return {normal.left() + frame.x(), normal.top() + frame.y(), normal.width(), normal.height()};
    }
    return {w.pos().x(), w.pos().y(), w.width(), w.height()};
}

std::vector<shell::TWindowRect> TWindowLayout::WorkAreas() const {
    std::vector<shell::TWindowRect> areas;
    const QScreen* own = p_.window->screen();
    const auto add = [&](const QScreen* screen) {
        const QRect a = screen->availableGeometry();
        areas.push_back({a.left(), a.top(), a.width(), a.height()});
    };
    if (own != nullptr)
        add(own);
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen != own)
            add(screen);
    return areas;
}

} // namespace bx::explorer
