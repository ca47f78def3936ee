#pragma once

#include <string>

namespace bx::platform {

// Creates the directory with all its missing parents; every directory made is private to the user
// (0700), since the user's data directories hold clipboard history. True when the directory exists
// afterwards; errno tells why not.
bool CreatePrivateDirectories(const std::string& dir);

} // namespace bx::platform
