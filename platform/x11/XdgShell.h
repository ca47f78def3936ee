#pragma once

#include "IShell.h"

#include <string>

namespace bx::platform::x11 {

// Opens addresses, files and folders with the desktop's default handler: the helper program (xdg-open) is
// started with the target as its one argument, without a shell and without waiting for it. "open" (or no
// verb) opens the target; "explore" opens a folder, or the folder that holds a file. Parameters are not
// passed on (the helper takes none). False for an empty target, another verb, or a helper that cannot start.
class XdgShell : public IShell {
public:
    explicit XdgShell(std::string helper = "xdg-open") : helper_(std::move(helper)) {}

    bool ShellExecute(const std::string& verb, const std::string& target, const std::string& parameters) override;
    bool PathExists(const std::string& path) const override;

private:
    std::string helper_;
};

} // namespace bx::platform::x11
