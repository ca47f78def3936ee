#include "TProcessRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <stdexcept>

extern char** environ;

namespace bx::bench {

namespace {

// A temporary file, open for the child to write and removed at once; read back through its descriptor.
int TempFile() {
    char path[] = "/tmp/brindlex-bench-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0)
        throw std::runtime_error("no temporary file");
    ::unlink(path);
    return fd;
}

std::string ReadAll(int fd) {
    std::string text;
    ::lseek(fd, 0, SEEK_SET);
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return text;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

std::vector<std::string> TProcessRun::Environment(const std::vector<std::string>& without) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        bool keep = true;
        for (const std::string& name : without)
            if (entry.rfind(name + "=", 0) == 0)
                keep = false;
        if (keep)
            env.push_back(entry);
    }
    return env;
}

TProcessRun::Result TProcessRun::Run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                                     int timeoutMs, bool captureOutput) {
    std::vector<std::string> args = argv;
    std::vector<std::string> vars = env.empty() ? Environment({}) : env;
    std::vector<char*> argp = Pointers(args);
    std::vector<char*> envp = Pointers(vars);
    const int out = captureOutput ? TempFile() : ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    const int err = TempFile();

    Result result;
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = ::fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        ::execve(argp[0], argp.data(), envp.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = ::wait4(pid, &status, WNOHANG, &usage);
        if (done == pid)
            break;
        if (done < 0)
            throw std::runtime_error("wait4 failed");
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(timeoutMs)) {
            ::kill(pid, SIGKILL);
            ::wait4(pid, &status, 0, &usage);
            ::close(out);
            throw std::runtime_error(argv[0] + " did not end within " + std::to_string(timeoutMs) +
                                     " ms: " + ReadAll(err));
        }
        // The wait is the benchmark's own: a tenth of a millisecond of resolution.
        const timespec pause{0, 100000};
        ::nanosleep(&pause, nullptr);
    }
    result.Ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.MaxRssKiB = usage.ru_maxrss;
    if (captureOutput)
        result.Output = ReadAll(out);
    else
        ::close(out);
    result.Error = ReadAll(err);
    return result;
}

} // namespace bx::bench
