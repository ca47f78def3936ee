#include "THelp.h"

#include "AtomicFile.h"
#include "IMessageBoxes.h"
#include "IShell.h"
#include "IUserDirs.h"
#include "LogHook.h"
#include "LogLevels.h"
#include "PrivateDirectories.h"
#include "THelpTopics.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace bx::shell {

namespace {

constexpr const char* ManualBelowShare = "doc/brindlex/manual/index.html";

std::string WithSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir;
}

// An absolute directory from the environment, or empty.
std::string AbsoluteEnv(const platform::IUserDirs& dirs, const char* name) {
    const std::optional<std::string> value = dirs.Env(name);
    return value && !value->empty() && value->front() == '/' ? WithSlash(*value) : std::string();
}

std::string HtmlEscaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace

THelp::TPlaces THelp::Places(const platform::IUserDirs& dirs) {
    TPlaces places;
    if (const std::string program = dirs.ProgramDir(); !program.empty())
        places.Manuals.push_back(
            std::filesystem::path(WithSlash(program) + "../share/" + ManualBelowShare).lexically_normal().string());
    const std::optional<std::string> dataDirs = dirs.Env("XDG_DATA_DIRS");
    std::string list = dataDirs && !dataDirs->empty() ? *dataDirs : "/usr/local/share/:/usr/share/";
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t end = std::min(list.find(':', start), list.size());
        const std::string dir = list.substr(start, end - start);
        if (!dir.empty() && dir.front() == '/') {
            const std::string manual = WithSlash(dir) + ManualBelowShare;
            if (std::find(places.Manuals.begin(), places.Manuals.end(), manual) == places.Manuals.end())
                places.Manuals.push_back(manual);
        }
        start = end + 1;
    }
    if (std::string runtime = AbsoluteEnv(dirs, "XDG_RUNTIME_DIR"); !runtime.empty())
        places.RedirectDir = runtime + "brindlex/";
    else if (std::string cache = AbsoluteEnv(dirs, "XDG_CACHE_HOME"); !cache.empty())
        places.RedirectDir = cache + "brindlex/";
    else
        places.RedirectDir = WithSlash(dirs.HomeDir()) + ".cache/brindlex/";
    return places;
}

THelp::THelp(platform::IShell& shell, platform::IMessageBoxes& boxes, TPlaces places,
             std::function<void(const std::string&)> showStatus)
    : shell_(shell), boxes_(boxes), places_(std::move(places)), showStatus_(std::move(showStatus)) {}

std::string THelp::StatusText(int command, int data) {
    return "Help Invoked -  Command: [" + std::to_string(command) + "] Data:[" + std::to_string(data) + "]";
}

std::string THelp::ManualPath() const {
    for (const std::string& manual : places_.Manuals) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(manual, ec))
            return manual;
    }
    return {};
}

std::string THelp::FileUrl(const std::string& path, const std::string& anchor) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') || (byte >= '0' && byte <= '9') || c == '/' ||
            c == '-' || c == '.' || c == '_' || c == '~') {
            url += c;
        } else {
            url += '%';
            url += Hex[byte >> 4];
            url += Hex[byte & 0xF];
        }
    }
    return anchor.empty() ? url : url + "#" + anchor;
}

std::string THelp::RedirectPage(const std::string& url) {
    const std::string target = HtmlEscaped(url);
    return "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
           "<meta http-equiv=\"refresh\" content=\"0; url=" +
           target +
           "\">\n<title>Brindlex Help</title></head>\n"
           "<body><p><a href=\"" +
           target + "\">Brindlex Help</a></p></body></html>\n";
}

void THelp::Tell(const std::string& text) {
    boxes_.MessageBox(text, "Brindlex Help", platform::MsgType::Warning, platform::MsgButtons::Ok);
}

std::string THelp::Target(const std::string& manual, const std::string& anchor) {
    if (anchor.empty())
        return FileUrl(manual, {});
    const std::string page = RedirectPage(FileUrl(manual, anchor));
    const std::string path = places_.RedirectDir + RedirectName;
    std::string error;
    if (!platform::CreatePrivateDirectories(places_.RedirectDir))
        error = places_.RedirectDir + ": the folder cannot be made";
    else if (platform::AtomicFile::Write(path, {reinterpret_cast<const std::uint8_t*>(page.data()), page.size()},
                                         &error))
        return FileUrl(path, {});
    platform::LogMsg(platform::LogErrors, "THelp", "The help page cannot be written: " + error);
    Tell("The help topic cannot be opened: its page could not be written.\n" + error);
    return {};
}

bool THelp::ShowHelp(int command, int data) {
    if (showStatus_)
        showStatus_(StatusText(command, data));
    const std::string manual = ManualPath();
    if (manual.empty()) {
        std::string text = "The Brindlex user manual cannot be found. It is installed with the program; "
                           "Brindlex looked for it at:";
        for (const std::string& place : places_.Manuals)
            text += "\n" + place;
        Tell(text);
        return false;
    }
    const std::string target =
        Target(manual, THelpTopics::Anchor(command == HelpContents ? THelpTopics::Contents : data));
    if (target.empty())
        return false;
    if (!shell_.ShellExecute("open", target, "")) {
        Tell("The user manual cannot be shown: no program to open it could be started (xdg-open).\n"
             "The manual is " +
             manual);
        return false;
    }
    return true;
}

} // namespace bx::shell
