#include "FileRegistry.h"

#include "AtomicFile.h"
#include "EnvUserDirs.h"
#include "LogHook.h"
#include "PrivateDirectories.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bx::platform {

namespace {

constexpr const char* LogWhere = "Settings Store";

std::vector<FileRegistry::HeldLine>& HeldLines() {
    static std::vector<FileRegistry::HeldLine> lines;
    return lines;
}

std::string WithSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    return dir;
}

std::string DirOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '\\':
        case '=':
        case '/':
        case '[':
        case ']':
        case '#':
            out += '\\';
            out += c;
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (u < 0x20 || u == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", u);
                out += hex;
            } else {
                out += c;
            }
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Undoes Escape; false on an unknown escape or a raw control character.
bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F)
            return false;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i >= text.size())
            return false;
        switch (text[i]) {
        case '\\':
        case '=':
        case '/':
        case '[':
        case ']':
        case '#':
            out += text[i];
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'x': {
            if (i + 2 >= text.size())
                return false;
            const int hi = HexDigit(text[i + 1]);
            const int lo = HexDigit(text[i + 2]);
            if (hi < 0 || lo < 0)
                return false;
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

// The position of the first unescaped occurrence of c, or npos.
std::size_t FindUnescaped(std::string_view text, char c) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == c)
            return i;
    }
    return std::string_view::npos;
}

void SerializeKey(const IRegistry& tree, const std::string& keyPath, const std::string& header, std::string& out) {
    const std::vector<std::string> values = tree.ValueNames(keyPath);
    if (!keyPath.empty() || !values.empty())
        out += "[" + header + "]\n";
    for (const std::string& name : values)
        out += Escape(name) + "=" + Escape(tree.ReadValue(keyPath, name).value_or("")) + "\n";
    for (const std::string& child : tree.SubKeyNames(keyPath))
        SerializeKey(tree, keyPath.empty() ? child : keyPath + "\\" + child,
                     header.empty() ? Escape(child) : header + "/" + Escape(child), out);
}

bool Fault(std::string* error, std::size_t lineNumber, const char* what) {
    if (error != nullptr)
        *error = "line " + std::to_string(lineNumber) + ": " + what;
    return false;
}

} // namespace

FileRegistry::FileRegistry() : FileRegistry(DefaultPath(EnvUserDirs())) {}

FileRegistry::FileRegistry(std::string path) : path_(std::move(path)) {
    Load();
}

FileRegistry::~FileRegistry() {
    if (dirty_)
        Flush();
}

std::string FileRegistry::DefaultPath(const IUserDirs& dirs) {
    std::string config;
    if (const auto xdg = dirs.Env("XDG_CONFIG_HOME"); xdg && !xdg->empty() && xdg->front() == '/')
        config = WithSlash(*xdg);
    else if (const std::string home = dirs.HomeDir(); !home.empty())
        config = WithSlash(home) + ".config/";
    else
        return {};
    return config + "Quorvanti/" + FileName;
}

std::optional<std::string> FileRegistry::ReadValue(std::string_view keyPath, std::string_view name) const {
    return memory_.ReadValue(keyPath, name);
}

void FileRegistry::WriteValue(std::string_view keyPath, std::string_view name, std::string_view value) {
    memory_.WriteValue(keyPath, name, value);
    dirty_ = true;
}

bool FileRegistry::DeleteValue(std::string_view keyPath, std::string_view name) {
    const bool deleted = memory_.DeleteValue(keyPath, name);
    dirty_ = dirty_ || deleted;
    return deleted;
}

bool FileRegistry::DeleteKey(std::string_view keyPath) {
    const bool deleted = memory_.DeleteKey(keyPath);
    dirty_ = dirty_ || deleted;
    return deleted;
}

bool FileRegistry::KeyExists(std::string_view keyPath) const {
    return memory_.KeyExists(keyPath);
}

std::vector<std::string> FileRegistry::SubKeyNames(std::string_view keyPath) const {
    return memory_.SubKeyNames(keyPath);
}

std::vector<std::string> FileRegistry::ValueNames(std::string_view keyPath) const {
    return memory_.ValueNames(keyPath);
}

std::string FileRegistry::Serialize(const IRegistry& tree) {
    std::string out = std::string(FirstLine) + "\n";
    SerializeKey(tree, "", "", out);
    return out;
}

