#include "TFormatList.h"

#include "TClipData.h"

#include <utility>

namespace bx::clipstore {

TFormatList::TFormatList(TFormatList&& other) noexcept {
    Take(other);
}

TFormatList& TFormatList::operator=(TFormatList&& other) noexcept {
    if (this != &other) {
        Destroy();
        Take(other);
    }
    return *this;
}

TFormatList::~TFormatList() {
    Destroy();
}

void TFormatList::Destroy() noexcept {
    if (Many* list = many()) {
        // The list is adopted for the moment it takes to destroy it with its formats.
        std::unique_ptr<Many>(list).reset();
    } else if (Item* one = Inline()) {
        one->~Item();
    }
    SetBits(Absent);
}

void TFormatList::Take(TFormatList& other) noexcept {
    if (Item* one = other.Inline()) {
        new (word_) Item(std::move(*one));
    } else {
        // A list of its own, or none: the word moves as it is, and other holds no Item.
        SetBits(other.Bits());
        new (other.word_) Item();
    }
}

void TFormatList::reset() noexcept {
    Destroy();
}

void TFormatList::clear() noexcept {
    Destroy();
    new (word_) Item();
}

void TFormatList::push_back(Item item) {
    // An empty item is no format: the inline slot could not tell it from no entry at all.
    if (!item)
        return;
    if (Many* list = many()) {
        list->push_back(std::move(item));
        return;
    }
    Item* one = Inline();
    if (one == nullptr) {
        new (word_) Item(std::move(item));
        return;
    }
    if (!*one) {
        *one = std::move(item);
        return;
    }
    auto list = std::make_unique<Many>();
    list->reserve(2);
    list->push_back(std::move(*one));
    list->push_back(std::move(item));
    one->~Item();
    SetBits(reinterpret_cast<std::uintptr_t>(list.release()) | ManyTag);
}

TFormatList::Item* TFormatList::erase(Item* first, Item* last) {
    const auto at = first - begin();
    if (Many* list = many()) {
        list->erase(list->begin() + at, list->begin() + (last - begin()));
        // A list down to one format keeps it inline again.
        if (list->size() <= 1) {
            Item rest = list->empty() ? nullptr : std::move(list->front());
            Destroy();
            new (word_) Item(std::move(rest));
        }
    } else if (first != last) {
        Inline()->reset();
    }
    return begin() + at;
}

} // namespace bx::clipstore
