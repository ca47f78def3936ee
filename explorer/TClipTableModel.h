#pragma once

#include <QAbstractTableModel>
#include <QColor>

namespace bx::shell {
class TClipListModel;
}

namespace bx::explorer {

// The clip list's rows for a table view: one row per clip of the list model, the columns of a clip list,
// cells drawn from the clips' fields and format flags only (no clip data is loaded to show a row). The
// list model stays the owner of rows, order and selection; this model follows its changes.
class TClipTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Role of a cell's format images (a list of image names) for the title column.
    static constexpr int FormatImagesRole = Qt::UserRole + 1;

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

private:
    shell::TClipListModel& list_;
    bool showTypeIcons_ = true;
    QColor linkColor_{Qt::blue};
};

} // namespace bx::explorer
