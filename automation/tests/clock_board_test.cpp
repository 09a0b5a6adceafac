// The console's clock as clients read it back.

#include "automation/clock_board.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "automation/console_side.h"
#include "automation/j4_automation.h"
#include "automation/tests/test_block.h"

namespace j4::automation {
namespace {

TEST(ClockBoard, ClientsReadWhatTheConsolePublished) {
    testing::TestBlock block;
    ConsoleSide console(block.name());
    J4Automation client(block.name());
    EXPECT_EQ(client.clock(), (ClockValues{0, 0, 0, 0})) << "a fresh block starts at zero";
    console.publishClock({90'500, 1, 2, 2});
    EXPECT_EQ(client.J4Time(), 90'500);
    EXPECT_EQ(client.J4Mode(), 1);
    EXPECT_EQ(client.J4State(), 2);
    EXPECT_EQ(client.J4TimecodeState(), 2);
    // Kept after the console is gone: the last values it stored.
    console.unregisterConsole();
    EXPECT_EQ(J4Automation(block.name()).J4Time(), 90'500);
}

TEST(ClockBoard, ReadsNeverMixTwoFrames) {
    testing::TestBlock block;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int32_t i = 0; !stop.load(); ++i) publishClock(block.layout(), {i, i, i, i});
    });
    int torn = 0;
    for (int i = 0; i < 20'000; ++i) {
        const ClockValues v = readClock(block.layout());
        if (!(v.time == v.mode && v.mode == v.state && v.state == v.timecode)) ++torn;
    }
    stop = true;
    writer.join();
    EXPECT_EQ(torn, 0);
}

TEST(ClockBoard, AWriterStuckMidFrameDoesNotHangReaders) {
    testing::TestBlock block;
    publishClock(block.layout(), {5, 0, 1, 0});
    block.layout().clockSequence |= 1u;  // as if the console died while writing
    EXPECT_EQ(readClock(block.layout()).time, 5);
    publishClock(block.layout(), {6, 0, 1, 0});  // the next console recovers it
    EXPECT_EQ(block.layout().clockSequence % 2, 0u);
    EXPECT_EQ(readClock(block.layout()).time, 6);
}

}  // namespace
}  // namespace j4::automation
