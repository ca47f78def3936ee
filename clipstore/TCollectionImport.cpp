#include "TCollectionImport.h"

#include "AtomicFile.h"
#include "AtomicFileWriter.h"
#include "IMessageBoxes.h"
#include "LogHook.h"
#include "LogLevels.h"
#include "PrivateDirectories.h"
#include "TClipColl.h"
#include "TDirFiles.h"
#include "UniqueFd.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace bx::clipstore {

namespace fs = std::filesystem;
using platform::LogMsg;
using platform::MsgButtons;
using platform::MsgResult;
using platform::MsgType;

namespace {

constexpr const char* BoxCaption = "Brindlex";
constexpr const char* LineBreak = "\n";

bool IsRegularFile(const fs::directory_entry& entry) {
    std::error_code ec;
    return entry.symlink_status(ec).type() == fs::file_type::regular;
}

} // namespace

TCollectionImport::TCollectionImport(platform::IMessageBoxes& boxes, Hooks hooks)
    : boxes_(boxes), hooks_(std::move(hooks)) {}

void TCollectionImport::Info(const std::string& text) const {
    boxes_.MessageBox(text, BoxCaption, MsgType::Information, MsgButtons::Ok);
}

bool TCollectionImport::Ask(const std::string& text) const {
    return boxes_.MessageBox(text, BoxCaption, MsgType::Confirmation, MsgButtons::YesNo) == MsgResult::Yes;
}

std::vector<std::string> TCollectionImport::SubDirectories(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (it->symlink_status(typeError).type() != fs::file_type::directory)
            continue;
        const std::string name = it->path().filename().string();
        if (name.find('.') == std::string::npos)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool TCollectionImport::CopyFile(const std::string& from, const std::string& to) {
    const platform::UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (in.Get() < 0)
        return false;
    platform::AtomicFileWriter out;
    if (!out.Open(to))
        return false;
    std::array<std::uint8_t, 1 << 16> buffer{};
    for (;;) {
        const ssize_t n = ::read(in.Get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (!out.Append(std::span<const std::uint8_t>(buffer.data(), static_cast<std::size_t>(n))))
            return false;
    }
    return out.Commit();
}

int TCollectionImport::CopyFiles(const std::string& from, const std::string& to) {
    platform::CreatePrivateDirectories(to);
    int failed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
        if (!IsRegularFile(*it))
            continue;
        const std::string name = it->path().filename().string();
        if (!CopyFile(it->path().string(), TDirFiles::WithSlash(to) + name)) {
            ++failed;
            LogMsg(platform::LogErrors, "IMPORT COPY FAILED", it->path().string());
        }
    }
    return failed;
}

int TCollectionImport::Run(const std::string& oldFolder, const std::string& targetRoot) {
    platform::SetTraceLocation("TfrmBX.mnuImportClick");
    const std::string from = TDirFiles::WithSlash(oldFolder);
    int imported = 0;
    for (const std::string& name : SubDirectories(from))
        if (ImportOne(from, TDirFiles::WithSlash(targetRoot), name))
            ++imported;
    if (imported == 0) {
        if (hooks_.Status)
            hooks_.Status("Import Failed.", false);
        boxes_.MessageBox(std::string("Import Failed.") + LineBreak + "Brindlex" +
                              " was looking for collection folders WITHIN the folder that you chose, " + LineBreak +
                              "and none were there.  Make sure you are specifying the PARENT folder, which contains " +
                              LineBreak + "all of the individual collections.  ",
                          BoxCaption, MsgType::Error, MsgButtons::Ok);
    }
    return imported;
}

bool TCollectionImport::ImportOne(const std::string& oldFolder, const std::string& targetRoot, std::string name) {
    const std::string source = oldFolder + name;
    if (!TDirFiles::Exists(source + "/", TClipColl::FileName)) {
        boxes_.MessageBox("There are no valid Brindlex Collections In This Directory: [" + name + "]." + LineBreak +
                              "So this directory will not be imported.",
                          BoxCaption, MsgType::Error, MsgButtons::Ok);
        return false;
    }
    if (!Ask("Import This Collection: " + std::string(LineBreak) + name))
        return false;
    const std::string original = name;
    std::string target = targetRoot + name;
    std::error_code ec;
    if (fs::symlink_status(target, ec).type() != fs::file_type::not_found) {
        // Importing a collection onto itself (the old folder is the data source) never deletes it.
        const bool overwrite = fs::symlink_status(target, ec).type() == fs::file_type::directory &&
                               !fs::equivalent(source, target, ec) &&
                               Ask("You already have a collection With This Name: " + name + LineBreak +
                                   "Would you like to delete the existing collection and overwrite it with the one "
                                   "that is being imported?");
        if (overwrite) {
            if (hooks_.SaveAll)
                hooks_.SaveAll();
            LogMsg(platform::LogDataEvents, "DELETING EXISTING FOLDER", target);
            for (fs::directory_iterator it(target, ec), end; !ec && it != end; it.increment(ec)) {
                std::error_code typeError;
                if (it->symlink_status(typeError).type() != fs::file_type::directory) {
                    std::error_code removeError;
                    fs::remove(it->path(), removeError);
                }
            }
        } else {
            Info("You will have two collections with the same name: " + name + LineBreak +
                 "It is recommended that you rename one of them, in the Collection Properties dialog box.");
            name = ClashPrefix + name;
            target = targetRoot + name;
            // A further clash there is no directory of ours to write into.
            if (fs::symlink_status(target, ec).type() != fs::file_type::not_found &&
                fs::symlink_status(target, ec).type() != fs::file_type::directory)
                return false;
        }
    }
    if (hooks_.Status)
        hooks_.Status("Importing Clips...", true);
    LogMsg(platform::LogDataEvents, "IMPORTING", oldFolder + original);
    LogMsg(platform::LogDataEvents, "IMPORT TO", target);
    CopyFiles(source, target);
    TDirFiles::Remove(target + "/", OldIconFile);
    platform::AtomicFile::SyncDirectory(target);
    LogMsg(platform::LogDataEvents, "IMPORT COMPLETE", target);
    return true;
}

} // namespace bx::clipstore
