#include "TTreeDropFilter.h"

#include "StatusLevels.h"
#include "TBrindlexCore.h"
#include "TClipMover.h"
#include "TCollectionTreeModel.h"
#include "TTreeDrag.h"
#include "TWindowGuard.h"

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTreeView>

namespace bx::explorer {

namespace {

// The payload of a clip drag: "<process> <button>"; the button (1 left, 2 right) when the drag is this
// program's own, else 0.
int ClipDragButton(const QMimeData& data) {
    const QList<QByteArray> parts = data.data(TTreeDropFilter::ClipsMime).split(' ');
    if (parts.size() != 2 || parts[0].toLongLong() != QCoreApplication::applicationPid())
        return 0;
    return parts[1].toInt();
}

bool OwnNodeDrag(const QMimeData& data) {
    return data.data(TTreeDropFilter::NodeMime).toLongLong() == QCoreApplication::applicationPid();
}

} // namespace

TTreeDropFilter::TTreeDropFilter(QTreeView& tree, shell::TBrindlexCore& core, shell::TTreeDrag& drag,
                                 shell::TClipMover& mover)
    : tree_(tree), core_(core), drag_(drag), mover_(mover) {
    tree_.setAcceptDrops(true);
    tree_.viewport()->setAcceptDrops(true);
    tree_.viewport()->installEventFilter(this);
}

TTreeDropFilter::~TTreeDropFilter() {
    tree_.viewport()->removeEventFilter(this);
}

int TTreeDropFilter::NodeAt(QPoint pos) const {
    return TCollectionTreeModel::NodeOf(tree_.indexAt(pos));
}

bool TTreeDropFilter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != tree_.viewport())
        return false;
    return TWindowGuard::Filter(&core_, [&] {
        switch (event->type()) {
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            pressed_ = mouse->button() == Qt::LeftButton && NodeAt(mouse->position().toPoint()) >= 0;
            pressedAt_ = mouse->position().toPoint();
            return false;
        }
        case QEvent::MouseButtonRelease:
            pressed_ = false;
            return false;
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            if (pressed_ && (mouse->buttons() & Qt::LeftButton) != 0 &&
                (mouse->position().toPoint() - pressedAt_).manhattanLength() >= QApplication::startDragDistance()) {
                pressed_ = false;
                StartNodeDrag();
                return true;
            }
            return false;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* move = static_cast<QDragMoveEvent*>(event);
            if (Allowed(move->mimeData(), move->position().toPoint()))
                move->acceptProposedAction();
            else
                move->ignore();
            return true;
        }
        case QEvent::Drop:
            Drop(*static_cast<QDropEvent*>(event));
            return true;
        default:
            return false;
        }
    });
}

void TTreeDropFilter::StartNodeDrag() {
    const int node = core_.Tree().Selected();
    if (node < 0)
        return;
    drag_.StartDrag(node);
    auto* data = new QMimeData();
    data->setData(NodeMime, QByteArray::number(QCoreApplication::applicationPid()));
    auto* drag = new QDrag(&tree_);
    drag->setMimeData(data);
    drag->exec(Qt::MoveAction, Qt::MoveAction);
    drag_.EndDrag();
}

bool TTreeDropFilter::Allowed(const QMimeData* data, QPoint pos) {
    const int node = NodeAt(pos);
    // A collapsed node with children opens while the drag passes over it.
    const QModelIndex index = tree_.indexAt(pos);
    if (index.isValid() && !tree_.isExpanded(index) && tree_.model()->rowCount(index) > 0)
        tree_.expand(index);
    if (data == nullptr || !drag_.InternalDrag())
        return false;
    shell::TTreeDrag::Verdict verdict;
    if (ClipDragButton(*data) != 0)
        verdict = shell::TTreeDrag::CanDrop(core_.Tree(), shell::TTreeDrag::Kind::Clips, core_.Tree().Selected(), node);
    else if (OwnNodeDrag(*data))
        verdict = shell::TTreeDrag::CanDrop(core_.Tree(), shell::TTreeDrag::Kind::Node, drag_.DraggedNode(), node);
    if (!verdict.Status.empty())
        core_.ShowStatus(shell::StatusInBar, false, verdict.Status);
    return verdict.Allowed;
}

void TTreeDropFilter::Drop(QDropEvent& event) {
    const QMimeData* data = event.mimeData();
    const QPoint pos = event.position().toPoint();
    const int node = NodeAt(pos);
    if (data == nullptr || !Allowed(data, pos)) {
        event.ignore();
        return;
    }
    event.acceptProposedAction();
    const int button = ClipDragButton(*data);
    if (button == 1) {
        mover_.DoDropClipsOnColl(false, node, drag_.DraggedNode());
    } else if (button == 2) {
        QMenu menu(&tree_);
        QAction* copy = menu.addAction("&Copy Here");
        menu.addAction("&Move Here");
        if (QAction* chosen = menu.exec(tree_.viewport()->mapToGlobal(pos)))
            mover_.DoDropClipsOnColl(chosen == copy, node, drag_.DraggedNode());
    } else if (OwnNodeDrag(*data)) {
        drag_.RelocateNode(drag_.DraggedNode(), node);
    }
}

} // namespace bx::explorer
