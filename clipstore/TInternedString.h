#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>
#include <utility>

namespace bx::clipstore {

// An immutable string held once for the whole program: equal texts share one copy, counted by their
// holders, which is dropped with its last holder. An empty text holds nothing at all, so a holder is
// one pointer. Made for the texts that thousands of clips repeat or leave empty (the program a clip
// came from, its page address, the names of its formats). Any thread may make, copy and drop them.
class TInternedString {
public:
    TInternedString() = default;
    explicit TInternedString(std::string_view text);
    TInternedString(const TInternedString& other) noexcept;
    TInternedString(TInternedString&& other) noexcept : node_(other.node_) { other.node_ = nullptr; }
    TInternedString& operator=(const TInternedString& other) noexcept;
    TInternedString& operator=(TInternedString&& other) noexcept;
    TInternedString& operator=(std::string_view text);
    TInternedString& operator=(const std::string& text) { return *this = std::string_view(text); }
    TInternedString& operator=(const char* text) { return *this = std::string_view(text); }
    ~TInternedString();

    const std::string& str() const;
    operator const std::string&() const { return str(); }
    operator std::string_view() const { return str(); }
    const char* c_str() const { return str().c_str(); }
    const char* data() const { return str().data(); }
    std::size_t size() const { return str().size(); }
    bool empty() const { return node_ == nullptr; }

    // Equal texts are one node, so holders compare by it.
    friend bool operator==(const TInternedString& a, const TInternedString& b) { return a.node_ == b.node_; }
    friend bool operator==(const TInternedString& a, std::string_view b) { return std::string_view(a.str()) == b; }
    friend bool operator==(const TInternedString& a, const std::string& b) { return a.str() == b; }
    friend bool operator==(const TInternedString& a, const char* b) { return std::string_view(a.str()) == b; }

    friend std::string operator+(const std::string& a, const TInternedString& b) { return a + b.str(); }
    friend std::string operator+(std::string&& a, const TInternedString& b) { return std::move(a) + b.str(); }
    friend std::string operator+(const char* a, const TInternedString& b) { return a + b.str(); }
    friend std::string operator+(const TInternedString& a, const std::string& b) { return a.str() + b; }
    friend std::string operator+(const TInternedString& a, const char* b) { return a.str() + b; }

    friend std::ostream& operator<<(std::ostream& out, const TInternedString& s);

    // How many different texts are held now (for tests).
    static std::size_t PoolSize();

    struct Node;

private:
    void Release() noexcept;

    Node* node_ = nullptr;
};

} // namespace bx::clipstore
