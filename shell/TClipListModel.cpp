#include "TClipListModel.h"

#include "PlatformTypes.h"
#include "TClipColl.h"
#include "TClipContext.h"
#include "TClipObj.h"

#include <QCollator>
#include <QString>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <numeric>
#include <optional>
#include <unordered_set>

namespace bx::shell {

using clipstore::TClipColl;
using clipstore::TClipObj;

namespace {

// Reads digits at text[pos..]: between minDigits and maxDigits of them.
std::optional<int> Digits(const std::string& text, std::size_t& pos, std::size_t minDigits, std::size_t maxDigits) {
    std::size_t n = 0;
    int value = 0;
    while (pos < text.size() && n < maxDigits && std::isdigit(static_cast<unsigned char>(text[pos])) != 0) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++n;
    }
    if (n < minDigits)
        return std::nullopt;
    return value;
}

bool Expect(const std::string& text, std::size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c)
        return false;
    ++pos;
    return true;
}

// A time "H:MM" or "H:MM:SS" at pos, as seconds.
std::optional<double> ReadTime(const std::string& text, std::size_t& pos) {
    const auto h = Digits(text, pos, 1, 2);
    if (!h || !Expect(text, pos, ':'))
        return std::nullopt;
    const auto m = Digits(text, pos, 2, 2);
    if (!m || *h > 23 || *m > 59)
        return std::nullopt;
    int sec = 0;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        const auto s = Digits(text, pos, 2, 2);
        if (!s || *s > 59)
            return std::nullopt;
        sec = *s;
    }
    return *h * 3600.0 + *m * 60.0 + sec;
}

// A date "YYYY-MM-DD", a date and a time, or a time alone, as seconds on one scale.
std::optional<double> ReadDateTime(const std::string& text) {
    std::size_t pos = 0;
    if (text.find('-') == std::string::npos) {
        if (text.find(':') == std::string::npos)
            return std::nullopt;
        const auto t = ReadTime(text, pos);
        return t && pos == text.size() ? t : std::nullopt;
    }
    const auto y = Digits(text, pos, 4, 4);
    if (!y || !Expect(text, pos, '-'))
        return std::nullopt;
    const auto mo = Digits(text, pos, 1, 2);
    if (!mo || !Expect(text, pos, '-'))
        return std::nullopt;
    const auto d = Digits(text, pos, 1, 2);
    if (!d || *mo < 1 || *mo > 12 || *d < 1 || *d > 31)
        return std::nullopt;
    // Days on a scale where only the order matters.
    double seconds = ((*y * 12.0 + (*mo - 1)) * 31.0 + (*d - 1)) * 86400.0;
    if (pos == text.size())
        return seconds;
    if (!Expect(text, pos, ' '))
        return std::nullopt;
    const auto t = ReadTime(text, pos);
    if (!t || pos != text.size())
        return std::nullopt;
    return seconds + *t;
}

// A decimal number: an optional sign, digits and an optional fraction.
std::optional<double> ReadNumber(const std::string& text) {
    if (text.empty() || text.size() > 40)
        return std::nullopt;
    std::size_t pos = text[0] == '-' || text[0] == '+' ? 1 : 0;
    bool digits = false;
    bool point = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (std::isdigit(static_cast<unsigned char>(c)) != 0)
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            return std::nullopt;
    }
    if (!digits)
        return std::nullopt;
    return std::strtod(text.c_str(), nullptr);
}

QCollator& Collator() {
    static QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseSensitive);
        return c;
    }();
    return collator;
}

// A cell text prepared once for the comparisons of a sort.
struct SortKey {
    enum Kind { Text, Number, Time } kind = Text;
    double value = 0;
    QString text;
};

SortKey MakeKey(const std::string& text) {
    SortKey key;
    key.text = QString::fromStdString(text);
    if (const auto t = ReadDateTime(text)) {
        key.kind = SortKey::Time;
        key.value = *t;
    } else if (const auto n = ReadNumber(text)) {
        key.kind = SortKey::Number;
        key.value = *n;
    }
    return key;
}

int CompareKeys(const SortKey& a, const SortKey& b) {
    if (a.kind == b.kind && a.kind != SortKey::Text)
        return a.value < b.value ? -1 : (a.value > b.value ? 1 : 0);
    return Collator().compare(a.text, b.text);
}

} // namespace

std::string TClipListModel::CellText(const TClipObj& clip, int column) {
    const clipstore::TClipContext& st = clip.Context();
    auto has = [&clip](platform::UINT format) { return format != 0 && clip.HasIcon(format) ? "Y" : "N"; };
    switch (column) {
    case ColTitle:
        return clip.Title;
    case ColMySort:
        return std::to_string(clip.SortKey);
    case ColDateTime:
        return clip.STimeStamp();
    case ColSource:
        return clip.Creator;
    case ColSerial:
        return std::to_string(clip.SerialNbr);
    case ColHasText:
        return has(platform::CF_TEXT);
    case ColHasRtf:
        return has(st.RtfFormat);
    case ColHasBmp:
        return has(platform::CF_BITMAP);
    case ColHasPicture:
        return has(platform::CF_METAFILEPICT);
    case ColHasHtml:
        return has(st.HtmlFormat);
    case ColHasFiles:
        return has(platform::CF_HDROP);
    case ColSourceUrl:
        return clip.SourceURL;
    default:
        return {};
    }
}

