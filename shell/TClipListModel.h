#pragma once

#include "TEvent.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace bx::clipstore {
class TClipColl;
class TClipObj;
} // namespace bx::clipstore

namespace bx::shell {

// The rows of a clip list: the clips of one collection, each row one clip, with the selection and the
// focused row. The list holds no clip data; the window shows it through a view that asks for the rows
// it draws. Observers hear about every change.
class TClipListModel {
public:
    // The columns of a clip list, in order.
    enum Column {
        ColTitle,
        ColMySort,
        ColDateTime,
        ColSource,
        ColSerial,
        ColHasText,
        ColHasRtf,
        ColHasBmp,
        ColHasPicture,
        ColHasHtml,
        ColHasFiles,
        ColSourceUrl,
        ColumnCount
    };
    static constexpr std::array<const char*, ColumnCount> ColumnCaptions = {
        "Title",   "MySort",  "Date/Time",   "Source",   "Serial",    "Has Text",
        "Has RTF", "Has BMP", "Has Picture", "Has HTML", "Has Files", "Source URL"};
    static constexpr std::array<int, ColumnCount> ColumnWidths = {200, 60, 100, 100, 60, 18, 18, 18, 18, 18, 18, 400};
    // The width the format columns get at every rebuild.
    static constexpr int FormatColumnWidth = 18;

    // Column widths as the settings keep them: decimal numbers separated by ",". Reading starts from the
    // standard widths and takes each number that is a sensible width; extra numbers are ignored.
    static std::array<int, ColumnCount> ParseColumnWidths(const std::string& text);
    static std::string FormatColumnWidths(const std::array<int, ColumnCount>& widths);

    // The text of a cell, from the clip's fields and format flags only (no clip data is loaded).
    static std::string CellText(const clipstore::TClipObj& clip, int column);
    // The number of "Y" cells of a clip's format columns.
    static int FormatIconCount(const clipstore::TClipObj& clip);
    // Compares two cell texts for an ascending sort: two dates or times (date separator "-", time
    // separator ":") in time, two decimal numbers numerically, anything else as locale-aware,
    // case-sensitive strings. Below 0, 0 or above 0.
    static int CompareCells(const std::string& a, const std::string& b);

    // The collection shown; nullptr when the list is bound to none.
    clipstore::TClipColl* Coll() const { return coll_; }
    // Binds the list to a collection (or none); the list is empty until UpdateLVClips fills it.
    void Bind(clipstore::TClipColl* coll);
    // Fills the rows again from the collection: each clip in the collection's order, inserted at the
    // top when the collection adds new clips at the top, else appended.
    void UpdateLVClips();
    // Orders the rows by the clips' sort keys (equal keys keep their order).
    void SortBySortKey(bool ascending);
    // Orders the rows by the cells of a column (CompareCells; equal cells keep their order). The
    // selection and the focus stay with their clips.
    void Sort(int column, bool ascending);
    // The rows in the collection's saved order: its sort column and direction.
    void SortAsSaved();
    // A click on a column header of the main list: a click on the collection's sort column reverses
    // the direction, a click on another keeps it; the column and direction are stored in the
    // collection, which becomes dirty, and the rows are sorted.
    void ColumnClick(int column);
    // A click on a column header of the pick list: the direction is reversed and the rows sorted by
    // the collection's sort column, whichever column was clicked (nothing is stored).
    void PickListColumnClick();
    // The direction of the list's last sort (true: ascending).
    bool SortAscending() const { return ascending_; }
    // Adds a row for clip: at the top when position is 1, else at the end. With select the new row
    // becomes the only selected one and the focused one. Returns the row.
    std::size_t AddToLists(clipstore::TClipObj* clip, bool select, int position);
    // Removes every row of clip.
    void RemoveClip(const clipstore::TClipObj* clip);
    // Removes every row of these clips, announcing the change once.
    void RemoveClips(const std::vector<const clipstore::TClipObj*>& clips);
    // Moves the selected rows, in their order, to just above row target (a row not selected); only the
    // last of them stays selected and focused. Returns its row.
    std::size_t MoveSelectedBefore(std::size_t target);
    void Clear();

    std::size_t Count() const { return rows_.size(); }
    // nullptr past the end.
    clipstore::TClipObj* Clip(std::size_t row) const { return row < rows_.size() ? rows_[row] : nullptr; }
    // -1 when the clip has no row.
    int RowOf(const clipstore::TClipObj* clip) const;

    bool IsSelected(std::size_t row) const { return row < selected_.size() && selected_[row]; }
    std::size_t SelectedCount() const;
    // The first selected row's clip; nullptr when none is selected.
    clipstore::TClipObj* FirstSelected() const;
    void Select(std::size_t row, bool selected);
    void SelectOnly(std::size_t row);
    void ClearSelection();
    // Selects every row (one change).
    void SelectAll();
    // Selects exactly these rows (one change) and focuses a row (-1: none); rows past the end are left out.
    void SetSelection(const std::vector<std::size_t>& rows, int focused);
    // -1 when no row has the focus.
    int FocusedRow() const { return focused_; }

    // Emitted after the rows were rebuilt or cleared.
    platform::TEvent<> RowsReset;
    // Emitted after a row was inserted.
    platform::TEvent<std::size_t> RowInserted;
    // Emitted after the selection changed, also when rows that were selected went away. The core
    // listens and announces the change as its ListSelectionChanged (where features subscribe).
    platform::TEvent<> SelectionChanged;

private:
    clipstore::TClipColl* coll_ = nullptr;
    std::vector<clipstore::TClipObj*> rows_;
    std::vector<bool> selected_;
    int focused_ = -1;
    bool ascending_ = false;
    int sortColumn_ = ColMySort;
};

} // namespace bx::shell
