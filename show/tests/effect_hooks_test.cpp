// Movement effects on a position control: advance, apply and tick.
#include <gtest/gtest.h>

#include "show/effect_shape.h"
#include "show/position_control.h"

namespace j4::show {
namespace {

using common::FULL_LEVEL;

EffectShape shapeWithFirstPoint(int16_t x, int16_t y) {
    EffectShape shape;
    shape.points[0] = {x, y};
    return shape;
}

TEST(SineTable, KnownEntries) {
    const auto& t = sineTable();
    EXPECT_EQ(t[0], 0);
    EXPECT_EQ(t[300], 512);  // sin 30° exactly half
    EXPECT_EQ(t[900], 1024);
    EXPECT_EQ(t[1800], 0);
    EXPECT_EQ(t[2700], -1024);
    EXPECT_EQ(t[450], 724);  // 724.077 truncated
    EXPECT_EQ(t[900 + 3600], 1024);
}

TEST(EffectApply, RotationGainAndLimits) {
    PositionControl position;
    ASSERT_TRUE(position.setOffsets(0, 0, 1, 0));
    const EffectShape shape = shapeWithFirstPoint(1000, 0);

    struct Case {
        const char* what;
        EffectSettings settings;
        uint8_t pan, tilt;
        uint8_t expectPan, expectTilt;
    } cases[] = {
        // 90°: x = 1000, y = 0 becomes x' = 0, y' = -1000: tilt rises by 1000 (0x03E8).
        {"rotation 900", {1024, 15, 900, 0}, 0x80, 0x80, 0x80, 0x83},
        {"no rotation moves pan", {1024, 15, 0, 0}, 0x80, 0x80, 0x83, 0x80},
        {"gain 0 leaves the head", {0, 15, 0, 0}, 0x80, 0x80, 0x80, 0x80},
        {"negative displacement stops at 0", {1024, 15, 1800, 0}, 0x00, 0x00, 0x00, 0x00},
    };
    for (const Case& c : cases) {
        PositionControl p = position;
        p.effectAdvance(c.settings, FULL_LEVEL);
        common::DmxFrame frame{};
        frame[0] = c.pan;
        frame[1] = c.tilt;
        p.effectApply(frame, c.settings, shape, FULL_LEVEL);
        EXPECT_EQ(frame[0], c.expectPan) << c.what;
        EXPECT_EQ(frame[1], c.expectTilt) << c.what;
    }
}

TEST(EffectApply, FourChannelsCarryTheFineBytes) {
    PositionControl p;
    p.setFourChannels(true);
    ASSERT_TRUE(p.setOffsets(0, 1, 2, 3));
    const EffectShape shape = shapeWithFirstPoint(0x0123, -0x0100);
    common::DmxFrame frame{};
    frame[0] = 0x10;
    frame[2] = 0x20;
    const EffectSettings s{1024, 15, 0, 0};
    p.effectAdvance(s, FULL_LEVEL);
    p.effectApply(frame, s, shape, FULL_LEVEL);
    EXPECT_EQ(frame[0], 0x11);
    EXPECT_EQ(frame[1], 0x23);
    EXPECT_EQ(frame[2], 0x21);  // tilt - y: 0x2000 + 0x100
    EXPECT_EQ(frame[3], 0x00);
}

TEST(EffectTick, SpeedsAddAndPositionWrapsOrRestarts) {
    PositionControl p;
    // Two layers at full level with speeds 15 and 30 advance 45 points per run.
    p.effectAdvance({102, 15, 0, 0}, FULL_LEVEL);
    p.effectAdvance({102, 30, 0, 0}, FULL_LEVEL);
    p.effectTick(1);  // first run after tick 0: continues from position 0
    EXPECT_EQ(p.effectState().position, 45);
    p.effectTick(1);  // a second tick in the same run does nothing
    EXPECT_EQ(p.effectState().position, 45);

    // Reverse runs backwards and wraps below 0.
    p.effectAdvance({102, 50, 0, 1}, FULL_LEVEL);
    p.effectTick(2);
    EXPECT_EQ(p.effectState().position, 2995);

    // Speed sums are limited to 1..100; nothing advanced still steps by 1.
    p.effectTick(3);
    EXPECT_EQ(p.effectState().position, 2996);

    // A run without the effect (tick 4 skipped) restarts the shape at point 0.
    p.effectAdvance({102, 15, 0, 0}, FULL_LEVEL);
    p.effectTick(5);
    EXPECT_EQ(p.effectState().position, 15);
}

TEST(EffectAdvance, RotationSumWrapsAndRoundsTowardZero) {
    PositionControl p;
    p.effectAdvance({102, 15, -3, 0}, 4096);  // -1.5 rounds toward zero: -1
    EXPECT_EQ(p.effectState().rotationSum, -1);
    p.effectAdvance({102, 15, 3600, 0}, FULL_LEVEL);
    p.effectAdvance({102, 15, 3600, 0}, FULL_LEVEL);
    EXPECT_EQ(p.effectState().rotationSum, 3599);  // 7199 - 3600
    EXPECT_EQ(p.effectState().directionSum, 4096 + 2 * FULL_LEVEL);
}

}  // namespace
}  // namespace j4::show
