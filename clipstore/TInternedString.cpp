#include "TInternedString.h"

#include <memory>
#include <mutex>
#include <ostream>
#include <unordered_map>
#include <utility>

namespace bx::clipstore {

struct TInternedString::Node {
    std::string Text;
    std::size_t Holders = 0;
};

namespace {

using Node = TInternedString::Node;

// Every text held now, by its characters.
class Pool {
public:
    Node* Acquire(std::string_view text) {
        const std::lock_guard lock(mutex_);
        auto it = nodes_.find(text);
        if (it == nodes_.end()) {
            auto node = std::make_unique<Node>();
            node->Text = text;
            // The key views the node's own characters, which stay where they are while the node lives.
            const std::string_view key = node->Text;
            it = nodes_.emplace(key, std::move(node)).first;
        }
        ++it->second->Holders;
        return it->second.get();
    }

    void AddHolder(Node* node) {
        const std::lock_guard lock(mutex_);
        ++node->Holders;
    }

    void DropHolder(Node* node) {
        const std::lock_guard lock(mutex_);
        if (--node->Holders == 0)
            nodes_.erase(std::string_view(node->Text));
    }

    std::size_t Size() {
        const std::lock_guard lock(mutex_);
        return nodes_.size();
    }

private:
    std::mutex mutex_;
    std::unordered_map<std::string_view, std::unique_ptr<Node>> nodes_;
};

Pool& ThePool() {
    // Never destroyed: objects with static storage may still drop their texts after this file's
    // statics would be gone.
    alignas(Pool) static unsigned char storage[sizeof(Pool)];
    static Pool* const pool = std::construct_at(reinterpret_cast<Pool*>(storage));
    return *pool;
}

const std::string& EmptyText() {
    static const std::string empty;
    return empty;
}

} // namespace

TInternedString::TInternedString(std::string_view text) : node_(text.empty() ? nullptr : ThePool().Acquire(text)) {}

TInternedString::TInternedString(const TInternedString& other) noexcept : node_(other.node_) {
    if (node_ != nullptr)
        ThePool().AddHolder(node_);
}

TInternedString& TInternedString::operator=(const TInternedString& other) noexcept {
    if (node_ != other.node_) {
        if (other.node_ != nullptr)
            ThePool().AddHolder(other.node_);
        Release();
        node_ = other.node_;
    }
    return *this;
}

TInternedString& TInternedString::operator=(TInternedString&& other) noexcept {
    if (this != &other) {
        Release();
        node_ = std::exchange(other.node_, nullptr);
    }
    return *this;
}

TInternedString& TInternedString::operator=(std::string_view text) {
    // The new text is taken before the old one is dropped: text may view the old one's characters.
    Node* node = text.empty() ? nullptr : ThePool().Acquire(text);
    Release();
    node_ = node;
    return *this;
}

TInternedString::~TInternedString() {
    Release();
}

void TInternedString::Release() noexcept {
    if (node_ != nullptr)
        ThePool().DropHolder(std::exchange(node_, nullptr));
}

const std::string& TInternedString::str() const {
    return node_ != nullptr ? node_->Text : EmptyText();
}

std::ostream& operator<<(std::ostream& out, const TInternedString& s) {
    return out << s.str();
}

std::size_t TInternedString::PoolSize() {
    return ThePool().Size();
}

} // namespace bx::clipstore
