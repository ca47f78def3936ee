#pragma once

#include <functional>
#include <string>
#include <vector>

namespace bx::platform {
class IMessageBoxes;
class IShell;
class IUserDirs;
} // namespace bx::platform

namespace bx::shell {

// Help requests: each opens the user manual (HTML, installed with the program) at the section of its help
// context (THelpTopics) with the desktop's handler, and writes "Help Invoked -  Command: [c] Data:[d]" to
// the status line.
//
// A desktop's handler drops the #section of a file address (xdg-open opens the file's path), so a section
// is opened through a small page of our own that forwards the browser to the manual's address with its
// section: it is written anew for every request into the program's private folder. The contents (no
// section) open the manual itself. A manual that cannot be found, or a handler that cannot be started, is
// told in a box.
class THelp {
public:
    // The help commands a request carries.
    enum Command { HelpContext = 1, HelpContents = 3, HelpContextPopup = 8 };

    // Where the manual may be, in the order looked at, and the private folder for the forwarding page
    // (ending in "/").
    struct TPlaces {
        std::vector<std::string> Manuals;
        std::string RedirectDir;
    };
    // The installed manual beside the program (<program dir>/../share/doc/brindlex/manual/index.html, which
    // is also where the build puts its copy for the program in the build folder), then in each of
    // $XDG_DATA_DIRS (/usr/local/share and /usr/share by default); the forwarding page in
    // $XDG_RUNTIME_DIR/brindlex/, else $XDG_CACHE_HOME/brindlex/ (~/.cache/brindlex/).
    static TPlaces Places(const platform::IUserDirs& dirs);

    THelp(platform::IShell& shell, platform::IMessageBoxes& boxes, TPlaces places,
          std::function<void(const std::string&)> showStatus);

    // A help request: the contents for HelpContents, else the topic of the help context data. False when
    // nothing was opened (the user was told).
    bool ShowHelp(int command, int data);

    // The first manual that exists, or empty.
    std::string ManualPath() const;
    // The file's address (its path percent-encoded), with #anchor when one is given.
    static std::string FileUrl(const std::string& path, const std::string& anchor);
    // The forwarding page's text for an address.
    static std::string RedirectPage(const std::string& url);
    static std::string StatusText(int command, int data);
    static constexpr const char* RedirectName = "help.html";

private:
    // What to open for the manual at this anchor; empty (and the user told) when the page cannot be written.
    std::string Target(const std::string& manual, const std::string& anchor);
    void Tell(const std::string& text);

    platform::IShell& shell_;
    platform::IMessageBoxes& boxes_;
    TPlaces places_;
    std::function<void(const std::string&)> showStatus_;
};

} // namespace bx::shell
