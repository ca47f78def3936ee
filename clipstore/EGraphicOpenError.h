#pragma once

#include <stdexcept>

namespace bx::clipstore {

// A picture file could not be opened for reading or could not be written.
class EGraphicOpenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace bx::clipstore
