#include "TDataSourceList.h"

#include <limits>
#include <utility>

namespace bx::clipstore {

std::size_t TDataSourceList::Add(std::string name, std::unique_ptr<TDataSource> source) {
    entries_.push_back(Entry{std::move(name), std::move(source)});
    return entries_.size() - 1;
}

void TDataSourceList::Attach(std::size_t index, std::unique_ptr<TDataSource> source) {
    entries_.at(index).Source = std::move(source);
}

void TDataSourceList::Exchange(std::size_t a, std::size_t b) {
    std::swap(entries_.at(a), entries_.at(b));
}

void TDataSourceList::Delete(std::size_t index) {
    if (index >= entries_.size())
        return;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
    if (CurrentDataSource >= entries_.size())
        CurrentDataSource = 0;
}

void TDataSourceList::Clear() {
    entries_.clear();
    CurrentDataSource = 0;
}

int TDataSourceList::IndexOf(const std::string& name) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].Name == name)
            return static_cast<int>(i);
    return -1;
}

int TDataSourceList::IndexOf(const TDataSource* source) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (source != nullptr && entries_[i].Source.get() == source)
            return static_cast<int>(i);
    return -1;
}

void TDataSourceList::NoteNumber(int number) {
    if (number < std::numeric_limits<int>::max() && number + 1 > NextDataSourceNumber)
        NextDataSourceNumber = number + 1;
}

} // namespace bx::clipstore
