#include "TFormatList.h"

#include "TClipData.h"

#include <utility>

namespace bx::clipstore {

TFormatList::TFormatList(TFormatList&& other) noexcept
    : one_(std::move(other.one_)), state_(std::exchange(other.state_, Inline)) {}

TFormatList& TFormatList::operator=(TFormatList&& other) noexcept {
    if (this != &other) {
        reset();
        one_ = std::move(other.one_);
        state_ = std::exchange(other.state_, Inline);
    }
    return *this;
}

TFormatList::~TFormatList() {
    reset();
}

void TFormatList::DropMany() noexcept {
    // The list is adopted for the moment it takes to destroy it with its formats.
    if (Many* list = many())
        std::unique_ptr<Many>(list).reset();
    state_ = Inline;
}

void TFormatList::reset() noexcept {
    clear();
    state_ = Absent;
}

void TFormatList::clear() noexcept {
    DropMany();
    one_.reset();
}

void TFormatList::push_back(Item item) {
    // An empty item is no format: the inline slot could not tell it from no entry at all.
    if (!item)
        return;
    if (Many* list = many()) {
        list->push_back(std::move(item));
        return;
    }
    if (!one_) {
        one_ = std::move(item);
        state_ = Inline;
        return;
    }
    auto list = std::make_unique<Many>();
    list->reserve(2);
    list->push_back(std::move(one_));
    list->push_back(std::move(item));
    state_ = reinterpret_cast<std::uintptr_t>(list.release());
}

TFormatList::Item* TFormatList::erase(Item* first, Item* last) {
    const auto at = first - begin();
    if (Many* list = many()) {
        list->erase(list->begin() + at, list->begin() + (last - begin()));
        // A list down to one format keeps it inline again.
        if (list->size() <= 1) {
            Item rest = list->empty() ? nullptr : std::move(list->front());
            DropMany();
            one_ = std::move(rest);
        }
    } else if (first != last) {
        one_.reset();
    }
    return begin() + at;
}

} // namespace bx::clipstore
