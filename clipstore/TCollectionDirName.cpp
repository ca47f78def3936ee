#include "TCollectionDirName.h"

#include "TUtf8.h"

#include <filesystem>
#include <string_view>

namespace bx::clipstore {

namespace {

constexpr std::string_view Replaced = "\\/:*?!@#$%^&\"<>|.[]()";
constexpr int MaxTries = 5000;

bool IsControl(unsigned char c) {
    return c < 0x20 || c == 0x7F;
}

} // namespace

std::string TCollectionDirName::FromTitle(const std::string& title) {
    std::string name = title;
    for (char& c : name)
        if (Replaced.find(c) != std::string_view::npos || IsControl(static_cast<unsigned char>(c)))
            c = '_';
    name = TUtf8::CutBytes(name, MaxBytes);
    return name.empty() ? "_" : name;
}

std::string TCollectionDirName::Next(const std::string& name) {
    if (name.empty())
        return "1";
    std::string next = name;
    const unsigned char last = static_cast<unsigned char>(next.back());
    if (last >= '0' && last <= 'Z') {
        // Characters the title rules keep out of names are passed over (":" after "9", "[" after "Z").
        unsigned char c = static_cast<unsigned char>(last + 1);
        while (Replaced.find(static_cast<char>(c)) != std::string_view::npos)
            ++c;
        next.back() = static_cast<char>(c);
        return next;
    }
    if (next.size() + 1 > MaxBytes)
        next = TUtf8::CutBytes(next, MaxBytes - 1);
    return next + "1";
}

std::optional<std::string> TCollectionDirName::Unique(const std::string& name,
                                                      const std::function<bool(const std::string&)>& taken) {
    std::string candidate = name;
    for (int i = 0; i < MaxTries; ++i) {
        if (!taken(candidate))
            return candidate;
        candidate = Next(candidate);
    }
    return std::nullopt;
}

bool TCollectionDirName::ExistsIn(const std::string& parentDir, const std::string& name) {
    std::error_code ec;
    return std::filesystem::symlink_status(std::filesystem::path(parentDir) / name, ec).type() !=
           std::filesystem::file_type::not_found;
}

} // namespace bx::clipstore
