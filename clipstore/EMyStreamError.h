#pragma once

#include <stdexcept>

namespace bx::clipstore {

// A clip's data could not be read: its data file cannot be opened, it is neither online nor has a data file, or a
// record runs past the end of its stream.
class EMyStreamError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace bx::clipstore
