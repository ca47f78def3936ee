#pragma once

#include "IUserDirs.h"

#include <string>

namespace bx::shell {

// Starting the program with the user's session, as freedesktop desktops do it: an autostart entry
// $XDG_CONFIG_HOME/autostart/<DesktopId>.desktop (~/.config/autostart when the variable is unset or not an
// absolute path), written when the user switches it on and removed when off. The entry starts this very
// program (its own path), so a build run from its folder starts itself. An entry that the desktop's own
// settings turned off (Hidden=true, or X-GNOME-Autostart-enabled=false) counts as off.
class TAutostart {
public:
    // The program's desktop id (its desktop entry, icon and metainfo carry the same name).
    static constexpr const char* DesktopId = "io.github.quorvanti.Brindlex";
    // An entry larger than this is not one of ours; it is read as off.
    static constexpr std::size_t MaxEntryBytes = 64 * 1024;

    explicit TAutostart(const platform::IUserDirs& dirs) : dirs_(dirs) {}

    std::string Path() const;
    bool Enabled() const;
    // Writes the entry (through a temporary file, synced, renamed) or removes it; false with the reason in
    // error when that failed (the state is then as before).
    bool SetEnabled(bool on, std::string* error = nullptr) const;
    // The entry's text for a program at this path.
    static std::string EntryText(const std::string& program);

private:
    std::string Directory() const;
    const platform::IUserDirs& dirs_;
};

} // namespace bx::shell
