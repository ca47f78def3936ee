#pragma once

#include <stdexcept>

namespace bx::clipstore {

// A picture file was read but its content is not a picture this program understands.
class EInvalidGraphic : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace bx::clipstore
