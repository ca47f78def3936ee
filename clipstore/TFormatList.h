#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace bx::clipstore {

class TClipData;

// The formats of a clip, in capture order, or no list at all while the clip is unloaded. It is used
// the way an optional list is (tested as a boolean or with has_value, emptied with reset, reached with
// * and ->), in two words instead of five and a heap block: a clip of one format -- most clips -- keeps
// that format's pointer inline, and only a clip of two formats or more gets a separate list.
class TFormatList {
public:
    using Item = std::unique_ptr<TClipData>;

    // A present list without formats.
    TFormatList() noexcept = default;
    TFormatList(TFormatList&& other) noexcept;
    TFormatList& operator=(TFormatList&& other) noexcept;
    TFormatList(const TFormatList&) = delete;
    TFormatList& operator=(const TFormatList&) = delete;
    ~TFormatList();

    bool has_value() const noexcept { return state_ != Absent; }
    explicit operator bool() const noexcept { return has_value(); }
    // No list: every format is destroyed.
    void reset() noexcept;
    TFormatList& operator*() noexcept { return *this; }
    const TFormatList& operator*() const noexcept { return *this; }
    TFormatList* operator->() noexcept { return this; }
    const TFormatList* operator->() const noexcept { return this; }

    // The list; an absent list reads as empty, and push_back makes it present.
    std::size_t size() const noexcept {
        if (const Many* list = many())
            return list->size();
        return one_ ? 1 : 0;
    }
    bool empty() const noexcept { return size() == 0; }
    Item* begin() noexcept {
        if (Many* list = many())
            return list->data();
        return &one_;
    }
    Item* end() noexcept { return begin() + size(); }
    const Item* begin() const noexcept {
        if (const Many* list = many())
            return list->data();
        return &one_;
    }
    const Item* end() const noexcept { return begin() + size(); }
    Item& operator[](std::size_t index) noexcept { return begin()[index]; }
    const Item& operator[](std::size_t index) const noexcept { return begin()[index]; }
    Item& back() noexcept { return begin()[size() - 1]; }
    const Item& back() const noexcept { return begin()[size() - 1]; }
    void push_back(Item item);
    // Removes the formats of [first, last); returns where the one after them is now.
    Item* erase(Item* first, Item* last);
    // A present list without formats.
    void clear() noexcept;

private:
    using Many = std::vector<Item>;
    // state_: Inline (one_ is the list: no format or one), Absent, or the address of the owned list
    // of a clip with more formats (one_ is empty then).
    static constexpr std::uintptr_t Inline = 0;
    static constexpr std::uintptr_t Absent = 1;

    Many* many() const noexcept { return state_ > Absent ? reinterpret_cast<Many*>(state_) : nullptr; }
    void DropMany() noexcept;

    Item one_;
    std::uintptr_t state_ = Inline;
};

} // namespace bx::clipstore
