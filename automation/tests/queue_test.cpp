// The command queue through the client class and the console side, in one process.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <future>
#include <string>

#include "automation/command_queue.h"
#include "automation/console_side.h"
#include "automation/j4_automation.h"
#include "automation/tests/test_block.h"

namespace j4::automation {
namespace {

using std::chrono::milliseconds;

class Queue : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(console.attached()) << console.error();
        ASSERT_EQ(console.registerConsole(&wakeUp), J4AUTO_OK);
        client.setPostTimeout(milliseconds(0));
    }

    J4AutoCommand take() {
        J4AutoCommand c{};
        EXPECT_EQ(console.take(c), J4AUTO_OK);
        return c;
    }

    testing::TestBlock block;
    platform::Event wakeUp;
    ConsoleSide console{block.name()};
    J4Automation client{block.name()};
};

TEST_F(Queue, EveryMethodQueuesItsCommand) {
    struct Case {
        std::function<PostResult(J4Automation&)> call;
        int32_t code, a1, a2;
    } cases[] = {
        {[](J4Automation& a) { return a.SetSubmasterLevel(23, 8192); }, 1, 23, 8192},
        {[](J4Automation& a) { return a.RecallPreset(5); }, 2, 5, 0},
        {[](J4Automation& a) { return a.SetGrandmasterLevel(4096); }, 3, 4096, 0},
        {[](J4Automation& a) { return a.SetXLevel(3, 1); }, 4, 3, 1},
        {[](J4Automation& a) { return a.SetYLevel(2, 2); }, 5, 2, 2},
        {[](J4Automation& a) { return a.SetSubmasterCue(0, 1000000); }, 6, 0, 1000000},
        {[](J4Automation& a) { return a.SetXCue(1, 7); }, 7, 1, 7},
        {[](J4Automation& a) { return a.SetYCue(1, 8); }, 8, 1, 8},
        {[](J4Automation& a) { return a.SetTransportMode(2); }, 9, 2, 0},
        {[](J4Automation& a) { return a.Play(-1); }, 10, -1, 0},
        {[](J4Automation& a) { return a.Stop(); }, 11, 0, 0},
        {[](J4Automation& a) { return a.Record(90'500); }, 12, 90'500, 0},
        {[](J4Automation& a) { return a.Automate(60'000, -1); }, 13, 60'000, -1},
        {[](J4Automation& a) { return a.SetAuxSubLevel(3, 8192); }, 15, 3, 8192},
        {[](J4Automation& a) { return a.SetAuxSubCue(0, 12); }, 16, 0, 12},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.call(client), PostResult::Posted) << c.code;
        const J4AutoCommand got = take();
        EXPECT_EQ(got.code, c.code);
        EXPECT_EQ(got.argument1, c.a1) << c.code;
        EXPECT_EQ(got.argument2, c.a2) << c.code;
        EXPECT_STREQ(got.path, "") << c.code;
    }
}

TEST_F(Queue, OutOfRangeQueuesNothing) {
    const std::function<PostResult(J4Automation&)> calls[] = {
        [](J4Automation& a) { return a.SetSubmasterLevel(24, 100); },
        [](J4Automation& a) { return a.SetSubmasterLevel(0, 8193); },
        [](J4Automation& a) { return a.RecallPreset(-1); },
        [](J4Automation& a) { return a.SetGrandmasterLevel(-1); },
        [](J4Automation& a) { return a.SetXLevel(4, 0); },
        [](J4Automation& a) { return a.SetYCue(-1, 3); },
        [](J4Automation& a) { return a.SetTransportMode(3); },
        [](J4Automation& a) { return a.Play(-2); },
        [](J4Automation& a) { return a.Record(86'400'000); },
        [](J4Automation& a) { return a.Automate(0, -2); },
        [](J4Automation& a) { return a.Load(""); },
        [](J4Automation& a) { return a.Load(std::string(256, 'a')); },
        [](J4Automation& a) { return a.SetAuxSubLevel(4, 0); },
        [](J4Automation& a) { return a.post(17, 0, 0); },
    };
    for (const auto& call : calls) EXPECT_EQ(call(client), PostResult::OutOfRange);
    J4AutoCommand untouched{};
    untouched.code = 77;
    EXPECT_EQ(console.take(untouched), J4AUTO_EMPTY);
    EXPECT_EQ(untouched.code, 77) << "an empty take leaves the output alone";
}

TEST_F(Queue, FirstInFirstOutAcrossTheWrap) {
    int32_t next = 0;
    int32_t expected = 0;
    for (int round = 0; round < 6; ++round) {
        for (int i = 0; i < 17; ++i)
            ASSERT_EQ(client.SetGrandmasterLevel(next++), PostResult::Posted);
        for (int i = 0; i < 17; ++i) EXPECT_EQ(take().argument1, expected++);
        J4AutoCommand none{};
        EXPECT_EQ(console.take(none), J4AUTO_EMPTY);
    }
    // 102 commands went through 25 slots: both indexes wrapped several times.
    EXPECT_EQ(block.layout().readIndex, 102 % SLOT_COUNT);
}

TEST_F(Queue, EachLoadKeepsItsOwnPath) {
    ASSERT_EQ(client.Load("/shows/first.j4"), PostResult::Posted);
    ASSERT_EQ(client.Load("/shows/second.j4"), PostResult::Posted);
    ASSERT_EQ(client.Load(std::string(255, 'p')), PostResult::Posted);
    EXPECT_STREQ(take().path, "/shows/first.j4");
    const J4AutoCommand second = take();
    EXPECT_EQ(second.code, 14);
    EXPECT_STREQ(second.path, "/shows/second.j4");
    EXPECT_EQ(std::string(take().path), std::string(255, 'p'));
}

TEST_F(Queue, FullQueueWaitsForTheConsoleThenDrops) {
    for (int i = 0; i < SLOT_COUNT - 1; ++i)
        ASSERT_EQ(client.RecallPreset(i % 24), PostResult::Posted);
    // A console that takes nothing: the 25th is dropped after the time-out, not queued.
    client.setPostTimeout(milliseconds(30));
    EXPECT_EQ(client.Stop(), PostResult::Dropped);

    // With room made while it waits (it cannot have gone in before: the queue was
    // full), the 25th goes in behind the others.
    client.setPostTimeout(milliseconds(10'000));
    auto waiting = std::async(std::launch::async, [this] { return client.Stop(); });
    EXPECT_EQ(take().code, 2);
    EXPECT_EQ(waiting.get(), PostResult::Posted);
    for (int i = 1; i < SLOT_COUNT - 1; ++i) EXPECT_EQ(take().argument1, i % 24);
    EXPECT_EQ(take().code, 11);
}

TEST_F(Queue, DamagedBlockIsNeverFollowed) {
    BlockLayout& b = block.layout();
    b.writeIndex = 1000;
    EXPECT_EQ(client.Stop(), PostResult::Failed);
    J4AutoCommand c{};
    EXPECT_EQ(console.take(c), J4AUTO_EMPTY);  // repairs the indexes
    EXPECT_EQ(client.Stop(), PostResult::Posted);
    EXPECT_EQ(take().code, 11);

    // Slots written by something other than this library.
    auto plant = [&](int32_t code, int32_t a1, const char* path, bool terminate) {
        CommandSlot& s = b.slots[b.writeIndex];
        s.code = code;
        s.argument1 = a1;
        s.argument2 = 0;
        std::memset(s.path, 'x', sizeof s.path);
        std::memcpy(s.path, path, std::strlen(path));
        if (terminate) s.path[std::strlen(path)] = '\0';
        b.writeIndex = (b.writeIndex + 1) % SLOT_COUNT;
    };
    plant(99, 0, "", true);
    plant(1, 24, "", true);
    plant(14, 0, "/no/terminator", false);
    plant(14, 0, "", true);
    plant(14, 0, "/fine.j4", true);
    for (int i = 0; i < 4; ++i) {
        J4AutoCommand bad{};
        EXPECT_EQ(console.take(bad), J4AUTO_INVALID_COMMAND) << i;
        EXPECT_EQ(bad.path[0], '\0');
    }
    EXPECT_STREQ(take().path, "/fine.j4");
}

TEST_F(Queue, NothingIsQueuedWithoutAConsole) {
    console.unregisterConsole();
    EXPECT_EQ(client.IsConnected(), 0);
    EXPECT_EQ(client.Play(-1), PostResult::NotConnected);
    EXPECT_TRUE(CommandQueue(block.layout()).empty());
}

}  // namespace
}  // namespace j4::automation
