#include "TChooseDataFolder.h"

#include "AtomicFile.h"

#include <filesystem>
#include <system_error>

#include <sys/stat.h>

namespace bx::shell {

using namespace platform;

namespace {

constexpr const char* BoxCaption = "Brindlex";

std::string WithoutSlash(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    return dir;
}

// Creates dir with its missing parents, new ones private to the user.
bool CreateFolders(const std::string& dir) {
    std::error_code ec;
    const std::filesystem::path path(dir);
    std::filesystem::path partial;
    for (const auto& part : path) {
        partial /= part;
        if (!std::filesystem::exists(partial, ec))
            ::mkdir(partial.c_str(), AtomicFile::PrivateDirMode);
    }
    return std::filesystem::is_directory(path, ec);
}

} // namespace

TChooseDataFolder::TChooseDataFolder(IMessageBoxes& boxes, FolderPicker picker, std::string suggestedDirectory,
                                     std::string caption)
    : boxes_(boxes), picker_(std::move(picker)), suggested_(std::move(suggestedDirectory)),
      caption_("Brindlex - " + caption), choice_(suggested_) {}

void TChooseDataFolder::UseDefault() {
    choice_ = suggested_;
    okEnabled_ = true;
}

void TChooseDataFolder::ChooseOwn() {
    boxes_.MessageBox("Choose the directory using the following dialog.  You are NOT limited to existing directories "
                      "- if the directory does not exist, simply type it into the path portion of the dialog, and it "
                      "will be created.  We recommend putting /data at the end.",
                      BoxCaption, MsgType::Information, MsgButtons::Ok);
    const auto picked = picker_ ? picker_(choice_) : std::nullopt;
    if (!picked || picked->empty())
        return;
    std::string path = WithoutSlash(*picked);
    if (path.find("data") == std::string::npos &&
        boxes_.MessageBox("Would you like to add \"/data\" to the end of that path?", BoxCaption, MsgType::Confirmation,
                          MsgButtons::YesNo) == MsgResult::Yes)
        path += "/data";
    // Only a full path names a folder the program can find again.
    if (path.empty() || path.front() != '/' || !CreateFolders(path)) {
        boxes_.MessageBox("Could not create directory - " + path +
                              "\nCheck the path, permissions, etc., and try again.",
                          BoxCaption, MsgType::Error, MsgButtons::Ok);
        return;
    }
    choice_ = path + "/";
    okEnabled_ = true;
}

void TChooseDataFolder::Ok() {
    if (!okEnabled_)
        return;
    result_ = 1;
}

} // namespace bx::shell
