#pragma once

#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QPointer>

#include <functional>

class QAction;
class QTreeView;

namespace bx::clipstore {
class TClipColl;
}

namespace bx::shell {
class TBrindlexCore;
class TCollectionCommands;
} // namespace bx::shell

namespace bx::explorer {

class TCollectionTreeModel;

// The collection tree's context menu: a right click opens it on the node under the pointer, Shift+F10
// (and the menu key) on the selected node at the tree's centre; opening selects the node. Its entries
// are enabled by TCollectionMenuState and run the collection commands on that node through the core's
// guard; "What's This?" asks for help through a hook.
class TCollectionMenu : public QObject {
    Q_OBJECT
public:
    TCollectionMenu(QTreeView& tree, TCollectionTreeModel& model, shell::TBrindlexCore& core,
                    shell::TCollectionCommands& commands);
    ~TCollectionMenu() override;

    // Help on the tree ("What's This?"); none by default.
    void SetWhatsThis(std::function<void()> whatsThis) { whatsThis_ = std::move(whatsThis); }

    // Opens the menu for a node at a place on the screen (it closes itself when done). fromToolbar: the
    // toolbar's collection button opened it.
    void Popup(int node, const QPoint& globalPos, bool fromToolbar = false);
    // The menu open now, or nullptr.
    QMenu* Open() const { return menu_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QMenu* Build(int node, bool fromToolbar);
    void Run(const clipstore::TClipColl* coll, const std::function<void(int node)>& command);

    QTreeView& tree_;
    TCollectionTreeModel& model_;
    shell::TBrindlexCore& core_;
    shell::TCollectionCommands& commands_;
    std::function<void()> whatsThis_;
    QPointer<QMenu> menu_;
};

} // namespace bx::explorer
