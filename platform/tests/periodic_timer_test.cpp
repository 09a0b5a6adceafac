#include "platform/periodic_timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/tests/eventually.h"

namespace j4::platform {
namespace {

constexpr int64_t ONE_MS = 1'000'000;
using testing::eventually;

TEST(PeriodicTimer, TicksUntilStoppedAndNeverAfter) {
    PeriodicTimer timer;
    std::atomic<int> ticks{0};
    std::atomic<bool> inTick{false};
    ASSERT_TRUE(timer.start(ONE_MS, [&] {
        inTick = true;
        ticks.fetch_add(1);
        inTick = false;
    }));
    EXPECT_TRUE(timer.running());
    EXPECT_FALSE(timer.start(ONE_MS, [] {}));  // already running
    ASSERT_TRUE(eventually([&] { return ticks.load() >= 5; }));
    timer.stop();
    EXPECT_FALSE(timer.running());
    EXPECT_FALSE(inTick.load());
    const int atStop = ticks.load();
    // Give a stray tick every chance to happen; none may.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(ticks.load(), atStop);
    timer.stop();  // a second stop is harmless

    // The same timer starts again after a stop.
    ASSERT_TRUE(timer.start(ONE_MS, [&] { ticks.fetch_add(1); }));
    EXPECT_TRUE(eventually([&] { return ticks.load() >= atStop + 3; }));
}

TEST(PeriodicTimer, RefusesBadArguments) {
    PeriodicTimer timer;
    EXPECT_FALSE(timer.start(0, [] {}));
    EXPECT_FALSE(timer.start(-5, [] {}));
    EXPECT_FALSE(timer.start(ONE_MS, nullptr));
    EXPECT_FALSE(timer.running());
}

TEST(PeriodicTimer, StopFromInsideTheTickDoesNotDeadlock) {
    PeriodicTimer timer;
    std::atomic<int> ticks{0};
    ASSERT_TRUE(timer.start(ONE_MS, [&] {
        if (ticks.fetch_add(1) == 2) timer.stop();
    }));
    ASSERT_TRUE(eventually([&] { return ticks.load() >= 3; }));
    timer.stop();  // joins the thread that asked itself to stop
    EXPECT_EQ(ticks.load(), 3);
}

TEST(PeriodicTimer, DestructorStopsTheThread) {
    std::atomic<int> ticks{0};
    {
        PeriodicTimer timer;
        ASSERT_TRUE(timer.start(ONE_MS, [&] { ticks.fetch_add(1); }));
        ASSERT_TRUE(eventually([&] { return ticks.load() >= 2; }));
    }
    const int atEnd = ticks.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ticks.load(), atEnd);
}

}  // namespace
}  // namespace j4::platform
