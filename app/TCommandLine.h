#pragma once

#include <string>
#include <vector>

namespace bx::app {

// The program's command line, read before anything needs a display: "--help" and "--version" are
// answered at once, an unknown option or argument ends the program with a one-line error.
class TCommandLine {
public:
    static constexpr int ExitUsage = 2;

    // What the program is to do.
    struct Options {
        bool done = false; // answered already (help, version, an error): end with exitCode
        int exitCode = 0;
        bool defaultDataDir = false;
        bool benchExitWhenLoaded = false;
        // The arguments the program's start reads ("NOCAPTURE").
        std::vector<std::string> startArgs;
    };

    // Prints help, the version and errors itself.
    static Options Parse(int argc, char** argv);
};

} // namespace bx::app
