// Text from another program's selection: every text target with the type it came with (UTF-8, Latin-1,
// compound text, UTF-16), and the bytes every text target is given from a stored text.
#include "X11DataConversions.h"
#include "X11FormatMap.h"
#include "X11FuzzInput.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace bx::platform::x11;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::FuzzInput in = fuzz::SplitInput(data, size);
    using Kind = X11FormatMap::Kind;
    static const std::vector<std::string_view> types = {
        "UTF8_STRING", "STRING", "COMPOUND_TEXT", "TEXT", "text/plain;charset=utf-8", "text/plain", "ATOM"};
    const std::string_view target = fuzz::Pick(X11FormatMap::SourceTargets(Kind::Text), in.choice);
    const std::string_view type = fuzz::Pick(types, in.choice / 8);
    const std::optional<std::string> text = X11DataConversions::TextFromTarget(target, type, std::string(in.rest));
    if (text && (text->empty() || text->back() != '\0'))
        __builtin_trap(); // a text read is always ended by one zero
    for (std::string_view written : X11FormatMap::WrittenTargets(Kind::Text))
        X11DataConversions::TargetBytes(Kind::Text, written, in.rest);
    X11DataConversions::Utf16ToUtf8(in.rest);
    return 0;
}
