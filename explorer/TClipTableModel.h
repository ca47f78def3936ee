#pragma once

#include <QAbstractTableModel>
#include <QColor>

#include <QStringList>

#include <cstddef>

namespace bx::clipstore {
class TClipObj;
}

namespace bx::shell {
class TClipFilter;
class TClipListModel;
} // namespace bx::shell

namespace bx::explorer {

// The clip list's rows for a table view: one row per clip of the list model, the columns of a clip list,
// cells drawn from the clips' fields and format flags only (no clip data is loaded to show a row). The
// list model stays the owner of rows, order and selection; this model follows its changes. With a filter
// set, the rows are the filter's rows, each mapped to its row of the list.
class TClipTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Role of a cell's format images (a list of image names) for the title column.
    static constexpr int FormatImagesRole = Qt::UserRole + 1;
    // Role of the title cell's part that the filter's text matches: a QPoint (first character, length).
    static constexpr int FilterMatchRole = Qt::UserRole + 2;

    TClipTableModel(shell::TClipListModel& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Rows can be dragged (the view decides whether it starts drags).
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The type images are drawn (the list's setting).
    void SetShowTypeIcons(bool on);
    bool ShowTypeIcons() const { return showTypeIcons_; }
    // The colour of the source addresses (blue until the view sets its palette's).
    void SetLinkColor(const QColor& color);
    // The rows were rebuilt / a row was inserted (called by the window's list observers).
    void Reset();
    void RowInserted(int row);

    // The filter whose rows are shown (nullptr: every row of the list); call Reset when its rows change.
    void SetFilter(const shell::TClipFilter* filter);
    // The list row of a row of this model, and back (-1: not shown).
    std::size_t ListRow(int row) const;
    int ViewRow(int listRow) const;
    // The names of a clip's format images, in the order they are drawn.
    QStringList FormatImageNames(const clipstore::TClipObj& clip) const;

private:
    shell::TClipListModel& list_;
    const shell::TClipFilter* filter_ = nullptr;
    bool showTypeIcons_ = true;
    QColor linkColor_{Qt::blue};
};

} // namespace bx::explorer
