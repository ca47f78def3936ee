#pragma once

#include <cstddef>
#include <functional>
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
    // The collection shown; nullptr when the list is bound to none.
    clipstore::TClipColl* Coll() const { return coll_; }
    // Binds the list to a collection (or none); the list is empty until UpdateLVClips fills it.
    void Bind(clipstore::TClipColl* coll);
    // Fills the rows again from the collection: each clip in the collection's order, inserted at the
    // top when the collection adds new clips at the top, else appended.
    void UpdateLVClips();
    // Orders the rows by the clips' sort keys (equal keys keep their order).
    void SortBySortKey(bool ascending);
    // Adds a row for clip: at the top when position is 1, else at the end. With select the new row
    // becomes the only selected one and the focused one. Returns the row.
    std::size_t AddToLists(clipstore::TClipObj* clip, bool select, int position);
    // Removes every row of clip.
    void RemoveClip(const clipstore::TClipObj* clip);
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
    // -1 when no row has the focus.
    int FocusedRow() const { return focused_; }

    // Called after the rows were rebuilt or cleared.
    std::function<void()> OnReset;
    // Called after a row was inserted.
    std::function<void(std::size_t row)> OnRowInserted;
    // Called after the selection changed.
    std::function<void()> OnSelectionChanged;

private:
    void Notify(const std::function<void()>& observer) const {
        if (observer)
            observer();
    }

    clipstore::TClipColl* coll_ = nullptr;
    std::vector<clipstore::TClipObj*> rows_;
    std::vector<bool> selected_;
    int focused_ = -1;
};

} // namespace bx::shell
