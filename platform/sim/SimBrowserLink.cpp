#include "SimBrowserLink.h"

namespace bx::platform::sim {

bool SimBrowserLink::Connect(const std::string& service, const std::string& topic) {
    Close();
    const auto found = browsers_.find(service);
    if (found == browsers_.end() || found->second.Topic != topic)
        return false;
    service_ = service;
    connected_ = true;
    ++connects_;
    return true;
}

bool SimBrowserLink::OpenLink() {
    linkOpen_ = connected_ && browsers_.contains(service_);
    return linkOpen_;
}

std::optional<std::string> SimBrowserLink::Request(const std::string& item) {
    if (!linkOpen_)
        return std::nullopt;
    const auto found = browsers_.find(service_);
    if (found == browsers_.end())
        return std::nullopt;
    return found->second.Reply(item);
}

void SimBrowserLink::Close() {
    connected_ = false;
    linkOpen_ = false;
    service_.clear();
}

void SimBrowserLink::AddBrowser(const std::string& service, const std::string& topic, Answer answer) {
    browsers_[service] = Browser{topic, std::move(answer)};
}

void SimBrowserLink::RemoveBrowser(const std::string& service) {
    if (service == service_)
        EndConversation();
    browsers_.erase(service);
}

void SimBrowserLink::EndConversation() {
    if (!connected_)
        return;
    Close();
    if (OnClosed)
        OnClosed();
}

} // namespace bx::platform::sim
