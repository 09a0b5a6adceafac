// Events, semaphores and the multi-wait under contention. Every wait that could hang on
// a fault has a generous time-out; nothing asserts on how long anything took.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/event.h"
#include "platform/semaphore.h"
#include "platform/tests/eventually.h"
#include "platform/waitable.h"

namespace j4::platform {
namespace {

using testing::eventually;
using testing::GUARD_MS;

TEST(Semaphore, ReleaseSaturatesAtMaximum) {
    struct Case {
        int initial, maximum, release, before, after;
    } cases[] = {
        {0, 1000, 1, 0, 1},
        {0, 3, 5, 0, 3},
        {2, 3, 1, 2, 3},
        {3, 3, 1, 3, 3},
        {0, 1, 1, 0, 1},
        {1, 5, 0, 1, 1},
        {1, 5, -4, 1, 1},
        {0, 0x7fffffff, 0x7fffffff, 0, 0x7fffffff},
        {5, 0x7fffffff, 0x7fffffff, 5, 0x7fffffff},
    };
    for (const auto& c : cases) {
        Semaphore s(c.initial, c.maximum);
        ASSERT_TRUE(s.valid());
        EXPECT_EQ(s.release(c.release), c.before) << c.initial << "+" << c.release;
        EXPECT_EQ(s.count(), c.after) << c.initial << "+" << c.release << " max " << c.maximum;
        // Exactly `after` waits succeed, then the semaphore is empty.
        for (int i = 0; i < c.after && i < 10; ++i) {
            ASSERT_TRUE(s.wait(0));
        }
        if (c.after <= 10) {
            EXPECT_FALSE(s.wait(0));
        }
    }
}

TEST(Semaphore, RefusesImpossibleCounts) {
    for (auto [initial, maximum] : {std::pair{0, 0}, {-1, 5}, {6, 5}, {0, -3}}) {
        Semaphore s(initial, maximum);
        EXPECT_FALSE(s.valid()) << initial << "/" << maximum;
        EXPECT_FALSE(s.wait(0));
        EXPECT_EQ(s.release(), 0);
    }
}

TEST(Semaphore, CountsAreNeverLostOrDoubledUnderContention) {
    constexpr int PRODUCERS = 4, CONSUMERS = 4, PER_PRODUCER = 5000;
    constexpr int TOTAL = PRODUCERS * PER_PRODUCER;
    Semaphore sem(0, TOTAL);
    Event stop(Event::Reset::Manual);
    std::atomic<int> taken{0};
    std::vector<std::thread> threads;
    for (int c = 0; c < CONSUMERS; ++c) {
        threads.emplace_back([&] {
            for (;;) {
                const int r = waitAny({&sem, &stop}, GUARD_MS);
                if (r != 0) return;
                taken.fetch_add(1);
            }
        });
    }
    for (int p = 0; p < PRODUCERS; ++p) {
        threads.emplace_back([&] {
            for (int i = 0; i < PER_PRODUCER; ++i) sem.release();
        });
    }
    EXPECT_TRUE(eventually([&] { return taken.load() >= TOTAL; }));
    stop.set();
    for (auto& t : threads) t.join();
    EXPECT_EQ(taken.load(), TOTAL);
    EXPECT_EQ(sem.count(), 0);
    EXPECT_FALSE(sem.wait(0));
}

TEST(Semaphore, SaturatesUnderConcurrentReleases) {
    Semaphore sem(0, 7);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 1000; ++i) sem.release(3);
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(sem.count(), 7);
    int taken = 0;
    while (sem.wait(0)) ++taken;
    EXPECT_EQ(taken, 7);
}

TEST(Event, AutoResetCollapsesRepeatedSetsAndIsTakenOnce) {
    Event e(Event::Reset::Auto);
    ASSERT_TRUE(e.valid());
    EXPECT_FALSE(e.isSet());
    e.set();
    e.set();
    EXPECT_TRUE(e.isSet());
    EXPECT_TRUE(e.wait(0));
    EXPECT_FALSE(e.isSet());
    EXPECT_FALSE(e.wait(0));

    Event initially(Event::Reset::Auto, true);
    EXPECT_TRUE(initially.wait(0));
    EXPECT_FALSE(initially.wait(0));

    e.set();
    e.reset();
    EXPECT_FALSE(e.wait(0));
}

TEST(Event, AutoResetWakesExactlyOneOfManyWaiters) {
    constexpr int WAITERS = 6, ROUNDS = 300;
    Event e(Event::Reset::Auto);
    Event stop(Event::Reset::Manual);
    std::atomic<int> wins{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < WAITERS; ++i) {
        waiters.emplace_back([&] {
            for (;;) {
                const int r = waitAny({&e, &stop}, WAIT_FOREVER);
                if (r != 0) return;
                wins.fetch_add(1);
            }
        });
    }
    for (int round = 1; round <= ROUNDS; ++round) {
        e.set();
        ASSERT_TRUE(eventually([&] { return wins.load() >= round; })) << "round " << round;
    }
    stop.set();
    for (auto& t : waiters) t.join();
    EXPECT_EQ(wins.load(), ROUNDS);
    EXPECT_FALSE(e.isSet());
}

TEST(Event, ManualResetReleasesEveryWaiterAndStaysSet) {
    Event e(Event::Reset::Manual);
    std::atomic<int> released{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 6; ++i)
        waiters.emplace_back([&] {
            if (e.wait(GUARD_MS)) released.fetch_add(1);
        });
    e.set();
    for (auto& t : waiters) t.join();
    EXPECT_EQ(released.load(), 6);
    EXPECT_TRUE(e.isSet());
    EXPECT_TRUE(e.wait(0));
    e.reset();
    EXPECT_FALSE(e.isSet());
    EXPECT_FALSE(e.wait(0));
}

TEST(WaitAny, LowestSignalledIndexWinsAndOnlyItIsConsumed) {
    Event a(Event::Reset::Auto), b(Event::Reset::Auto);
    Semaphore s(0, 10);
    EXPECT_EQ(waitAny({&a, &b, &s}, 0), WAIT_TIMEOUT);

    b.set();
    s.release(2);
    EXPECT_EQ(waitAny({&a, &b, &s}, 0), 1);
    EXPECT_EQ(waitAny({&a, &b, &s}, 0), 2);
    EXPECT_EQ(s.count(), 1);
    a.set();
    EXPECT_EQ(waitAny({&s, &a}, 0), 0);
    EXPECT_TRUE(a.isSet());
    EXPECT_EQ(waitAny({&s, &a}, 0), 1);
    EXPECT_EQ(waitAny({&s, &a}, 0), WAIT_TIMEOUT);
}

TEST(WaitAny, WakesWhenAnotherThreadSignals) {
    Event a(Event::Reset::Auto), b(Event::Reset::Auto);
    std::thread setter([&] { b.set(); });
    EXPECT_EQ(waitAny({&a, &b}, GUARD_MS), 1);
    setter.join();
}

TEST(WaitAny, RefusesBadLists) {
    Event a;
    Semaphore broken(0, 0);
    EXPECT_EQ(waitAny({}, 0), WAIT_FAILED);
    EXPECT_EQ(waitAny({&a, nullptr}, 0), WAIT_FAILED);
    EXPECT_EQ(waitAny({&a, &broken}, 0), WAIT_FAILED);
}

}  // namespace
}  // namespace j4::platform
