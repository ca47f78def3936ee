#pragma once

#include "IBrowserLink.h"

#include <functional>
#include <map>
#include <string>

namespace bx::platform::sim {

// Test browsers: each answers one service and topic with a function of the requested item. Counts the
// conversations set up, so that tests see whether one was reused.
class SimBrowserLink : public IBrowserLink {
public:
    using Answer = std::function<std::string(const std::string& item)>;

    bool Connect(const std::string& service, const std::string& topic) override;
    bool OpenLink() override;
    std::optional<std::string> Request(const std::string& item) override;
    void Close() override;

    // A browser that offers the service on the topic.
    void AddBrowser(const std::string& service, const std::string& topic, Answer answer);
    void RemoveBrowser(const std::string& service);
    // The browser ends the open conversation (OnClosed is called).
    void EndConversation();

    int Connects() const { return connects_; }
    bool LinkOpen() const { return linkOpen_; }
    const std::string& ConnectedService() const { return service_; }

private:
    struct Browser {
        std::string Topic;
        Answer Reply;
    };
    std::map<std::string, Browser> browsers_;
    std::string service_;
    bool connected_ = false;
    bool linkOpen_ = false;
    int connects_ = 0;
};

} // namespace bx::platform::sim
