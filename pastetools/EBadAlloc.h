#pragma once

#include <stdexcept>

namespace bx::pastetools {

// A transformation's buffer could not be had, or its size would be absurd.
class EBadAlloc : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace bx::pastetools