std::array<int, TClipListModel::ColumnCount> TClipListModel::ParseColumnWidths(const std::string& text) {
    constexpr int MaxWidth = 5000;
    std::array<int, ColumnCount> widths = ColumnWidths;
    std::size_t column = 0;
    std::size_t pos = 0;
    while (column < widths.size() && pos <= text.size()) {
        std::size_t end = text.find(',', pos);
        if (end == std::string::npos)
            end = text.size();
        const std::string item = text.substr(pos, end - pos);
        if (const auto n = ReadNumber(item); n && item.find('.') == std::string::npos && *n >= 0 && *n <= MaxWidth)
            widths[column] = static_cast<int>(*n);
        ++column;
        pos = end + 1;
    }
    return widths;
}

std::string TClipListModel::FormatColumnWidths(const std::array<int, ColumnCount>& widths) {
    std::string text;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        if (i > 0)
            text += ',';
        text += std::to_string(widths[i]);
    }
    return text;
}

int TClipListModel::FormatIconCount(const TClipObj& clip) {
    const clipstore::TClipContext& st = clip.Context();
    int count = 0;
    for (const platform::UINT format : {platform::CF_TEXT, st.RtfFormat, platform::CF_BITMAP, platform::CF_METAFILEPICT,
                                        st.HtmlFormat, platform::CF_HDROP})
        if (format != 0 && clip.HasIcon(format))
            ++count;
    return count;
}

int TClipListModel::CompareCells(const std::string& a, const std::string& b) {
    return CompareKeys(MakeKey(a), MakeKey(b));
}

void TClipListModel::Bind(TClipColl* coll) {
    const bool hadSelection = SelectedCount() > 0;
    coll_ = coll;
    rows_.clear();
    selected_.clear();
    focused_ = -1;
    RowsReset.Emit();
    if (hadSelection)
        SelectionChanged.Emit();
}

void TClipListModel::UpdateLVClips() {
    const bool hadSelection = SelectedCount() > 0;
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
    RowsReset.Emit();
    if (hadSelection)
        SelectionChanged.Emit();
}

void TClipListModel::SortBySortKey(bool ascending) {
    std::stable_sort(rows_.begin(), rows_.end(), [ascending](const TClipObj* a, const TClipObj* b) {
        return ascending ? a->SortKey < b->SortKey : a->SortKey > b->SortKey;
    });
    selected_.assign(rows_.size(), false);
    focused_ = -1;
    RowsReset.Emit();
}

void TClipListModel::Sort(int column, bool ascending) {
    if (column < 0 || column >= ColumnCount)
        column = ColMySort;
    sortColumn_ = column;
    ascending_ = ascending;
    std::vector<std::size_t> order(rows_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const bool wholeNumbers =
        (column == ColMySort || column == ColSerial) && std::find(rows_.begin(), rows_.end(), nullptr) == rows_.end();
    if (wholeNumbers) {
        // The cells of these columns are the clips' numbers: ordered by value, as their texts would be
        // ordered, without a text per row (this is the sort of every collection as it is loaded).
        std::vector<std::int32_t> values;
        values.reserve(rows_.size());
        for (const TClipObj* clip : rows_)
            values.push_back(column == ColMySort ? clip->SortKey : clip->SerialNbr);
        std::stable_sort(order.begin(), order.end(), [&values, ascending](std::size_t a, std::size_t b) {
            return ascending ? values[a] < values[b] : values[a] > values[b];
        });
    } else {
        std::vector<SortKey> keys;
        keys.reserve(rows_.size());
        for (const TClipObj* clip : rows_)
            keys.push_back(MakeKey(clip != nullptr ? CellText(*clip, column) : std::string()));
        // A merge sort: safe even where mixed kinds of cells do not order consistently.
        std::stable_sort(order.begin(), order.end(), [&keys, ascending](std::size_t a, std::size_t b) {
            const int c = CompareKeys(keys[a], keys[b]);
            return ascending ? c < 0 : c > 0;
        });
    }
    std::vector<TClipObj*> rows(rows_.size());
    std::vector<bool> selected(rows_.size());
    int focused = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        rows[i] = rows_[order[i]];
        selected[i] = selected_[order[i]];
        if (static_cast<int>(order[i]) == focused_)
            focused = static_cast<int>(i);
    }
    rows_ = std::move(rows);
    selected_ = std::move(selected);
    focused_ = focused;
    RowsReset.Emit();
}

