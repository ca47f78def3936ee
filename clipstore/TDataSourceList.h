#pragma once

#include "TDataSource.h"

#include <memory>
#include <string>
#include <vector>

namespace bx::clipstore {

// The program's data sources in order, each under its name (the name of its settings key), with the
// index of the current one and the number the next new data source gets. One list lives for the whole
// run: the settings fill it at start and write it back at the end.
class TDataSourceList {
public:
    struct Entry {
        std::string Name;
        // Empty while the name has been read but its data source not yet.
        std::unique_ptr<TDataSource> Source;
    };

    std::size_t Count() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }
    const std::string& Name(std::size_t index) const { return entries_.at(index).Name; }
    // nullptr when no data source is attached to the entry.
    TDataSource* Source(std::size_t index) const { return entries_.at(index).Source.get(); }
    const std::vector<Entry>& Entries() const { return entries_; }

    // Appends an entry; returns its index.
    std::size_t Add(std::string name, std::unique_ptr<TDataSource> source = nullptr);
    void Attach(std::size_t index, std::unique_ptr<TDataSource> source);
    void Exchange(std::size_t a, std::size_t b);
    // Does nothing for an index past the end.
    void Delete(std::size_t index);
    void Clear();
    // The index of the entry with exactly this name, or -1.
    int IndexOf(const std::string& name) const;
    // The index of the entry holding this data source, or -1.
    int IndexOf(const TDataSource* source) const;

    // The data source into which the special and new top-level collections are written.
    std::size_t CurrentDataSource = 0;
    // One more than the highest number read from the settings; adding a data source raises it by one
    // and gives the new data source that number.
    int NextDataSourceNumber = 1;
    // Raises NextDataSourceNumber past a number in use (it is never lowered).
    void NoteNumber(int number);

private:
    std::vector<Entry> entries_;
};

} // namespace bx::clipstore
