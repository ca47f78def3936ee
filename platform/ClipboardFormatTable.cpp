#include "ClipboardFormatTable.h"

#include "AsciiText.h"

namespace bx::platform {

UINT ClipboardFormatTable::Register(std::string_view name) {
    if (name.empty())
        return 0;
    const std::string key = LowerCase(name);
    if (auto it = byLowerName_.find(key); it != byLowerName_.end())
        return it->second;
    if (names_.size() > LastRegisteredFormat - FirstRegisteredFormat)
        return 0;
    const UINT format = FirstRegisteredFormat + static_cast<UINT>(names_.size());
    names_.emplace_back(name);
    byLowerName_.emplace(key, format);
    return format;
}

UINT ClipboardFormatTable::Find(std::string_view name) const {
    auto it = byLowerName_.find(LowerCase(name));
    return it == byLowerName_.end() ? 0 : it->second;
}

std::string ClipboardFormatTable::Name(UINT format, int maxChars) const {
    if (format < FirstRegisteredFormat || maxChars < 2)
        return {};
    const std::size_t index = format - FirstRegisteredFormat;
    if (index >= names_.size())
        return {};
    return names_[index].substr(0, static_cast<std::size_t>(maxChars - 1));
}

} // namespace bx::platform
