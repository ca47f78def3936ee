#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>

namespace bx::platform {

// A file that only grows at its end, made durable on request: a journal. It is opened on the first
// append (created private to the user, 0600, its directory flushed so that the new name survives a
// crash) and stays open until it is closed, cut or removed.
class AppendFile {
public:
    explicit AppendFile(std::string path) : path_(std::move(path)) {}
    ~AppendFile();
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    const std::string& Path() const { return path_; }
    // Writes bytes at the end (all of them, or false with a reason in error when given).
    bool Append(std::span<const std::uint8_t> bytes, std::string* error = nullptr);
    // Makes what was appended durable (fdatasync); true when nothing needed it.
    bool Sync(std::string* error = nullptr);
    // The file's size in bytes (it is opened, or made, first); 0 when it cannot be opened.
    std::uint64_t Size();
    // Whether bytes were appended since the last Sync.
    bool Unsynced() const { return unsynced_; }
    // Cuts the file to size bytes (a torn end) and makes that durable; true when there is no file.
    bool CutTo(std::uint64_t size, std::string* error = nullptr);
    // Removes the file (closing it first) and flushes its directory; true when there is none afterwards.
    bool Remove(std::string* error = nullptr);
    void Close();

private:
    bool Open(std::string* error);

    std::string path_;
    int fd_ = -1;
    std::uint64_t size_ = 0;
    bool unsynced_ = false;
};

} // namespace bx::platform
