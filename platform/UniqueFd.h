#pragma once

namespace bx::platform {

// A file descriptor that is closed when its owner goes; -1 when there is none.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd();
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }

private:
    int fd_;
};

} // namespace bx::platform
