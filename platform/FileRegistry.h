#pragma once

#include "IRegistry.h"
#include "IUserDirs.h"
#include "MemoryRegistry.h"

#include <string>
#include <string_view>
#include <vector>

namespace bx::platform {

// The settings store kept in one text file of the user's, by default
// $XDG_CONFIG_HOME/Quorvanti/Brindlex5.conf (~/.config when XDG_CONFIG_HOME is not set).
// The tree lives in memory (case rules and order as in MemoryRegistry); the file is read when the
// store is made and written, atomically and private to the user, by Flush (and at destruction when
// something is still unwritten).
//
// File format, UTF-8 text, one item per line, lines ended by LF:
//   # Brindlex settings store, format 1      first line, required
//   # any other line beginning with "#" is a comment; empty lines are ignored
//   [Software/Quorvanti/Brindlex5/Position]  a key: its path, names separated by "/"; "[]" the root
//   Left1=120                                a value of the key above: name "=" text
// Every key is written, also one without values, parents before children, in creation order.
// In names and texts these characters are written escaped: "\\" backslash, "\n" LF, "\r" CR,
// "\t" tab, "\=", "\/", "\[", "\]", "\#" for themselves, "\xHH" any other control character.
// Any other byte stands for itself, so every text round-trips.
//
// A file that cannot be read or parsed is never overwritten: it is renamed to
// "<file>.unreadable-<n>" (the first free n) and the store starts empty, so the program runs with
// its defaults; a line saying so goes to the log, at once when the log exists, else it is held until
// the log takes it (TakeHeldLogLines). When the file can be neither read nor moved aside, this run
// keeps its settings in memory only and Flush refuses to write.
class FileRegistry : public IRegistry {
public:
    static constexpr const char* FileName = "Brindlex5.conf";
    static constexpr const char* FirstLine = "# Brindlex settings store, format 1";
    // Files beyond these bounds are not read (and are moved aside): a settings file is a few
    // kilobytes, and these keep a damaged or hostile one from exhausting time or stack.
    static constexpr std::size_t MaxFileSize = 4u << 20;
    static constexpr std::size_t MaxEntries = 10000; // keys and values together
    static constexpr std::size_t MaxKeyDepth = 64;

    struct HeldLine {
        int level;
        std::string where;
        std::string what;
    };

    // The store in the user's configuration folder (see DefaultPath, with the process environment).
    FileRegistry();
    // The store in the given file; an empty path keeps the store in memory only.
    explicit FileRegistry(std::string path);
    ~FileRegistry() override;
    FileRegistry(const FileRegistry&) = delete;
    FileRegistry& operator=(const FileRegistry&) = delete;

    // $XDG_CONFIG_HOME/Quorvanti/Brindlex5.conf when XDG_CONFIG_HOME is an absolute path, else
    // <home>/.config/Quorvanti/Brindlex5.conf; empty when the home directory is unknown too.
    static std::string DefaultPath(const IUserDirs& dirs);

    std::optional<std::string> ReadValue(std::string_view keyPath, std::string_view name) const override;
    void WriteValue(std::string_view keyPath, std::string_view name, std::string_view value) override;
    bool DeleteValue(std::string_view keyPath, std::string_view name) override;
    bool DeleteKey(std::string_view keyPath) override;
    bool KeyExists(std::string_view keyPath) const override;
    std::vector<std::string> SubKeyNames(std::string_view keyPath) const override;
    std::vector<std::string> ValueNames(std::string_view keyPath) const override;
    // Writes the file when something changed since it was read or last written.
    bool Flush() override;

    const std::string& Path() const { return path_; }
    // Empty when the file was read or did not exist; else what happened to it.
    const std::string& LoadProblem() const { return loadProblem_; }

    // The file's text for a tree, and the tree for a text (false, with the line's fault in error,
    // when the text is not a store file; the tree is then left empty).
    static std::string Serialize(const IRegistry& tree);
    static bool Parse(std::string_view text, MemoryRegistry& into, std::string* error = nullptr);

    // Log lines that arose before the log existed; the log takes them once it is made.
    static std::vector<HeldLine> TakeHeldLogLines();

private:
    void Load();
    void SetAside(const std::string& reason);
    static void Report(int level, const std::string& what);

    std::string path_;
    MemoryRegistry memory_;
    bool dirty_ = false;
    bool writable_ = true;
    std::string loadProblem_;
};

} // namespace bx::platform