void TClipListModel::SortAsSaved() {
    if (coll_ != nullptr)
        Sort(coll_->SortColumn, coll_->SortAscending);
}

void TClipListModel::ColumnClick(int column) {
    if (coll_ == nullptr || column < 0 || column >= ColumnCount)
        return;
    bool ascending = coll_->SortAscending;
    if (column == coll_->SortColumn)
        ascending = !ascending;
    coll_->SortColumn = column;
    coll_->SortAscending = ascending;
    coll_->SetDirty(true);
    Sort(column, ascending);
}

void TClipListModel::PickListColumnClick() {
    if (coll_ == nullptr)
        return;
    Sort(coll_->SortColumn, !ascending_);
}

std::size_t TClipListModel::AddToLists(TClipObj* clip, bool select, int position) {
    const std::size_t row = position == 1 ? 0 : rows_.size();
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(row), clip);
    selected_.insert(selected_.begin() + static_cast<std::ptrdiff_t>(row), false);
    if (focused_ >= 0 && static_cast<std::size_t>(focused_) >= row)
        ++focused_;
    RowInserted.Emit(row);
    if (select)
        SelectOnly(row);
    return row;
}

void TClipListModel::RemoveClip(const TClipObj* clip) {
    bool removed = false;
    bool removedSelected = false;
    for (std::size_t row = rows_.size(); row-- > 0;) {
        if (rows_[row] != clip)
            continue;
        removedSelected = removedSelected || selected_[row];
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(row));
        selected_.erase(selected_.begin() + static_cast<std::ptrdiff_t>(row));
        if (focused_ == static_cast<int>(row))
            focused_ = -1;
        else if (focused_ > static_cast<int>(row))
            --focused_;
        removed = true;
    }
    if (removed)
        RowsReset.Emit();
    if (removedSelected)
        SelectionChanged.Emit();
}

void TClipListModel::RemoveClips(const std::vector<const TClipObj*>& clips) {
    const std::unordered_set<const TClipObj*> gone(clips.begin(), clips.end());
    bool removedSelected = false;
    std::size_t kept = 0;
    int focused = -1;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (gone.contains(rows_[row])) {
            removedSelected = removedSelected || selected_[row];
            continue;
        }
        if (focused_ == static_cast<int>(row))
            focused = static_cast<int>(kept);
        rows_[kept] = rows_[row];
        selected_[kept] = selected_[row];
        ++kept;
    }
    if (kept == rows_.size())
        return;
    rows_.resize(kept);
    selected_.resize(kept);
    focused_ = focused;
    RowsReset.Emit();
    if (removedSelected)
        SelectionChanged.Emit();
}

std::size_t TClipListModel::MoveSelectedBefore(std::size_t target) {
    std::vector<TClipObj*> moved;
    std::vector<TClipObj*> rest;
    std::size_t insertAt = 0;
    for (std::size_t row = 0; row < rows_.size(); ++row) {
        if (row == target)
            insertAt = rest.size();
        (selected_[row] && row != target ? moved : rest).push_back(rows_[row]);
    }
    if (moved.empty())
        return target;
    rest.insert(rest.begin() + static_cast<std::ptrdiff_t>(insertAt), moved.begin(), moved.end());
    rows_ = std::move(rest);
    const std::size_t last = insertAt + moved.size() - 1;
    selected_.assign(rows_.size(), false);
    selected_[last] = true;
    focused_ = static_cast<int>(last);
    RowsReset.Emit();
    SelectionChanged.Emit();
    return last;
}

void TClipListModel::Clear() {
    Bind(nullptr);
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
    SelectionChanged.Emit();
}

void TClipListModel::SelectOnly(std::size_t row) {
    if (row >= rows_.size())
        return;
    selected_.assign(rows_.size(), false);
    selected_[row] = true;
    focused_ = static_cast<int>(row);
    SelectionChanged.Emit();
}

void TClipListModel::ClearSelection() {
    if (std::find(selected_.begin(), selected_.end(), true) == selected_.end())
        return;
    selected_.assign(rows_.size(), false);
    SelectionChanged.Emit();
}

void TClipListModel::SelectAll() {
    if (rows_.empty() || SelectedCount() == rows_.size())
        return;
    selected_.assign(rows_.size(), true);
    SelectionChanged.Emit();
}

void TClipListModel::SetSelection(const std::vector<std::size_t>& rows, int focused) {
    std::vector<bool> selected(rows_.size(), false);
    for (std::size_t row : rows)
        if (row < rows_.size())
            selected[row] = true;
    focused_ = focused >= 0 && static_cast<std::size_t>(focused) < rows_.size() ? focused : -1;
    if (selected == selected_)
        return;
    selected_ = std::move(selected);
    SelectionChanged.Emit();
}

} // namespace bx::shell