bool FileRegistry::Parse(std::string_view text, MemoryRegistry& into, std::string* error) {
    into.Clear();
    std::size_t lineNumber = 0;
    std::size_t entries = 0;
    bool inKey = false;
    std::string keyPath;
    std::string name;
    std::string value;
    const auto fail = [&](const char* what) {
        into.Clear();
        return Fault(error, lineNumber, what);
    };
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (lineNumber == 1) {
            if (line != FirstLine)
                return fail("not a Brindlex settings file");
            continue;
        }
        if (line.empty() || line.front() == '#')
            continue;
        if (++entries > MaxEntries)
            return fail("too many keys and values");
        if (line.front() == '[') {
            if (line.size() < 2 || line.back() != ']')
                return fail("key line without closing bracket");
            std::string_view path = line.substr(1, line.size() - 2);
            keyPath.clear();
            std::size_t depth = 0;
            while (!path.empty()) {
                if (++depth > MaxKeyDepth)
                    return fail("keys nested too deeply");
                const std::size_t cut = FindUnescaped(path, '/');
                if (!Unescape(path.substr(0, cut), name) || name.empty() || name.find('\\') != std::string::npos)
                    return fail("bad key name");
                keyPath += (keyPath.empty() ? "" : "\\") + name;
                if (cut == std::string_view::npos)
                    break;
                path.remove_prefix(cut + 1);
                if (path.empty())
                    return fail("bad key name");
            }
            if (!keyPath.empty() && !into.KeyExists(keyPath)) {
                // Make the key even when it holds no value.
                into.WriteValue(keyPath, "", "");
                into.DeleteValue(keyPath, "");
            }
            inKey = true;
            continue;
        }
        if (!inKey)
            return fail("value outside a key");
        const std::size_t equals = FindUnescaped(line, '=');
        if (equals == std::string_view::npos)
            return fail("line without \"=\"");
        if (!Unescape(line.substr(0, equals), name) || !Unescape(line.substr(equals + 1), value))
            return fail("bad escape or control character");
        into.WriteValue(keyPath, name, value);
    }
    if (lineNumber == 0)
        return fail("empty file");
    return true;
}

void FileRegistry::Load() {
    if (path_.empty()) {
        writable_ = false;
        loadProblem_ = "No folder for the settings is known (neither XDG_CONFIG_HOME nor a home directory); "
                       "settings are kept for this run only.";
        Report(LogErrors, loadProblem_);
        return;
    }
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT)
            SetAside(std::string("cannot open it: ") + std::strerror(errno));
        return;
    }
    struct stat st {};
    std::string text;
    std::string problem;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        problem = "not a regular file";
    } else if (static_cast<std::uint64_t>(st.st_size) > MaxFileSize) {
        problem = "larger than " + std::to_string(MaxFileSize) + " bytes";
    } else {
        char buffer[65536];
        while (problem.empty()) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                problem = std::string("cannot read it: ") + std::strerror(errno);
            else if (n == 0)
                break;
            else if (text.size() + static_cast<std::size_t>(n) > MaxFileSize)
                problem = "larger than " + std::to_string(MaxFileSize) + " bytes";
            else
                text.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    if (problem.empty() && !Parse(text, memory_, &problem))
        memory_.Clear();
    if (!problem.empty())
        SetAside(problem);
}

void FileRegistry::SetAside(const std::string& reason) {
    memory_.Clear();
    for (int n = 1; n <= 1000; ++n) {
        const std::string target = path_ + ".unreadable-" + std::to_string(n);
        int result = ::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // A file system without the no-replace rename: test first.
            struct stat st {};
            if (::lstat(target.c_str(), &st) == 0)
                continue;
            result = ::rename(path_.c_str(), target.c_str());
        }
        if (result == 0) {
            AtomicFile::SyncDirectory(DirOf(path_));
            loadProblem_ = "The settings file " + path_ + " could not be read (" + reason + "). It was kept as " +
                           target + " and the program starts with default settings.";
            Report(LogErrors, loadProblem_);
            return;
        }
        if (errno != EEXIST)
            break;
    }
    writable_ = false;
    loadProblem_ = "The settings file " + path_ + " could not be read (" + reason +
                   ") nor kept aside; the program starts with default settings and will not overwrite it.";
    Report(LogErrors, loadProblem_);
}

bool FileRegistry::Flush() {
    if (!writable_)
        return false;
    if (!dirty_)
        return true;
    std::string error;
    if (!CreatePrivateDirectories(DirOf(path_))) {
        Report(LogErrors, "Could not create the settings folder " + DirOf(path_) + ": " + std::strerror(errno));
        return false;
    }
    const std::string text = Serialize(memory_);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    if (!AtomicFile::Write(path_, {bytes, text.size()}, &error)) {
        Report(LogErrors, "Could not save the settings: " + error);
        return false;
    }
    dirty_ = false;
    return true;
}

void FileRegistry::Report(int level, const std::string& what) {
    if (LogSink() != nullptr)
        LogMsg(level, LogWhere, what);
    else
        HeldLines().push_back(HeldLine{level, LogWhere, what});
}

std::vector<FileRegistry::HeldLine> FileRegistry::TakeHeldLogLines() {
    std::vector<HeldLine> lines;
    lines.swap(HeldLines());
    return lines;
}

} // namespace bx::platform
