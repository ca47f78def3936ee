#include "TClipListView.h"

#include "IDesktop.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipDragData.h"
#include "TClipListModel.h"
#include "TClipListSelection.h"
#include "TClipObj.h"
#include "TClipTableModel.h"
#include "TClipTitleDelegate.h"
#include "TThemeColors.h"
#include "TWindowGuard.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include <algorithm>
#include <array>
#include <vector>

namespace bx::explorer {

using clipstore::TClipObj;
using shell::TClipListModel;

namespace {

// Where the clip list's column widths are kept, below the settings' root key.
constexpr const char* ColumnsKey = "\\lvClips\\Columns";

} // namespace

TClipListView::TClipListView(QWidget* parent) : QTableView(parent) {
    setObjectName("lvClips");
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setSortingEnabled(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height(), 16) + 2);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setMinimumSectionSize(TClipListModel::FormatColumnWidth);
    installEventFilter(this);
    viewport()->installEventFilter(this);
    viewport()->setMouseTracking(true);
    // Expanding the pane lowers the list to 1 pixel; the splitter keeps it at least 2 pixels high.
    setMinimumHeight(1);
    // The selected rows can be dragged onto the collection tree, onto their own list (to reorder them)
    // and out of the program.
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(true);
    setAutoScrollMargin(20);
}

QMimeData* TClipListView::DragData(Qt::MouseButtons buttons) const {
    auto* mime = new QMimeData();
    const int button = (buttons & Qt::RightButton) != 0 ? 2 : 1;
    mime->setData(TClipDragData::InternalType,
                  QByteArray::number(QCoreApplication::applicationPid()) + " " + QByteArray::number(button));
    if (core_ == nullptr)
        return mime;
    std::vector<TClipObj*> clips;
    const TClipListModel& list = core_->ClipList();
    for (std::size_t row = 0; row < list.Count(); ++row)
        if (list.IsSelected(row) && list.Clip(row) != nullptr)
            clips.push_back(list.Clip(row));
    TClipDragData::Fill(*mime, clips);
    return mime;
}

bool TClipListView::OwnDrag(const QDropEvent* event) const {
    return event->source() == this && event->mimeData()->hasFormat(TClipDragData::InternalType);
}

