#pragma once

#include <cstdint>
#include <string>

namespace bx::platform {
class IMessageBoxes;
}

namespace bx::clipstore {

// What a collection needs of the master list that holds it and of the program around it. The master
// list implements it and hands itself to every collection it makes; a collection without one (a tool
// that reads a single collection, a test) works on its own: nothing beyond it is marked dirty, no
// message box is shown, purges run only for the trash can, and the special collections have no
// data-source directory.
class IMasterListLink {
public:
    virtual ~IMasterListLink() = default;

    // The master list's Dirty flag; the autosave watches it.
    virtual void SetDirty(bool value) = 0;
    // The sort key of a collection read from a file written before collections had one: the
    // program-wide counter's value, after which the counter grows by 250 (it starts at 1000 when the
    // master list is made).
    virtual std::int32_t NextOldFileSortKey() = 0;
    // The program's busy flag (SuppressListEvents): set from the start of start-up to the end of
    // loading the data, and again from the start of shut-down. Automatic deletion runs only then.
    virtual bool SuppressListEvents() const = 0;
    // The directory of the current data source, ending in "/"; empty when there is none. The trash
    // can, the search results and, while the default collections are being made, every top-level
    // collection lie directly in it.
    virtual std::string CurrentDataSourceDirectory() const = 0;
    // The settings flag that says the default collections are to be made.
    virtual bool NeedDefaultCollections() const = 0;
    // The message boxes of the program; nullptr shows none.
    virtual platform::IMessageBoxes* MessageBoxes() = 0;
    // A collection has noted a change for the capture journal (TClipColl::TakeJournalNotes).
    virtual void JournalNoted() {}
};

} // namespace bx::clipstore
