#pragma once

#include <string>
#include <vector>

namespace bx::bench {

// Runs a program to its end and measures it: the wall time from just before the fork until its exit
// was seen, and its peak resident size (the kernel's maximum RSS of the child).
class TProcessRun {
public:
    struct Result {
        double Ms = 0;
        // The exit status; 128 + the signal when a signal ended it.
        int ExitCode = -1;
        long MaxRssKiB = 0;
        // Standard output when asked for (else it goes to /dev/null) and standard error.
        std::string Output;
        std::string Error;
    };

    // argv[0] is the program's path. env empty: this process's environment. A program still running
    // after timeoutMs is killed and reported as an error (std::runtime_error).
    static Result Run(const std::vector<std::string>& argv, const std::vector<std::string>& env, int timeoutMs,
                      bool captureOutput = false);
    // This process's environment without the variables named.
    static std::vector<std::string> Environment(const std::vector<std::string>& without);
};

} // namespace bx::bench
