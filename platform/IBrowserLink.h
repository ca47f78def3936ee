#pragma once

#include <functional>
#include <optional>
#include <string>

namespace bx::platform {

// A conversation with a running web browser's address service: the program asks a browser, by its
// service name, for the address of the page in its active window. One conversation at a time; it stays
// open between requests until either side ends it.
class IBrowserLink {
public:
    virtual ~IBrowserLink() = default;

    // Sets up a conversation with the service on the topic; false when no such service answers.
    // Ends a conversation that is still open.
    virtual bool Connect(const std::string& service, const std::string& topic) = 0;
    // Opens the link of the conversation set up last; false when the browser refuses.
    virtual bool OpenLink() = 0;
    // The browser's answer to a request for the item; none when there is no open link or no answer.
    virtual std::optional<std::string> Request(const std::string& item) = 0;
    // Ends the conversation (does nothing when none is open). OnClosed is not called for it.
    virtual void Close() = 0;

    // Called when the browser ends the conversation.
    std::function<void()> OnClosed;
};

} // namespace bx::platform
