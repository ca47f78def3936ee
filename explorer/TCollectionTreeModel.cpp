#include "TCollectionTreeModel.h"

#include "TClipColl.h"
#include "TCollectionTree.h"
#include "TImages.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace bx::explorer {

using clipstore::TClipColl;

TCollectionTreeModel::TCollectionTreeModel(shell::TCollectionTree& tree, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree) {
    Rebuild();
}

void TCollectionTreeModel::Rebuild() {
    beginResetModel();
    const std::size_t count = tree_.Count();
    children_.assign(count + 1, {});
    rowInParent_.assign(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        const int parent = tree_.At(i).Parent;
        const std::size_t slot =
            parent >= 0 && static_cast<std::size_t>(parent) < count ? static_cast<std::size_t>(parent) : count;
        children_[slot].push_back(static_cast<int>(i));
    }
    // Siblings by their collections' sort keys; a node without a collection counts as 0.
    auto key = [this](int node) {
        const TClipColl* coll = tree_.At(static_cast<std::size_t>(node)).Coll;
        return coll != nullptr ? coll->SortKey : 0;
    };
    for (auto& siblings : children_) {
        std::stable_sort(siblings.begin(), siblings.end(), [&key](int a, int b) { return key(a) < key(b); });
        for (std::size_t row = 0; row < siblings.size(); ++row)
            rowInParent_[static_cast<std::size_t>(siblings[row])] = static_cast<int>(row);
    }
    endResetModel();
}

void TCollectionTreeModel::Refresh() {
    if (tree_.Count() + 1 != children_.size()) {
        Rebuild();
        return;
    }
    // Every node, level by level.
    for (std::size_t i = 0; i < children_.size(); ++i) {
        if (children_[i].empty())
            continue;
        const QModelIndex first = IndexOfNode(children_[i].front());
        const QModelIndex last = IndexOfNode(children_[i].back());
        emit dataChanged(first, last);
    }
}

QModelIndex TCollectionTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return {};
    const std::size_t slot = parent.isValid() ? static_cast<std::size_t>(NodeOf(parent)) : children_.size() - 1;
    if (slot >= children_.size() || static_cast<std::size_t>(row) >= children_[slot].size())
        return {};
    return createIndex(row, 0, static_cast<quintptr>(children_[slot][static_cast<std::size_t>(row)]));
}

QModelIndex TCollectionTreeModel::parent(const QModelIndex& child) const {
    if (!child.isValid())
        return {};
    const int node = NodeOf(child);
    if (node < 0 || static_cast<std::size_t>(node) >= tree_.Count())
        return {};
    return IndexOfNode(tree_.At(static_cast<std::size_t>(node)).Parent);
}

int TCollectionTreeModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid())
        return children_.empty() ? 0 : static_cast<int>(children_.back().size());
    const int node = NodeOf(parent);
    if (node < 0 || static_cast<std::size_t>(node) + 1 >= children_.size())
        return 0;
    return static_cast<int>(children_[static_cast<std::size_t>(node)].size());
}

int TCollectionTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QModelIndex TCollectionTreeModel::IndexOfNode(int node) const {
    if (node < 0 || static_cast<std::size_t>(node) >= rowInParent_.size())
        return {};
    return createIndex(rowInParent_[static_cast<std::size_t>(node)], 0, static_cast<quintptr>(node));
}

int TCollectionTreeModel::NodeOf(const QModelIndex& index) {
    return index.isValid() ? static_cast<int>(index.internalId()) : -1;
}

QVariant TCollectionTreeModel::data(const QModelIndex& index, int role) const {
    const int node = NodeOf(index);
    if (node < 0 || static_cast<std::size_t>(node) >= tree_.Count())
        return {};
    const shell::TCollectionTree::Node& n = tree_.At(static_cast<std::size_t>(node));
    const TClipColl* coll = n.Coll;
    switch (role) {
    case Qt::DisplayRole:
        return coll != nullptr ? QString::fromStdString(coll->Title) : QString();
    case Qt::DecorationRole: {
        // The state image (or its empty place) before the collection's image.
        // At the screen's resolution: the images drawn at twice the size on a screen scaled to 200 %.
        const qreal ratio = qGuiApp != nullptr ? qGuiApp->devicePixelRatio() : 1.0;
        QPixmap pixmap(DecorationSize() * ratio);
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        if (n.StateImage >= 0)
            painter.drawPixmap(0, 0, TImages::StateImage(n.StateImage, ratio));
        painter.drawPixmap(DecorationSize().width() / 2 + 1, 0, TImages::CollectionImage(n.Image, ratio));
        return pixmap;
    }
    case Qt::ForegroundRole:
        if (coll != nullptr && coll->CollType != TClipColl::FolderColl && !coll->AcceptNewClips &&
            coll->CollType == TClipColl::NormalColl)
            return QBrush(divertColor_);
        return {};
    case Qt::FontRole:
        if (coll != nullptr && coll->Retention == TClipColl::KeepAll) {
            QFont font;
            font.setUnderline(true);
            return font;
        }
        return {};
    case NodeRole:
        return node;
    default:
        return {};
    }
}

void TCollectionTreeModel::SetDivertColor(const QColor& color) {
    if (color == divertColor_)
        return;
    divertColor_ = color;
    Refresh();
}

} // namespace bx::explorer
