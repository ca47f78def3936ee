#include "TCollectionMenu.h"

#include "TBrindlexCore.h"
#include "TCollectionCommands.h"
#include "TCollectionMenuState.h"
#include "TCollectionTreeModel.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeView>

namespace bx::explorer {

TCollectionMenu::TCollectionMenu(QTreeView& tree, TCollectionTreeModel& model, shell::TBrindlexCore& core,
                                 shell::TCollectionCommands& commands)
    : QObject(&tree), tree_(tree), model_(model), core_(core), commands_(commands) {
    tree_.installEventFilter(this);
    tree_.viewport()->installEventFilter(this);
}

TCollectionMenu::~TCollectionMenu() {
    tree_.removeEventFilter(this);
    tree_.viewport()->removeEventFilter(this);
    delete menu_;
}

bool TCollectionMenu::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched == &tree_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
            Popup(core_.Tree().Selected(), tree_.mapToGlobal(tree_.rect().center()));
            return true;
        }
    }
    if (event->type() == QEvent::ContextMenu && (watched == &tree_ || watched == tree_.viewport())) {
        const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        if (menuEvent->reason() == QContextMenuEvent::Mouse) {
            const int node =
                TCollectionTreeModel::NodeOf(tree_.indexAt(tree_.viewport()->mapFromGlobal(menuEvent->globalPos())));
            Popup(node, menuEvent->globalPos());
        } else {
            Popup(core_.Tree().Selected(), tree_.mapToGlobal(tree_.rect().center()));
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TCollectionMenu::Run(const clipstore::TClipColl* coll, const std::function<void(int node)>& command) {
    core_.Guarded([this, coll, &command] {
        // The node is found again: the tree may have been built anew while the menu was open.
        const int node = core_.Tree().GetTreeNodeOfColl(coll);
        if (node >= 0)
            command(node);
    });
}

QMenu* TCollectionMenu::Build(int node, bool fromToolbar) {
    const shell::TCollectionMenuState state = shell::TCollectionMenuState::For(core_.Tree(), node, fromToolbar);
    const clipstore::TClipColl* coll = core_.Tree().At(static_cast<std::size_t>(node)).Coll;
    auto* menu = new QMenu(&tree_);
    menu->setObjectName("PopupMenuCollections");
    menu->setAttribute(Qt::WA_DeleteOnClose);
    shell::TCollectionCommands& commands = commands_;
    const auto add = [&](const char* name, const char* text, bool enabled, std::function<void(int)> command) {
        QAction* action = menu->addAction(text);
        action->setObjectName(name);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, [this, coll, command] { Run(coll, command); });
    };
    add("mnuCollProperties", "&Properties", state.Properties, [&commands](int n) { commands.Properties(n); });
    add("mnuCollChangeIcon", "Change &Icon", state.ChangeIcon, [&commands](int n) { commands.ChangeIcon(n); });
    add("mnuCollDelete", "Del&ete Collection", state.DeleteCollection,
        [&commands](int n) { commands.DeleteCollection(n); });
    menu->addSeparator();
    add("mnuCollSortUp", "Move &Up In Sort Order", state.MoveUp, [&commands](int n) { commands.Sort(n, true); });
    add("mnuCollSortDown", "Move &Down In Sort Order", state.MoveDown, [&commands](int n) { commands.Sort(n, false); });
    menu->addSeparator();
    add("mnuCollNew", "Add &New Collection", state.AddCollection, [&commands](int n) { commands.NewCollection(n); });
    menu->addSeparator();
    add("mnuAddDataSource", "Add New Data Source", state.AddDataSource, [&commands](int) { commands.AddDataSource(); });
    add("mnuDeleteDataSource", "Delete Data Source", state.DeleteDataSource,
        [&commands](int n) { commands.DeleteDataSource(n); });
    menu->addSeparator();
    QAction* help = menu->addAction("What's This?");
    help->setObjectName("mnuCollWhatsThis");
    connect(help, &QAction::triggered, this, [this] {
        if (whatsThis_)
            whatsThis_();
    });
    menu->addSeparator();
    menu->addAction("&Cancel")->setObjectName("mnuCollCancel");
    return menu;
}

void TCollectionMenu::Popup(int node, const QPoint& globalPos, bool fromToolbar) {
    if (node < 0 || static_cast<std::size_t>(node) >= core_.Tree().Count())
        return;
    delete menu_;
    core_.EndAutoGlue();
    if (node != core_.Tree().Selected()) {
        core_.Guarded([this, node] { core_.Tree().Select(node); });
        tree_.setCurrentIndex(model_.IndexOfNode(node));
    }
    menu_ = Build(node, fromToolbar);
    menu_->popup(globalPos);
}

} // namespace bx::explorer
