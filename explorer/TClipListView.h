#pragma once

#include <QStringList>
#include <QTableView>

#include <functional>
#include <string>

#include <cstddef>

class QDropEvent;
class QMimeData;

namespace bx::clipstore {
class TClipObj;
}

namespace bx::platform {
class IDesktop;
}

namespace bx::shell {
class TBrindlexCore;
class TClipFilter;
class TClipListSelection;
} // namespace bx::shell

namespace bx::explorer {

class TClipTableModel;
class TClipTitleDelegate;

// The clip list of the shown collection: its rows, drawn with their format images before the titles, the
// sort arrow of its column, and the selection, which it keeps in step with the core's list in both
// directions. The arrow keys tell the list's selection rules when a row is being held down; the column
// widths are kept in the settings store.
class TClipListView : public QTableView {
    Q_OBJECT
public:
    explicit TClipListView(QWidget* parent);

    // Shows the core's clip list (the column widths the user left last time) / stops showing it (its
    // column widths are stored).
    void Attach(shell::TBrindlexCore& core, platform::IDesktop& desktop, shell::TClipListSelection& selection);
    void Detach();

    // Shows only the filter's rows (nullptr: every row; after Attach); FilterChanged: its rows changed.
    // The list's selection stays as it is and shows on the rows that are shown.
    void SetFilter(const shell::TClipFilter* filter);
    void FilterChanged();
    // The core's list was rebuilt: false when the view shows no list.
    bool Reset();
    void RowInserted(std::size_t row);
    void ShowSortArrow();
    // Selects the rows the core's list has selected, and shows its focused row.
    void SyncSelection();
    // Shows the row of the list (nothing when the filter hides it).
    void ScrollToListRow(int row);
    // With no row selected, selects the first row shown (as a click on it would).
    void SelectFirstShownRow();
    // The clip's row is drawn again.
    void RefreshRow(const clipstore::TClipObj* clip);
    // The names of the clip's format images in the list.
    QStringList FormatImages(const clipstore::TClipObj* clip) const;

    // Told when a drag of the selected rows starts (true) and ends (false).
    std::function<void(bool started)> Dragging;
    // The drag's data: the internal type ("application/x-brindlex-clips": the process and the mouse
    // button that drags) and, for other programs, the selected clips as the clipboard would offer them
    // (TClipDragData).
    QMimeData* DragData(Qt::MouseButtons buttons) const;
    // The list's own rows were dropped on a row (-1: below the rows).
    std::function<void(int row)> DroppedOnRow;
    // A press on an address of the "Source URL" column.
    std::function<void(const std::string& url)> UrlPressed;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool FilterEvent(QObject* watched, QEvent* event);
    // A drag of this list's own rows.
    bool OwnDrag(const QDropEvent* event) const;
    void OnViewSelectionChanged();
    void OnHeaderClicked(int column);
    // Works out where the list's titles start once the list has changed (before it is drawn).
    void UpdateFormatIconRoom();

    shell::TBrindlexCore* core_ = nullptr;
    platform::IDesktop* desktop_ = nullptr;
    shell::TClipListSelection* selection_ = nullptr;
    TClipTableModel* clipModel_ = nullptr;
    TClipTitleDelegate* titleDelegate_ = nullptr;
    bool syncing_ = false;
    // The list changed since the room for its format images was worked out.
    bool formatIconsStale_ = true;
};

} // namespace bx::explorer
