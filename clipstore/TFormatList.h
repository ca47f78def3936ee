#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace bx::clipstore {

class TClipData;

// The formats of a clip, in capture order, or no list at all while the clip is unloaded. It is used
// the way an optional list is (tested as a boolean or with has_value, emptied with reset, reached with
// * and ->), in one word instead of five and a heap block: a clip of one format -- most clips -- keeps
// that format's pointer inline, and only a clip of two formats or more gets a separate list.
class TFormatList {
public:
    using Item = std::unique_ptr<TClipData>;

    // A present list without formats.
    TFormatList() noexcept { new (word_) Item(); }
    TFormatList(TFormatList&& other) noexcept;
    TFormatList& operator=(TFormatList&& other) noexcept;
    TFormatList(const TFormatList&) = delete;
    TFormatList& operator=(const TFormatList&) = delete;
    ~TFormatList();

    bool has_value() const noexcept { return Bits() != Absent; }
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
        return Bits() != Absent && Bits() != 0 ? 1 : 0;
    }
    bool empty() const noexcept { return size() == 0; }
    Item* begin() noexcept {
        if (Many* list = many())
            return list->data();
        return Inline();
    }
    Item* end() noexcept { return begin() + size(); }
    const Item* begin() const noexcept {
        if (const Many* list = many())
            return list->data();
        return Inline();
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
    static_assert(sizeof(Item) == sizeof(std::uintptr_t), "an item is a pointer");
    // The word holds an Item (the list of no format or one: a null or an aligned address), Absent
    // (no Item alive), or the address of the owned list of a clip with more formats plus ManyTag (no
    // Item alive).
    static constexpr std::uintptr_t Absent = 1;
    static constexpr std::uintptr_t ManyTag = 2;
    static constexpr std::uintptr_t TagBits = 3;

    std::uintptr_t Bits() const noexcept {
        std::uintptr_t bits = 0;
        std::memcpy(&bits, word_, sizeof bits);
        return bits;
    }
    // Only while no Item is alive in the word.
    void SetBits(std::uintptr_t bits) noexcept { std::memcpy(word_, &bits, sizeof bits); }
    bool IsInline() const noexcept { return (Bits() & TagBits) == 0; }
    // The inline Item; for an absent list a null pointer, so that begin() == end().
    Item* Inline() noexcept { return IsInline() ? std::launder(reinterpret_cast<Item*>(word_)) : nullptr; }
    const Item* Inline() const noexcept {
        return IsInline() ? std::launder(reinterpret_cast<const Item*>(word_)) : nullptr;
    }
    Many* many() const noexcept {
        const std::uintptr_t bits = Bits();
        return (bits & TagBits) == ManyTag ? reinterpret_cast<Many*>(bits & ~TagBits) : nullptr;
    }
    // Destroys what the word holds; no Item is alive afterwards.
    void Destroy() noexcept;
    // Takes over what other holds; other is a present list without formats afterwards.
    void Take(TFormatList& other) noexcept;

    alignas(Item) unsigned char word_[sizeof(Item)];
};

} // namespace bx::clipstore
