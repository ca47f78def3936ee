#pragma once

#include <stdexcept>

namespace bx::clipstore {

// Putting a clip on the clipboard failed.
class EBadCopy : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace bx::clipstore
