#include "UniqueFd.h"

#include <unistd.h>

namespace bx::platform {

UniqueFd::~UniqueFd() {
    if (fd_ >= 0)
        ::close(fd_);
}

} // namespace bx::platform
