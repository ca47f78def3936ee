// Runs a crash test's child program and kills it (SIGKILL) a chosen time after it has reached the step
// under test. The child says where it is by writing one byte to its standard output per step reached.
#pragma once

#include <chrono>
#include <csignal>
#include <string>
#include <thread>
#include <vector>

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace bx::clipstore::crashtest {

struct ChildRun {
    bool signalled = false; // it reached the step under test
    int exitCode = -1;
    std::chrono::microseconds stepTime{0}; // from reaching the step to its end
};

// Runs argv; once the child has written steps bytes (none: at once), waits killAfter and kills it (never
// when killAfter is negative).
inline ChildRun RunChild(const std::vector<std::string>& argv, int steps, std::chrono::microseconds killAfter) {
    using namespace std::chrono;
    ChildRun run;
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return run;
    std::vector<char*> args;
    for (const std::string& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        ::close(pipeFds[0]);
        ::close(pipeFds[1]);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    pollfd fd{pipeFds[0], POLLIN, 0};
    char byte = 0;
    bool reached = true;
    for (int i = 0; i < steps && reached; ++i)
        reached = ::poll(&fd, 1, 60000) == 1 && ::read(pipeFds[0], &byte, 1) == 1;
    if (reached) {
        run.signalled = true;
        const auto start = steady_clock::now();
        if (killAfter.count() >= 0) {
            std::this_thread::sleep_for(killAfter);
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        run.stepTime = duration_cast<microseconds>(steady_clock::now() - start);
        if (WIFEXITED(status))
            run.exitCode = WEXITSTATUS(status);
    } else {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    ::close(pipeFds[0]);
    return run;
}

} // namespace bx::clipstore::crashtest
