#pragma once

#include <QAbstractItemModel>
#include <QColor>
#include <QSize>

#include <vector>

namespace bx::shell {
class TCollectionTree;
}

namespace bx::explorer {

// The collection tree for a tree view: each node shows its collection's title and icon (with the state
// icon beside it), siblings ordered by their collections' sort keys; collections that divert new clips are
// dark red and safe collections underlined. A model index carries the tree's node index.
class TCollectionTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    // The node index of an item (int; -1 for none).
    static constexpr int NodeRole = Qt::UserRole + 1;
    // A node's picture: its state image, then its collection's icon.
    static QSize DecorationSize() { return {34, 17}; }

    explicit TCollectionTreeModel(shell::TCollectionTree& tree, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // The model index of a node (invalid for -1 or past the end).
    QModelIndex IndexOfNode(int node) const;
    static int NodeOf(const QModelIndex& index);
    // The tree's nodes changed: rebuild the structure (the window's tree observer calls it).
    void Rebuild();
    // Only the images or colours changed.
    void Refresh();
    // The colour of collections that divert new clips (dark red until the window sets its palette's).
    void SetDivertColor(const QColor& color);

private:
    shell::TCollectionTree& tree_;
    std::vector<std::vector<int>> children_; // per node; the last entry holds the top-level nodes
    std::vector<int> rowInParent_;
    QColor divertColor_{128, 0, 0};
};

} // namespace bx::explorer
