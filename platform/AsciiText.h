// Comparisons and case changes of names (format names, key names, program names) by the ASCII rules:
// letters A-Z and a-z pair up, every other byte stays as it is, so UTF-8 text passes unharmed.
#pragma once

#include <string>
#include <string_view>

namespace bx::platform {

bool SameText(std::string_view a, std::string_view b);
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);

} // namespace bx::platform
