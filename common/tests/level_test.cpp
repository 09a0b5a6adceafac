#include "common/level.h"

#include <gtest/gtest.h>

namespace j4::common {

TEST(Level, ScalingTable) {
    struct Case {
        int32_t x;
        Level level;
        int32_t expected;
    } cases[] = {
        {255, FULL_LEVEL, 255}, {255, 4096, 127}, {1, 4096, 0},     {65535, 4096, 32767},
        {255, 0, 0},            {-1, 4096, -1},   {-3, 4096, -2},   {8192, 8192, 8192},
    };
    for (const auto& c : cases)
        EXPECT_EQ(scaleByLevel(c.x, c.level), c.expected) << c.x << " at " << c.level;
    EXPECT_EQ(grandMasterLevel(4096, FULL_LEVEL), 4096);
    EXPECT_EQ(grandMasterLevel(4096, 4096), 2048);
}

TEST(Level, InputValueToLevel) {
    EXPECT_EQ(inputValueToLevel(0), 0);
    EXPECT_EQ(inputValueToLevel(128), 4112);
    EXPECT_EQ(inputValueToLevel(255), FULL_LEVEL);
}

TEST(Level, FadePositionRoundsHalvesAwayFromZero) {
    struct Case {
        int32_t a, b, c, expected;
    } cases[] = {
        {1, 8192, 3, 2731},      // 2730.67 -> 2731
        {1, 8192, 16384, 1},     // exactly 0.5 -> 1
        {-1, 8192, 16384, -1},   // -0.5 -> -1
        {3, 8192, 16384, 2},     // 1.5 -> 2
        {999, 8192, 1000, 8184}, // 8183.8 -> 8184
        {2'000'000'000, 8192, 2'000'000'001, 8192},  // needs the 64-bit product
        {5, 7, 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mulDivRound(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
    EXPECT_EQ(fadePosition(500, 1000), 4096);
}

}  // namespace j4::common
