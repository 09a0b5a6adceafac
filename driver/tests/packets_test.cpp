#include <gtest/gtest.h>

#include <numeric>

#include "driver/packets.h"

namespace j4::driver {
namespace {

TEST(Packets, MillisecondTablesSumToOneSecond) {
    EXPECT_EQ(std::accumulate(INC30.begin(), INC30.end(), 0), 1000);
    EXPECT_EQ(std::accumulate(INC24.begin(), INC24.end(), 0), 1000);
    EXPECT_EQ((std::vector<int>(INC30.begin(), INC30.begin() + 6)),
              (std::vector<int>{33, 34, 33, 33, 34, 33}));
    EXPECT_EQ((std::vector<int>(INC24.begin(), INC24.begin() + 6)),
              (std::vector<int>{42, 41, 42, 42, 41, 42}));
    EXPECT_EQ(OFFSET30[29], 967);
    EXPECT_EQ(OFFSET24[23], 958);
}

TEST(Packets, TransportCarriesDigitsModeAndTransportCode) {
    const auto p = transportPacket(3'723'500, 0, 1, 3);  // 1 h 2 min 3.5 s
    EXPECT_EQ(p[0], 2);
    EXPECT_EQ(p[1], 1);
    EXPECT_EQ(p[2], 0);
    EXPECT_EQ((std::vector<int>(p.begin() + 3, p.begin() + 11)),
              (std::vector<int>{0, 1, 0, 2, 0, 3, 1, 5}));
    EXPECT_EQ(p[11], 3);
    struct Case {
        int mode, state, byte1, code;
    };
    for (const Case c : {Case{0, 0, 1, 3}, Case{1, 1, 2, 0}, Case{2, 1, 1, 3}, Case{0, 2, 1, 4},
                         Case{1, 0, 2, 3}}) {
        const auto t = transportPacket(0, c.mode, c.state, 1);
        EXPECT_EQ(t[1], c.byte1) << c.mode << " " << c.state;
        EXPECT_EQ(t[2], c.code) << c.mode << " " << c.state;
    }
}

TEST(Packets, ConfigAndVendorRequestLayout) {
    const auto c = configPacket({1, 2, 16, 4}, 300);
    EXPECT_EQ((std::vector<int>(c.begin(), c.begin() + 8)),
              (std::vector<int>{3, 1, 2, 16, 4, 1, 44, 0}));
    EXPECT_EQ(cpuResetRequest(0xE600, true),
              (VendorRequestBytes{0xA0, 0, 0x00, 0xE6, 0, 0, 1, 0, 0, 1}));
}

Packet status(uint8_t flags, int h, int m, int s, int f, uint8_t byte1 = 0) {
    Packet p{};
    p[0] = flags;
    p[1] = byte1;
    encodeTimecodeDigits(p, h, m, s, f);
    return p;
}

TEST(Packets, DecodesTimecodeAtEachRate) {
    struct Case {
        uint8_t flags;
        int frame;
        int ms;
    };
    for (const Case c : {Case{0x20, 15, 500}, Case{0x28, 15, 500}, Case{0x30, 12, 480},
                         Case{0x38, 12, 500}, Case{0x38, 23, 958}, Case{0x30, 24, 960}}) {
        const auto tc = decodeTimecode(status(c.flags, 1, 2, 3, c.frame));
        ASSERT_TRUE(tc) << int(c.flags);
        EXPECT_EQ(tc->seconds, 3723);
        EXPECT_EQ(frameMilliseconds(tc->flags, tc->frameIndex), c.ms) << int(c.flags);
    }
}

TEST(Packets, OutOfRangeDigitsCarryNoTimecode) {
    std::vector<Packet> bad = {
        status(0x00, 1, 2, 3, 4),        // flag clear
        status(0x20, 1, 2, 3, 4, 0x01),  // "do not take"
        status(0x20, 24, 0, 0, 0),       // hour 24
        status(0x20, 0, 60, 0, 0),       // minute tens 6
        status(0x20, 0, 0, 0, 30),       // frame 30
        status(0x30, 0, 0, 0, 25),       // frame 25 at 25 fps
        status(0x38, 0, 0, 0, 24),       // frame 24 at 24 fps
    };
    Packet unitsTooLarge = status(0x20, 0, 0, 0, 0);
    unitsTooLarge[9] = 0x0C;  // frame units 12
    bad.push_back(unitsTooLarge);
    Packet hourUnits = status(0x20, 0, 0, 0, 0);
    hourUnits[3] = 0x0F;
    bad.push_back(hourUnits);
    for (size_t i = 0; i < bad.size(); ++i) EXPECT_FALSE(decodeTimecode(bad[i])) << i;
}

}  // namespace
}  // namespace j4::driver
