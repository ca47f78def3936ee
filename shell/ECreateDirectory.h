#pragma once

#include <stdexcept>
#include <string>

namespace bx::shell {

// A data directory could not be created. The message names the directory.
class ECreateDirectory : public std::runtime_error {
public:
    explicit ECreateDirectory(const std::string& directory)
        : std::runtime_error("Could NOT create data source directory: \n" + directory), directory_(directory) {}

    const std::string& Directory() const { return directory_; }

private:
    std::string directory_;
};

} // namespace bx::shell
