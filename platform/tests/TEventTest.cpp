// The event type: every listener hears, in its order; a subscription owns its listener's place; the
// listeners may change while the event is being emitted; event and subscription may end in any order.
#include "TEvent.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bx::platform {
namespace {

TEST(TEventTest, EveryListenerHearsInItsOrderUntilItsSubscriptionEnds) {
    TEvent<int> event;
    std::vector<std::string> heard;
    auto listen = [&](const std::string& name, int order = 0) {
        return event.Subscribe([&heard, name](int v) { heard.push_back(name + std::to_string(v)); }, order);
    };
    TSubscription a = listen("a");
    TSubscription b = listen("b");
    TSubscription early = listen("early", -1);
    TSubscription late = listen("late", 1);
    event.Emit(1);
    EXPECT_EQ(heard, (std::vector<std::string>{"early1", "a1", "b1", "late1"}));

    heard.clear();
    {
        TSubscription moved = std::move(a);
        EXPECT_FALSE(a.Active());
        EXPECT_TRUE(moved.Active());
        event.Emit(2);
    } // the moved-to owner ends: a hears no more
    early.Reset();
    event.Emit(3);
    EXPECT_EQ(heard, (std::vector<std::string>{"early2", "a2", "b2", "late2", "b3", "late3"}));
    EXPECT_EQ(event.ListenerCount(), 2u);
}

TEST(TEventTest, ListenersMayChangeWhileTheEventIsEmitted) {
    TEvent<> event;
    std::vector<std::string> heard;
    TSubscription first, second, third, added;
    first = event.Subscribe([&] {
        heard.push_back("first");
        second.Reset(); // not yet run: not called
        if (!added.Active())
            added = event.Subscribe([&] { heard.push_back("added"); }, -1);
        first.Reset(); // the running listener itself
    });
    second = event.Subscribe([&] { heard.push_back("second"); });
    int nested = 0;
    third = event.Subscribe([&] {
        heard.push_back("third");
        if (nested++ == 0)
            event.Emit(); // first and second are gone; the added one waits for the outer emission's end
    });
    event.Emit();
    EXPECT_EQ(heard, (std::vector<std::string>{"first", "third", "third"}));
    heard.clear();
    event.Emit();
    EXPECT_EQ(heard, (std::vector<std::string>{"added", "third"}));
}

TEST(TEventTest, EventAndSubscriptionEndInEitherOrder) {
    TSubscription outliving;
    {
        TEvent<> event;
        outliving = event.Subscribe([] {});
    }
    EXPECT_FALSE(outliving.Active());
    outliving.Reset(); // nothing left to leave

    // A listener destroys the event's owner: the emission stops there.
    auto owner = std::make_optional<TEvent<>>();
    std::vector<std::string> heard;
    TSubscription ender = owner->Subscribe([&] {
        heard.push_back("ender");
        owner.reset();
    });
    TSubscription after = owner->Subscribe([&] { heard.push_back("after"); });
    owner->Emit();
    EXPECT_EQ(heard, std::vector<std::string>{"ender"});
    EXPECT_FALSE(after.Active());
}

} // namespace
} // namespace bx::platform
