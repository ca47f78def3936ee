#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace bx::platform {

namespace detail {

// What a subscription needs of its event: to be taken off it. Only the event's state implements it.
class TEventLink {
public:
    virtual ~TEventLink() = default;
    virtual void Unsubscribe(std::uint64_t id) = 0;
};

} // namespace detail

// Owns one listener's place on an event: destroying it (or Reset) takes the listener off. Move-only;
// an empty subscription owns nothing. It may outlive its event (then it does nothing).
class [[nodiscard]] TSubscription {
public:
    TSubscription() = default;
    TSubscription(std::weak_ptr<detail::TEventLink> link, std::uint64_t id) : link_(std::move(link)), id_(id) {}
    ~TSubscription() { Reset(); }
    TSubscription(TSubscription&& other) noexcept : link_(std::move(other.link_)), id_(std::exchange(other.id_, 0)) {}
    TSubscription& operator=(TSubscription&& other) noexcept {
        if (this != &other) {
            Reset();
            link_ = std::move(other.link_);
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }
    TSubscription(const TSubscription&) = delete;
    TSubscription& operator=(const TSubscription&) = delete;

    // The listener hears nothing more (at once, also in the middle of an emission).
    void Reset() {
        if (id_ == 0)
            return;
        if (const auto link = link_.lock())
            link->Unsubscribe(id_);
        link_.reset();
        id_ = 0;
    }
    bool Active() const { return id_ != 0 && !link_.expired(); }

private:
    std::weak_ptr<detail::TEventLink> link_;
    std::uint64_t id_ = 0;
};

// Something that happened, announced to any number of listeners. Listeners run by ascending order
// (Subscribe's second argument, 0 by default) and, within one order, in the order they subscribed.
// During an emission a listener may subscribe others (they first hear the next emission), unsubscribe
// itself or others (a removed listener that has not run yet is not called) and emit again (the nested
// emission runs the same rules). A listener may destroy the event's owner: the emission ends after
// that listener. An exception from a listener ends the emission and goes to the emitter.
// One thread only, as everything that runs on the program's messages.
template <typename... Args> class TEvent {
public:
    using Handler = std::function<void(Args...)>;

    TEvent() : state_(std::make_shared<State>()) {}
    ~TEvent() { state_->eventGone = true; }
    TEvent(const TEvent&) = delete;
    TEvent& operator=(const TEvent&) = delete;

    TSubscription Subscribe(Handler handler, int order = 0) {
        const std::uint64_t id = ++state_->lastId;
        Entry entry{id, order, std::move(handler)};
        if (state_->depth > 0)
            state_->pending.push_back(std::move(entry));
        else
            state_->Insert(std::move(entry));
        return TSubscription(std::weak_ptr<detail::TEventLink>(state_), id);
    }

    void Emit(Args... args) const {
        // The state lives to the end of the emission even when a listener destroys the event.
        const std::shared_ptr<State> state = state_;
        ++state->depth;
        struct Leave {
            State& s;
            ~Leave() {
                if (--s.depth == 0)
                    s.Settle();
            }
        } leave{*state};
        const std::size_t count = state->entries.size();
        for (std::size_t i = 0; i < count; ++i) {
            Entry& entry = state->entries[i];
            if (entry.id == 0)
                continue;
            entry.handler(args...);
            if (state->eventGone)
                break; // a listener destroyed the event (and so its owner): nothing more is announced
        }
    }

    std::size_t ListenerCount() const {
        std::size_t n = state_->pending.size();
        for (const Entry& entry : state_->entries)
            n += entry.id != 0 ? 1 : 0;
        return n;
    }

private:
    struct Entry {
        std::uint64_t id; // 0: unsubscribed during an emission, erased after it
        int order;
        Handler handler;
    };

    struct State final : detail::TEventLink {
        std::vector<Entry> entries; // sorted by order, then by subscription
        std::vector<Entry> pending; // subscribed during an emission
        std::uint64_t lastId = 0;
        int depth = 0;
        bool eventGone = false;

        void Insert(Entry entry) {
            auto at = entries.begin();
            while (at != entries.end() && at->order <= entry.order)
                ++at;
            entries.insert(at, std::move(entry));
        }
        void Unsubscribe(std::uint64_t id) override {
            for (auto it = entries.begin(); it != entries.end(); ++it)
                if (it->id == id) {
                    if (depth > 0)
                        it->id = 0; // it may be running: its handler stays until the emission is over
                    else
                        entries.erase(it);
                    return;
                }
            for (auto it = pending.begin(); it != pending.end(); ++it)
                if (it->id == id) {
                    pending.erase(it);
                    return;
                }
        }
        // After the outermost emission: drop the removed listeners, place the new ones.
        void Settle() {
            std::erase_if(entries, [](const Entry& entry) { return entry.id == 0; });
            std::vector<Entry> added = std::move(pending);
            pending.clear();
            for (Entry& entry : added)
                Insert(std::move(entry));
        }
    };

    std::shared_ptr<State> state_;
};

} // namespace bx::platform
