#include "TClipListModel.h"

#include "TClipColl.h"
#include "TClipObj.h"

#include <algorithm>

namespace bx::shell {

using clipstore::TClipColl;
using clipstore::TClipObj;

void TClipListModel::Bind(TClipColl* coll) {
    coll_ = coll;
    rows_.clear();
    selected_.clear();
    focused_ = -1;
    Notify(OnReset);
}

void TClipListModel::UpdateLVClips() {
    rows_.clear();
    focused_ = -1;
    if (coll_ != nullptr) {
        rows_.reserve(coll_->Count());
        for (std::size_t i = 0; i < coll_->Count(); ++i)
            rows_.push_back(coll_->Clip(i));
        // Every row inserted at the top turns the collection's order round.
        if (coll_->AddOrder == 1)
            std::reverse(rows_.begin(), rows_.end());
    }
    selected_.assign(rows_.size(), false);
    Notify(OnReset);
}

void TClipListModel::SortBySortKey(bool ascending) {
    std::stable_sort(rows_.begin(), rows_.end(), [ascending](const TClipObj* a, const TClipObj* b) {
        return ascending ? a->SortKey < b->SortKey : a->SortKey > b->SortKey;
    });
    selected_.assign(rows_.size(), false);
    focused_ = -1;
    Notify(OnReset);
}

std::size_t TClipListModel::AddToLists(TClipObj* clip, bool select, int position) {
    const std::size_t row = position == 1 ? 0 : rows_.size();
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(row), clip);
    selected_.insert(selected_.begin() + static_cast<std::ptrdiff_t>(row), false);
    if (focused_ >= 0 && static_cast<std::size_t>(focused_) >= row)
        ++focused_;
    if (OnRowInserted)
        OnRowInserted(row);
    if (select)
        SelectOnly(row);
    return row;
}

void TClipListModel::RemoveClip(const TClipObj* clip) {
    bool removed = false;
    for (std::size_t row = rows_.size(); row-- > 0;) {
        if (rows_[row] != clip)
            continue;
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
        selected_.erase(selected_.begin() + static_cast<std::ptrdiff_t>(row));
        if (focused_ == static_cast<int>(row))
            focused_ = -1;
        else if (focused_ > static_cast<int>(row))
            --focused_;
        removed = true;
    }
    if (removed)
        Notify(OnReset);
}

void TClipListModel::Clear() {
    coll_ = nullptr;
    rows_.clear();
    selected_.clear();
    focused_ = -1;
    Notify(OnReset);
}

int TClipListModel::RowOf(const TClipObj* clip) const {
    const auto found = std::find(rows_.begin(), rows_.end(), clip);
    return found == rows_.end() ? -1 : static_cast<int>(found - rows_.begin());
}

std::size_t TClipListModel::SelectedCount() const {
    return static_cast<std::size_t>(std::count(selected_.begin(), selected_.end(), true));
}

TClipObj* TClipListModel::FirstSelected() const {
    for (std::size_t row = 0; row < rows_.size(); ++row)
        if (selected_[row])
            return rows_[row];
    return nullptr;
}

void TClipListModel::Select(std::size_t row, bool selected) {
    if (row >= rows_.size() || selected_[row] == selected)
        return;
    selected_[row] = selected;
    Notify(OnSelectionChanged);
}

void TClipListModel::SelectOnly(std::size_t row) {
    if (row >= rows_.size())
        return;
    selected_.assign(rows_.size(), false);
    selected_[row] = true;
    focused_ = static_cast<int>(row);
    Notify(OnSelectionChanged);
}

void TClipListModel::ClearSelection() {
    if (std::find(selected_.begin(), selected_.end(), true) == selected_.end())
        return;
    selected_.assign(rows_.size(), false);
    Notify(OnSelectionChanged);
}

} // namespace bx::shell