void TClipListView::dragEnterEvent(QDragEnterEvent* event) {
    if (OwnDrag(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TClipListView::dragMoveEvent(QDragMoveEvent* event) {
    // The view scrolls near its edges by itself (autoScroll).
    QTableView::dragMoveEvent(event);
    if (OwnDrag(event))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TClipListView::dropEvent(QDropEvent* event) {
    if (!OwnDrag(event)) {
        event->ignore();
        return;
    }
    const QModelIndex index = indexAt(event->position().toPoint());
    // The rows stay where the drop put them: the drag does not remove them afterwards.
    event->setDropAction(Qt::CopyAction);
    event->accept();
    if (DroppedOnRow)
        TWindowGuard::Run(core_, [this, &index] { DroppedOnRow(index.isValid() ? index.row() : -1); });
}

void TClipListView::startDrag(Qt::DropActions /*supportedActions*/) {
    if (core_ == nullptr || core_->ClipList().SelectedCount() == 0)
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(DragData(QApplication::mouseButtons()));
    if (Dragging)
        Dragging(true);
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    if (Dragging)
        Dragging(false);
}

void TClipListView::Attach(shell::TBrindlexCore& core, platform::IDesktop& desktop,
                           shell::TClipListSelection& selection) {
    core_ = &core;
    desktop_ = &desktop;
    selection_ = &selection;
    const shell::TAppSettings& settings = core_->Settings();
    clipModel_ = new TClipTableModel(core_->ClipList(), this);
    clipModel_->SetShowTypeIcons(settings.ShowTypeIcons);
    clipModel_->SetLinkColor(TThemeColors(palette()).Link());
    setModel(clipModel_);
    titleDelegate_ = new TClipTitleDelegate(this);
    setItemDelegateForColumn(TClipListModel::ColTitle, titleDelegate_);
    // The column widths the user left last time.
    const auto stored = desktop_->Registry().ReadValue(settings.RootKey + ColumnsKey, "Sizes");
    const auto widths = TClipListModel::ParseColumnWidths(stored.value_or(std::string()));
    for (int column = 0; column < TClipListModel::ColumnCount; ++column)
        horizontalHeader()->resizeSection(column, widths[static_cast<std::size_t>(column)]);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { TWindowGuard::Run(core_, [this] { OnViewSelectionChanged(); }); });
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { TWindowGuard::Run(core_, [this, column] { OnHeaderClicked(column); }); });
}

void TClipListView::Detach() {
    if (core_ == nullptr)
        return;
    std::array<int, TClipListModel::ColumnCount> widths{};
    for (int column = 0; column < TClipListModel::ColumnCount; ++column)
        widths[static_cast<std::size_t>(column)] = horizontalHeader()->sectionSize(column);
    desktop_->Registry().WriteValue(core_->Settings().RootKey + ColumnsKey, "Sizes",
                                    TClipListModel::FormatColumnWidths(widths));
    setModel(nullptr);
    setItemDelegateForColumn(TClipListModel::ColTitle, nullptr);
    delete clipModel_;
    delete titleDelegate_;
    clipModel_ = nullptr;
    titleDelegate_ = nullptr;
    core_ = nullptr;
    desktop_ = nullptr;
    selection_ = nullptr;
}

bool TClipListView::Reset() {
    if (clipModel_ == nullptr || core_ == nullptr)
        return false;
    syncing_ = true;
    clipModel_->Reset();
    syncing_ = false;
    // Where the titles start is worked out when the list is next drawn: filling and sorting a
    // collection resets the list several times in a row.
    formatIconsStale_ = true;
    for (int column = TClipListModel::ColHasText; column <= TClipListModel::ColHasFiles; ++column)
        horizontalHeader()->resizeSection(column, TClipListModel::FormatColumnWidth);
    return true;
}

void TClipListView::SetFilter(const shell::TClipFilter* filter) {
    if (clipModel_ == nullptr)
        return;
    syncing_ = true;
    clipModel_->SetFilter(filter);
    syncing_ = false;
    SyncSelection();
}

void TClipListView::SelectFirstShownRow() {
    if (clipModel_ == nullptr || core_ == nullptr || clipModel_->rowCount() == 0 ||
        core_->ClipList().SelectedCount() != 0)
        return;
    TWindowGuard::Run(core_, [this] { core_->ClipList().SelectOnly(clipModel_->ListRow(0)); });
}

void TClipListView::FilterChanged() {
    if (clipModel_ == nullptr)
        return;
    syncing_ = true;
    clipModel_->Reset();
    syncing_ = false;
    SyncSelection();
}

void TClipListView::RowInserted(std::size_t row) {
    if (clipModel_ == nullptr)
        return;
    syncing_ = true;
    clipModel_->RowInserted(static_cast<int>(row));
    syncing_ = false;
    if (selection_ != nullptr)
        selection_->RowAdded();
    if (const TClipObj* clip = core_->ClipList().Clip(row); clip != nullptr && !formatIconsStale_)
        titleDelegate_->SetMaxFormatIcons(
            std::max(titleDelegate_->MaxFormatIcons(), TClipListModel::FormatIconCount(*clip)));
}

void TClipListView::UpdateFormatIconRoom() {
    if (!formatIconsStale_ || core_ == nullptr || titleDelegate_ == nullptr)
        return;
    formatIconsStale_ = false;
    // The widest row of format images decides where every title starts.
    int maxIcons = 0;
    const TClipListModel& list = core_->ClipList();
    for (std::size_t row = 0; row < list.Count(); ++row)
        if (const TClipObj* clip = list.Clip(row); clip != nullptr)
            maxIcons = std::max(maxIcons, TClipListModel::FormatIconCount(*clip));
    titleDelegate_->SetMaxFormatIcons(maxIcons);
}

void TClipListView::SyncSelection() {
    if (clipModel_ == nullptr || core_ == nullptr)
        return;
    const TClipListModel& list = core_->ClipList();
    QItemSelection selection;
    const int columns = TClipListModel::ColumnCount - 1;
    // In the view's rows: with a filter they are some of the list's.
    const int rows = clipModel_->rowCount();
    const auto selected = [&](int row) { return list.IsSelected(clipModel_->ListRow(row)); };
    int row = 0;
    while (row < rows) {
        if (!selected(row)) {
            ++row;
            continue;
        }
        int end = row;
        while (end + 1 < rows && selected(end + 1))
            ++end;
        selection.select(clipModel_->index(row, 0), clipModel_->index(end, columns));
        row = end + 1;
    }
    syncing_ = true;
    QItemSelectionModel* model = selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect);
    if (const int focusedRow = clipModel_->ViewRow(list.FocusedRow()); focusedRow >= 0) {
        const QModelIndex focused = clipModel_->index(focusedRow, 0);
        model->setCurrentIndex(focused, QItemSelectionModel::NoUpdate);
        scrollTo(focused);
    }
    syncing_ = false;
}

void TClipListView::OnViewSelectionChanged() {
    if (syncing_ || core_ == nullptr)
        return;
    std::vector<std::size_t> rows;
    for (const QItemSelectionRange& range : selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(clipModel_->ListRow(row));
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const QModelIndex current = selectionModel()->currentIndex();
    core_->ClipList().SetSelection(rows, current.isValid() ? static_cast<int>(clipModel_->ListRow(current.row())) : -1);
}

void TClipListView::OnHeaderClicked(int column) {
    if (core_ == nullptr || core_->SuppressListEvents())
        return;
    core_->ClipList().ColumnClick(column);
}

void TClipListView::ShowSortArrow() {
    const clipstore::TClipColl* coll = core_->ClipList().Coll();
    if (coll == nullptr) {
        horizontalHeader()->setSortIndicatorShown(false);
        return;
    }
    // The arrows are drawn the other way round: up for a descending list.
    horizontalHeader()->setSortIndicatorShown(true);
    horizontalHeader()->setSortIndicator(coll->SortColumn,
                                         coll->SortAscending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TClipListView::ScrollToListRow(int row) {
    if (clipModel_ == nullptr)
        return;
    if (const int shown = clipModel_->ViewRow(row); shown >= 0)
        scrollTo(clipModel_->index(shown, 0));
}

void TClipListView::RefreshRow(const TClipObj* clip) {
    if (clipModel_ == nullptr)
        return;
    const int row = clipModel_->ViewRow(core_->ClipList().RowOf(clip));
    if (row >= 0)
        emit clipModel_->dataChanged(clipModel_->index(row, 0),
                                     clipModel_->index(row, TClipListModel::ColumnCount - 1));
}

QStringList TClipListView::FormatImages(const TClipObj* clip) const {
    if (clip == nullptr || clipModel_ == nullptr || !clipModel_->ShowTypeIcons() || core_ == nullptr ||
        core_->ClipList().RowOf(clip) < 0)
        return {};
    return clipModel_->FormatImageNames(*clip);
}

bool TClipListView::eventFilter(QObject* watched, QEvent* event) {
    // Every event of the list and its viewport passes here: no handler object is made for it.
    const bool used = TWindowGuard::Filter(core_, [&] { return FilterEvent(watched, event); });
    return used || QTableView::eventFilter(watched, event);
}

bool TClipListView::FilterEvent(QObject* watched, QEvent* event) {
    if (watched == viewport() && event->type() == QEvent::Paint)
        UpdateFormatIconRoom();
    if (selection_ == nullptr)
        return false;
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)
            selection_->ArrowKeyDown();
    } else if (event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) && !key->isAutoRepeat())
            selection_->ArrowKeyUp();
    } else if (event->type() == QEvent::FocusOut && watched == this) {
        // A key released elsewhere never comes here: the list then counts it as released.
        selection_->ArrowKeyUp();
    } else if (event->type() == QEvent::MouseButtonPress && watched == viewport() && UrlPressed) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = indexAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && index.column() == TClipListModel::ColSourceUrl &&
            !index.data().toString().isEmpty() && !core_->FlashpickActive())
            UrlPressed(index.data().toString().toStdString());
    } else if (event->type() == QEvent::MouseMove && watched == viewport()) {
        // A pointing hand over an address of the "Source URL" column.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = indexAt(mouse->position().toPoint());
        const bool link = index.column() == TClipListModel::ColSourceUrl && !index.data().toString().isEmpty();
        viewport()->setCursor(link ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
    return false;
}

void TClipListView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange && clipModel_ != nullptr)
        clipModel_->SetLinkColor(TThemeColors(palette()).Link());
}

} // namespace bx::explorer
