#pragma once

#include <stdexcept>

namespace bx::clipstore {

// Reading the clipboard into a clip failed. Kept for the error trap; reading reports failures through its result.
class EBadPaste : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace bx::clipstore
