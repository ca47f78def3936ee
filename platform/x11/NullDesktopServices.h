#pragma once

#include "IBrowserLink.h"

namespace bx::platform::x11 {

// The services the real desktop does not have: web browsers offer no address service here, so every
// conversation is refused, which the callers handle as they handle a browser that does not answer.
class NullDesktopServices : public IBrowserLink {
public:
    bool Connect(const std::string&, const std::string&) override { return false; }
    bool OpenLink() override { return false; }
    std::optional<std::string> Request(const std::string&) override { return std::nullopt; }
    void Close() override {}
};

} // namespace bx::platform::x11
