#include "TAutostart.h"

#include "AtomicFile.h"
#include "PrivateDirectories.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace bx::shell {

namespace {

// A program path as one argument of a desktop entry's Exec key: quoted when it holds a character the key
// reserves, with the characters a quoted argument must escape escaped.
std::string ExecArgument(const std::string& path) {
    if (path.find_first_of(" \t\n\"'\\><~|&;$*?#()`=%") == std::string::npos)
        return path;
    std::string quoted = "\"";
    for (const char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += "\\\\"; // the key's own escaping doubles the backslash of the quoting
        if (c == '%')
            quoted += '%';
        quoted += c;
    }
    return quoted + "\"";
}

// The value of a key in the entry's [Desktop Entry] group, or empty.
std::string Value(const std::string& entry, const std::string& key) {
    std::istringstream lines(entry);
    std::string line;
    bool inGroup = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.front() == '[')
            inGroup = line == "[Desktop Entry]";
        else if (inGroup && line.rfind(key + "=", 0) == 0)
            return line.substr(key.size() + 1);
    }
    return {};
}

} // namespace

std::string TAutostart::Directory() const {
    const std::optional<std::string> config = dirs_.Env("XDG_CONFIG_HOME");
    std::string dir = config && !config->empty() && config->front() == '/' ? *config : dirs_.HomeDir() + ".config";
    if (dir.back() != '/')
        dir += '/';
    return dir + "autostart/";
}

std::string TAutostart::Path() const {
    return Directory() + DesktopId + ".desktop";
}

bool TAutostart::Enabled() const {
    std::ifstream file(Path(), std::ios::binary);
    if (!file)
        return false;
    std::string entry(MaxEntryBytes + 1, '\0');
    file.read(entry.data(), static_cast<std::streamsize>(entry.size()));
    if (file.gcount() > static_cast<std::streamsize>(MaxEntryBytes))
        return false;
    entry.resize(static_cast<std::size_t>(file.gcount()));
    return Value(entry, "Hidden") != "true" && Value(entry, "X-GNOME-Autostart-enabled") != "false";
}

bool TAutostart::SetEnabled(bool on, std::string* error) const {
    if (!on) {
        if (std::remove(Path().c_str()) == 0 || errno == ENOENT) {
            platform::AtomicFile::SyncDirectory(Directory());
            return true;
        }
        if (error != nullptr)
            *error = Path() + ": " + std::strerror(errno);
        return false;
    }
    if (!platform::CreatePrivateDirectories(Directory())) {
        if (error != nullptr)
            *error = Directory() + ": the folder cannot be made";
        return false;
    }
    const std::string text = EntryText(dirs_.ProgramDir() + "brindlex");
    return platform::AtomicFile::Write(Path(), {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()},
                                       error);
}

std::string TAutostart::EntryText(const std::string& program) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Brindlex\n"
           "Comment=Clipboard manager: keeps every copy\n"
           "Exec=" +
           ExecArgument(program) +
           "\n"
           "TryExec=" +
           program +
           "\n"
           "Icon=" +
           DesktopId +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

} // namespace bx::shell
