#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace bx::shell {

// The command-line inspector "brindlex dump DIR": the collection stored in DIR as JSON, read without
// changing anything on disk and without a desktop. The collection's fields come first, then every clip
// with its metadata and formats; each format's payload is identified by its SHA-256 (a picture format
// by the hash of its picture file). Data files are read one clip at a time and dropped again.
//
// Format numbers are shown as stored: registered formats keep the number of the run that saved them.
// The JSON shape is documented in the README under "Inspecting stored data".
class TCollectionDump {
public:
    static constexpr int ExitOk = 0;
    // Wrong arguments.
    static constexpr int ExitUsage = 1;
    // No collection file in the directory, or it cannot be read at all: nothing on standard output.
    static constexpr int ExitUnreadable = 2;
    // The collection was read, but items or data files of it could not be: the JSON shows what was
    // read and marks what was not.
    static constexpr int ExitDamaged = 3;

    struct Result {
        int ExitCode = ExitOk;
        std::string Json;  // empty with ExitUnreadable
        std::string Error; // one line, empty with ExitOk
    };

    // The JSON of the collection in dir (a trailing "/" is optional).
    static Result Dump(const std::string& dir);
    // The command: args are the words after the program's name ("dump", DIR). The JSON goes to out,
    // the one-line error to err; returns the exit status.
    static int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
};

} // namespace bx::shell
