#pragma once

#include <functional>
#include <string>
#include <vector>

namespace bx::platform {
class IMessageBoxes;
}

namespace bx::clipstore {

// Brings the collections of an earlier installation into the data: each collection directory found
// directly in the old data folder (one holding a collection file) is confirmed by the user and copied
// file by file into the target data source. Sub-directories are not copied; the old icon file
// "_COLL.BMP" is left behind. Each file reaches the target through a temporary file that is flushed to
// the disk and then renamed, so an interrupted import never leaves a partial file under a real name; a
// file that cannot be copied is skipped and logged. Links are never followed, neither to directories
// nor to files. Reading the older file versions is the collection's and the clip's own work, at the
// reload that follows.
class TCollectionImport {
public:
    static constexpr const char* OldIconFile = "_COLL.BMP";
    static constexpr const char* ClashPrefix = "4_";

    struct Hooks {
        // Saves everything (before an existing collection's files are deleted).
        std::function<void()> SaveAll;
        // The status line.
        std::function<void(const std::string& text, bool busy)> Status;
    };

    TCollectionImport(platform::IMessageBoxes& boxes, Hooks hooks);

    // Imports from oldFolder into targetRoot (both directories); returns the number of collections
    // imported. When none was, the failure is told ("Import Failed.").
    int Run(const std::string& oldFolder, const std::string& targetRoot);

    // The sub-directories of dir that the loader would see: no names with a dot, no links; sorted.
    static std::vector<std::string> SubDirectories(const std::string& dir);
    // Copies the regular files directly in from into to (created with its parents); returns how many
    // failed. An existing file of the same name is replaced.
    static int CopyFiles(const std::string& from, const std::string& to);
    // One file through a temporary file beside the target, flushed and renamed.
    static bool CopyFile(const std::string& from, const std::string& to);

private:
    bool ImportOne(const std::string& oldFolder, const std::string& targetRoot, std::string name);
    void Info(const std::string& text) const;
    bool Ask(const std::string& text) const;

    platform::IMessageBoxes& boxes_;
    Hooks hooks_;
};

} // namespace bx::clipstore
