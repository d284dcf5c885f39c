// Late callbacks: they reach their object while it lives and do nothing once
// it is gone or tearing down.
#include "shared/while_alive.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using quillet::LifeToken;
using quillet::whileAlive;

namespace {

struct Counter {
    Counter() : token(*this) {}
    ~Counter() { token.revoke(); }
    void add(int n) { total += n; }
    int total = 0;
    LifeToken<Counter> token;
};

} // namespace

TEST(WhileAlive, CallsTheSharedObjectOnlyWhileItLives) {
    auto counter = std::make_shared<Counter>();
    std::function<bool(int)> late =
        whileAlive(std::weak_ptr<Counter>(counter), [](Counter& c, int n) { c.add(n); });
    EXPECT_TRUE(late(2));
    EXPECT_EQ(counter->total, 2);
    counter.reset();
    EXPECT_FALSE(late(3));
}

TEST(LifeToken, GuardedCallsStopWithTheOwnerOrItsRevocation) {
    struct Case {
        const char* name;
        bool destroy;
    };
    for (const Case& c : {Case{"revoked", false}, Case{"destroyed", true}}) {
        SCOPED_TRACE(c.name);
        auto counter = std::make_unique<Counter>();
        std::function<bool(int)> byLambda =
            counter->token.guard([](Counter& o, int n) { o.add(n); });
        std::function<bool(int)> byMember = counter->token.guard(&Counter::add);
        EXPECT_TRUE(byLambda(1));
        EXPECT_TRUE(byMember(10));
        EXPECT_EQ(counter->total, 11);
        if (c.destroy) {
            counter.reset();
        } else {
            counter->token.revoke();
        }
        EXPECT_FALSE(byLambda(1));
        EXPECT_FALSE(byMember(1));
        if (counter) {
            EXPECT_EQ(counter->total, 11);
        }
    }
}
