#include <gtest/gtest.h>

#include "driver/driver_clock.h"
#include "driver/packets.h"

namespace j4::driver {
namespace {

Packet tc(uint8_t flags, int h, int m, int s, int f) {
    Packet p{};
    p[0] = flags;
    encodeTimecodeDigits(p, h, m, s, f);
    return p;
}
const Packet NONE{};

DriverClock playing(int mode) {
    DriverClock c;
    c.mode = mode;
    c.changeState(1);
    return c;
}

TEST(DriverClock, StepModeAdvancesExactlyOneSecondPerThirtyPackets) {
    DriverClock c = playing(2);
    c.time = 5000;
    for (int i = 0; i < 30; ++i) c.onStatusPacket(NONE, false);
    EXPECT_EQ(c.time, 6000);
}

TEST(DriverClock, TimecodeSetsTimeAndOffsetNeverGoesNegative) {
    DriverClock c = playing(1);
    c.onStatusPacket(tc(0x20, 1, 2, 3, 15), false);
    EXPECT_EQ(c.time, 3'723'500);
    EXPECT_EQ(c.timecodeStatus, 1);
    c.offset = -2000;
    c.onStatusPacket(tc(0x60, 0, 0, 0, 0), false);
    EXPECT_EQ(c.time, 0);
    c.onStatusPacket(tc(0x60, 0, 0, 3, 0), false);
    EXPECT_EQ(c.time, 1000);
}

TEST(DriverClock, TimeStaysWithinOneDay) {
    DriverClock c = playing(1);
    c.offset = 5000;
    c.onStatusPacket(tc(0x60, 23, 59, 59, 0), false);
    EXPECT_EQ(c.time, 4000);  // wrapped past midnight
    DriverClock s = playing(2);
    s.time = 86'399'990;
    s.onStatusPacket(NONE, false);
    EXPECT_GE(s.time, 0);
    EXPECT_LT(s.time, 86'400'000);
}

TEST(DriverClock, LostTimecodeHoldsOrRunsFreeBySwitch) {
    for (bool keepRunning : {false, true}) {
        DriverClock c = playing(1);
        c.onStatusPacket(tc(0x20, 0, 0, 10, 0), keepRunning);
        ASSERT_EQ(c.time, 10'000);
        for (int i = 0; i < 4; ++i) c.onStatusPacket(NONE, keepRunning);
        const int32_t afterFour = c.time;
        EXPECT_EQ(afterFour, 10'000 + INC30[1] + INC30[2] + INC30[3] + INC30[4]);
        c.onStatusPacket(NONE, keepRunning);
        if (keepRunning) {
            EXPECT_EQ(c.timecodeStatus, 2);
            EXPECT_GT(c.time, afterFour);
            // Running free for good, even when timecode returns.
            const int32_t before = c.time;
            c.onStatusPacket(tc(0x20, 0, 0, 0, 0), keepRunning);
            EXPECT_GT(c.time, before);
            c.changeState(1);
            EXPECT_EQ(c.timecodeStatus, 0);
        } else {
            EXPECT_EQ(c.time, afterFour);
            EXPECT_FALSE(c.locked);
            EXPECT_EQ(c.timecodeStatus, 0);
        }
    }
}

TEST(DriverClock, OutOfRangeTimecodeCountsAsNone) {
    DriverClock c = playing(1);
    c.time = 777;
    c.onStatusPacket(tc(0x20, 0, 0, 0, 35), false);  // frames tens 3
    EXPECT_EQ(c.time, 777);
    EXPECT_EQ(c.timecodeStatus, 0);
    EXPECT_FALSE(c.locked);
}

TEST(DriverClock, StopTimesEndPlaybackAndStateZeroClearsThem) {
    DriverClock c = playing(2);
    c.stopTime = 100;
    bool stopped = false;
    for (int i = 0; i < 2 && !stopped; ++i) stopped = c.onStatusPacket(NONE, false);
    EXPECT_FALSE(stopped);
    stopped = c.onStatusPacket(NONE, false);  // 34 + 33 + 33 reaches 100
    EXPECT_TRUE(stopped);
    EXPECT_EQ(c.state, 0);
    EXPECT_EQ(c.stopTime, -1);

    DriverClock a = playing(2);
    a.automationStopTime = 30;
    a.stopTime = 5000;
    EXPECT_TRUE(a.onStatusPacket(NONE, false));
    EXPECT_EQ(a.state, 0);
    EXPECT_EQ(a.stopTime, -1);  // the state change cleared both
}

TEST(DriverClock, FrameRateReportsStoredCodeUntilLocked) {
    DriverClock c = playing(1);
    c.frameRateCode = 4;
    EXPECT_EQ(c.reportedFrameRate(), 4);
    c.onStatusPacket(tc(0x30, 0, 0, 1, 0), false);
    EXPECT_EQ(c.reportedFrameRate(), 3);
    c.changeState(1);
    EXPECT_EQ(c.reportedFrameRate(), 4);
}

}  // namespace
}  // namespace j4::driver
