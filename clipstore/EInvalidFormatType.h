#pragma once

#include <stdexcept>

namespace bx::clipstore {

// A format of a clip with an invalid Format_Type was about to be written.
class EInvalidFormatType : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace bx::clipstore
