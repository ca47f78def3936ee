#pragma once

#include <stdexcept>

namespace bx::clipstore {

// Data of a clip was needed while it is not loaded. Kept for the error trap; loading on demand avoids it.
class EDataOffLine : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace bx::clipstore
