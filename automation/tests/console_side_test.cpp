// The console's registration: "connected", its wake-up event, a fresh queue.

#include "automation/console_side.h"

#include <gtest/gtest.h>

#include <future>

#include "automation/j4_automation.h"
#include "automation/tests/test_block.h"

namespace j4::automation {
namespace {

using std::chrono::milliseconds;

// Generous guard for a wake-up that should come at once; never a measurement.
constexpr int GUARD_MS = 5000;

TEST(ConsoleSide, ConnectedOnlyWhileRegistered) {
    testing::TestBlock block;
    J4Automation client(block.name());
    platform::Event wakeUp;
    {
        ConsoleSide console(block.name());
        EXPECT_EQ(client.IsConnected(), 0);
        ASSERT_EQ(console.registerConsole(&wakeUp), J4AUTO_OK);
        EXPECT_EQ(client.IsConnected(), 1);

        ConsoleSide second(block.name());
        EXPECT_EQ(second.registerConsole(&wakeUp), J4AUTO_IN_USE);
        EXPECT_EQ(client.IsConnected(), 1);

        console.unregisterConsole();
        EXPECT_EQ(client.IsConnected(), 0);
        EXPECT_EQ(second.registerConsole(&wakeUp), J4AUTO_OK);
        EXPECT_EQ(client.IsConnected(), 1);
    }
    EXPECT_EQ(client.IsConnected(), 0) << "a console that goes away is not connected";
}

TEST(ConsoleSide, APostWakesTheConsole) {
    testing::TestBlock block;
    platform::Event first, second;  // outlive the console's registration
    ConsoleSide console(block.name());
    ASSERT_EQ(console.registerConsole(&first), J4AUTO_OK);
    J4Automation client(block.name());
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(client.SetGrandmasterLevel(i), PostResult::Posted);
        ASSERT_TRUE(first.wait(GUARD_MS)) << i;
        J4AutoCommand c{};
        ASSERT_EQ(console.take(c), J4AUTO_OK);
        EXPECT_EQ(c.argument1, i);
    }
    // Registering again moves the wake-ups to the new event; commands that are already
    // waiting wake it at once.
    ASSERT_EQ(client.Stop(), PostResult::Posted);
    ASSERT_EQ(console.registerConsole(&second), J4AUTO_OK);
    EXPECT_TRUE(second.wait(GUARD_MS));
    first.reset();
    ASSERT_EQ(client.Stop(), PostResult::Posted);
    EXPECT_TRUE(second.wait(GUARD_MS));
    EXPECT_FALSE(first.isSet());
}

TEST(ConsoleSide, ANewConsoleDoesNotRunItsPredecessorsCommands) {
    testing::TestBlock block;
    J4Automation client(block.name());
    platform::Event wakeUp;
    {
        ConsoleSide dying(block.name());
        ASSERT_EQ(dying.registerConsole(&wakeUp), J4AUTO_OK);
        ASSERT_EQ(client.Load("/shows/crashes-the-console.j4"), PostResult::Posted);
    }
    ConsoleSide next(block.name());
    ASSERT_EQ(next.registerConsole(&wakeUp), J4AUTO_OK);
    J4AutoCommand c{};
    EXPECT_EQ(next.take(c), J4AUTO_EMPTY);
}

TEST(ConsoleSide, AClientWaitingOnAFullQueueGivesUpWhenTheConsoleGoes) {
    testing::TestBlock block;
    platform::Event wakeUp;
    ConsoleSide console(block.name());
    ASSERT_EQ(console.registerConsole(&wakeUp), J4AUTO_OK);
    J4Automation client(block.name());
    for (int i = 0; i < SLOT_COUNT - 1; ++i) ASSERT_EQ(client.Stop(), PostResult::Posted);
    client.setPostTimeout(milliseconds(60'000));
    auto waiting = std::async(std::launch::async, [&] { return client.Stop(); });
    console.unregisterConsole();
    EXPECT_EQ(waiting.get(), PostResult::NotConnected);
}

TEST(ConsoleSide, RefusesABlockItCannotTrust) {
    EXPECT_FALSE(ConsoleSide("no-slash").attached());
    EXPECT_FALSE(ConsoleSide("/a/b").attached());
    platform::Event wakeUp;
    ConsoleSide unusable("no-slash");
    EXPECT_EQ(unusable.registerConsole(&wakeUp), J4AUTO_FAILED);
    J4AutoCommand c{};
    EXPECT_EQ(unusable.take(c), J4AUTO_EMPTY);
    unusable.publishClock({1, 0, 0, 0});  // harmless

    J4Automation client("no-slash");
    EXPECT_FALSE(client.attached());
    EXPECT_FALSE(client.error().empty());
    EXPECT_EQ(client.Stop(), PostResult::Failed);
    EXPECT_EQ(client.IsConnected(), 0);
}

}  // namespace
}  // namespace j4::automation
