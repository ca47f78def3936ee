#pragma once

#include <functional>
#include <string>

namespace bx::clipstore {

// Moves a collection's directory, with its files and the directories of its child collections, to
// another place. On one file system that is one rename. Across file systems (the rename fails with
// EXDEV) the source first gets a note naming the destination ("_MOVED.BX4"), the tree is copied into a
// hidden directory beside the destination (".bxmove-" + name: names with a dot are never loaded; every
// file written through a temporary file, flushed, renamed), that directory is renamed into place and
// only then is the source removed, the note last. A load that meets a source with a note whose
// destination exists finishes the removal and skips it (IsMovedAway); with the destination missing the
// note is dropped and the source loads as before. A failure before the final rename leaves the source
// whole and removes the copy. Symbolic links are never followed: the source must be a real directory,
// and links inside it are left behind.
class TCollectionRelocation {
public:
    static constexpr const char* MarkerName = "_MOVED.BX4";
    static constexpr const char* TempPrefix = ".bxmove-";

    // Renames a path: 0, or the errno of the failure. Tests put a file system boundary in here.
    using RenameFunction = std::function<int(const std::string& from, const std::string& to)>;

    // rename: empty for the system's rename.
    explicit TCollectionRelocation(RenameFunction rename = {});

    // Moves the directory from to to (both may end in "/"). Raises std::runtime_error with the reason,
    // the source whole, when it cannot. Returns false when everything arrived but the source directory
    // could not be removed completely (a load finishes that).
    bool Move(const std::string& from, const std::string& to);

    // dir carries the note of a move whose destination exists: it is what is left of the source, and it
    // is removed (unless readOnly). Without such a note, false; a note whose destination is missing is
    // removed (unless readOnly).
    static bool IsMovedAway(const std::string& dir, bool readOnly);
    // A hidden copy left by a move across file systems that stopped before its rename.
    static bool IsTempName(const std::string& name);

private:
    void CopyAcross(const std::string& from, const std::string& to);
    static void CopyTree(const std::string& from, const std::string& to);
    // Removes the source's entries (the note last) and the directory itself.
    static bool RemoveSource(const std::string& dir);

    RenameFunction rename_;
};

} // namespace bx::clipstore
