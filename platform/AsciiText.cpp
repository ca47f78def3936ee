#include "AsciiText.h"

#include <algorithm>

namespace bx::platform {

namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Upper(x) == Upper(y); });
}

std::string UpperCase(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), Upper);
    return out;
}

std::string LowerCase(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), Lower);
    return out;
}

} // namespace bx::platform
