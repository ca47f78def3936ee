#include "TCollectionRelocation.h"

#include "AtomicFile.h"
#include "AtomicFileWriter.h"
#include "LogHook.h"
#include "TClipColl.h"
#include "TDirFiles.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <vector>

#include <sys/stat.h>

namespace bx::clipstore {

using namespace platform;

namespace fs = std::filesystem;

namespace {

constexpr std::size_t PieceSize = 256 * 1024;
constexpr std::size_t MaxMarkerBytes = 8192;

std::string WithoutSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string ParentOf(const std::string& path) {
    return fs::path(path).parent_path().string();
}

bool IsRealDirectory(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

void CopyFile(const std::string& from, const std::string& to) {
    std::ifstream in(from, std::ios::binary);
    if (!in)
        throw std::runtime_error("Could not read " + from + ": " + std::strerror(errno));
    AtomicFileWriter out;
    std::string error;
    if (!out.Open(to, &error))
        throw std::runtime_error("Could not write " + to + ": " + error);
    std::vector<char> piece(PieceSize);
    while (in) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        const auto got = static_cast<std::size_t>(in.gcount());
        if (got > 0 && !out.Append({reinterpret_cast<const std::uint8_t*>(piece.data()), got}, &error))
            throw std::runtime_error("Could not write " + to + ": " + error);
    }
    if (in.bad())
        throw std::runtime_error("Could not read " + from);
    if (!out.Commit(&error))
        throw std::runtime_error("Could not write " + to + ": " + error);
}

} // namespace

TCollectionRelocation::TCollectionRelocation(RenameFunction rename) : rename_(std::move(rename)) {
    if (!rename_)
        rename_ = [](const std::string& from, const std::string& to) {
            return std::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
        };
}

bool TCollectionRelocation::IsTempName(const std::string& name) {
    return name.rfind(TempPrefix, 0) == 0;
}

bool TCollectionRelocation::Move(const std::string& fromPath, const std::string& toPath) {
    SetTraceLocation("TfrmBX.RelocateNode");
    const std::string from = WithoutSlash(fromPath);
    const std::string to = WithoutSlash(toPath);
    if (!IsRealDirectory(from))
        throw std::runtime_error("Not a collection directory: " + from);
    if (Exists(to))
        throw std::runtime_error("A directory of that name already exists: " + to);
    if ((to + "/").rfind(from + "/", 0) == 0)
        throw std::runtime_error("You cannot drop onto a descendant.");
    std::error_code ec;
    fs::create_directories(ParentOf(to), ec);
    if (ec)
        throw std::runtime_error("Could not create " + ParentOf(to) + ": " + ec.message());
    const int failure = rename_(from, to);
    if (failure == EXDEV) {
        CopyAcross(from, to);
        return RemoveSource(from);
    }
    if (failure != 0)
        throw std::runtime_error("Could not move " + from + " to " + to + ": " + std::strerror(failure));
    AtomicFile::SyncDirectory(ParentOf(to));
    AtomicFile::SyncDirectory(ParentOf(from));
    LogMsg(LogDataEvents, "RelocateNode", "Moved " + from + " To " + to);
    return true;
}

void TCollectionRelocation::CopyAcross(const std::string& from, const std::string& to) {
    const std::string marker = from + "/" + MarkerName;
    const std::string temp = ParentOf(to) + "/" + TempPrefix + fs::path(to).filename().string();
    std::error_code ec;
    fs::remove_all(temp, ec); // a copy an earlier move left unfinished
    const std::string note = to + "\n";
    std::string error;
    if (!AtomicFile::Write(marker, {reinterpret_cast<const std::uint8_t*>(note.data()), note.size()}, &error))
        throw std::runtime_error("Could not write " + marker + ": " + error);
    try {
        CopyTree(from, temp);
        const int failure = rename_(temp, to);
        if (failure != 0)
            throw std::runtime_error("Could not move " + temp + " to " + to + ": " + std::strerror(failure));
        AtomicFile::SyncDirectory(ParentOf(to));
    } catch (...) {
        fs::remove_all(temp, ec);
        fs::remove(marker, ec);
        AtomicFile::SyncDirectory(from);
        throw;
    }
    LogMsg(LogDataEvents, "RelocateNode", "Copied " + from + " To " + to);
}

void TCollectionRelocation::CopyTree(const std::string& from, const std::string& to) {
    std::error_code ec;
    if (!fs::create_directory(to, ec) || ec)
        throw std::runtime_error("Could not create " + to + ": " + ec.message());
    fs::permissions(to, static_cast<fs::perms>(AtomicFile::PrivateDirMode), ec);
    for (fs::directory_iterator it(from, ec), end; it != end; it.increment(ec)) {
        if (ec)
            break;
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        const fs::file_type type = it->symlink_status(typeError).type();
        if (type == fs::file_type::regular) {
            if (name != MarkerName)
                CopyFile(it->path().string(), to + "/" + name);
        } else if (type == fs::file_type::directory) {
            CopyTree(it->path().string(), to + "/" + name);
        } else {
            LogMsg(LogErrors, "RelocateNode", "Not Copied (Not A File): " + it->path().string());
        }
    }
    if (ec)
        throw std::runtime_error("Could not list " + from + ": " + ec.message());
    if (!AtomicFile::SyncDirectory(to))
        throw std::runtime_error("Could not flush " + to);
}

bool TCollectionRelocation::RemoveSource(const std::string& dir) {
    std::error_code ec;
    bool whole = true;
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().filename() != MarkerName)
            entries.push_back(it->path());
    for (const fs::path& entry : entries) {
        std::error_code removeError;
        fs::remove_all(entry, removeError); // removes links themselves, never what they point to
        whole = whole && !removeError;
    }
    if (!whole)
        return false;
    AtomicFile::SyncDirectory(dir);
    fs::remove(fs::path(dir) / MarkerName, ec);
    fs::remove(dir, ec);
    AtomicFile::SyncDirectory(ParentOf(dir));
    return !ec;
}

bool TCollectionRelocation::IsMovedAway(const std::string& directory, bool readOnly) {
    const std::string dir = WithoutSlash(directory);
    // Written by the program under this exact name: looked up without reading the directory.
    const std::string marker = dir + "/" + MarkerName;
    std::error_code ec;
    if (fs::symlink_status(marker, ec).type() != fs::file_type::regular)
        return false;
    const auto size = fs::file_size(marker, ec);
    std::string to;
    if (!ec && size <= MaxMarkerBytes) {
        std::ifstream in(marker, std::ios::binary);
        std::getline(in, to);
    }
    const bool arrived = !to.empty() && to.front() == '/' && to != dir && IsRealDirectory(to) &&
                         TDirFiles::Exists(to + "/", TClipColl::FileName);
    if (readOnly)
        return arrived;
    if (arrived) {
        LogMsg(LogErrors, "TMasterList.LoadFromDirectory", "Removing What A Move Left Behind: " + dir);
        RemoveSource(dir);
        return true;
    }
    fs::remove(marker, ec);
    return false;
}

} // namespace bx::clipstore
