#pragma once

#include <string>

namespace bx::clipstore {
class TClipColl;
class TMasterList;
} // namespace bx::clipstore

namespace bx::shell {

class ICollectionDialogs;
class TBrindlexCore;

// The user's commands on collections, from the collection tree's context menu (on the node under the
// pointer) and the main menu (on the selected node): saving and reloading everything, emptying the
// trash can, making, deleting and configuring a collection, its icon, its place among its siblings,
// adding and removing data sources, and importing the collections of an earlier installation. Dialogs
// come through ICollectionDialogs, boxes through the core's IMessageBoxes; what changed reaches the
// window as the collection tree's Changed and the core's events (DataLoaded after a reload).
//
// A collection's directory name comes from its title and never leaves its parent's directory.
class TCollectionCommands {
public:
    // New collections get keys below this bound, between their siblings' and it.
    static constexpr int SortKeyBound = 64000;

    TCollectionCommands(TBrindlexCore& core, ICollectionDialogs& dialogs);

    // The node the main menu's commands act on: the selected one, else the first; -1 without nodes.
    int MainMenuNode() const;

    void SaveAll();
    void ReloadAll();
    void EmptyTrash();
    // A child collection of the node's collection.
    void NewCollection(int node);
    // An empty leaf collection and its directory.
    void DeleteCollection(int node);
    // The properties of the node's collection, or of its data source for a data-source root.
    void Properties(int node);
    void ChangeIcon(int node);
    // Moves the node's collection before its previous sibling (up) or after its next (down).
    void Sort(int node, bool up);
    void AddDataSource();
    void DeleteDataSource(int node);
    void Import();

    // Builds the tree again from the master list and selects the node of select (expanded to it).
    void RefreshTree(const clipstore::TClipColl* select);

private:
    clipstore::TClipColl* CollOf(int node) const;
    // Saves everything, then loads every data source again.
    void Reload();
    void Info(const std::string& text) const;
    void Error(const std::string& text) const;
    bool Ask(const std::string& text) const;
    // Asks for the name until it is usable; false when the prompt was cancelled.
    bool NameNewCollection(clipstore::TClipColl& coll, const clipstore::TClipColl& parent);

    TBrindlexCore& core_;
    ICollectionDialogs& dialogs_;
};

} // namespace bx::shell
