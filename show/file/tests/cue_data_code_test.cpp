#include "show/file/cue_data_code.h"

#include <gtest/gtest.h>

#include <random>

namespace j4::show {

using Values = std::array<uint8_t, common::FRAME_CHANNELS>;

TEST(CueDataCode, AllZeroIsSixtyFourFullRuns) {
    Values zero{};
    const auto code = encodeCueData(zero);
    ASSERT_EQ(code.size(), 128u);
    for (size_t i = 0; i < code.size(); i += 2) {
        EXPECT_EQ(code[i], 0xFF);
        EXPECT_EQ(code[i + 1], 0x00);
    }
}

TEST(CueDataCode, LiteralLeavesThePairForTheNextRun) {
    Values v{};
    v[0] = 1, v[1] = 2, v[2] = 2, v[3] = 3;
    const auto code = encodeCueData(v);
    const std::vector<uint8_t> start(code.begin(), code.begin() + 6);
    // 1 | run of two 2s | literal starting with 3 (3 then the 0 that starts the zeros'
    // run is left for the run).
    EXPECT_EQ(start, (std::vector<uint8_t>{0x00, 0x01, 0x81, 0x02, 0x00, 0x03}));
}

TEST(CueDataCode, RoundTripsRandomAndPatternedFrames) {
    std::mt19937 rng(7);
    for (int round = 0; round < 20; ++round) {
        Values v{};
        for (auto& b : v) b = static_cast<uint8_t>(round % 2 ? rng() % 3 : rng());
        Values back{};
        std::string error;
        ASSERT_TRUE(decodeCueData(encodeCueData(v), back, &error)) << error;
        EXPECT_EQ(back, v);
    }
}

TEST(CueDataCode, DecodesOldFourUniverseData) {
    std::vector<uint8_t> code;
    for (int i = 0; i < 16; ++i) code.insert(code.end(), {0xFF, 0x07});  // 2048 x 7
    Values v{};
    ASSERT_TRUE(decodeCueData(code, v, nullptr));
    EXPECT_EQ(v[2047], 7);
    EXPECT_EQ(v[2048], 0);
    EXPECT_EQ(v[8191], 0);
}

TEST(CueDataCode, RefusesWrongLengths) {
    struct Case {
        const char* what;
        std::vector<uint8_t> code;
    } cases[] = {
        {"empty", {}},
        {"short run", {0x80}},
        {"short literal", {0x03, 1, 2}},
        {"100 values", {0xE3, 0x00}},
    };
    for (const auto& c : cases) {
        Values v{};
        v[0] = 9;
        std::string error;
        EXPECT_FALSE(decodeCueData(c.code, v, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
        EXPECT_EQ(v[0], 0) << c.what;
    }
    // A packet that would pass 8192 values.
    std::vector<uint8_t> over;
    for (int i = 0; i < 64; ++i) over.insert(over.end(), {0xFF, 0x00});
    over.insert(over.end(), {0x80, 0x00});
    Values v{};
    // Decoding stops at 8192 values; a trailing packet is not read.
    EXPECT_TRUE(decodeCueData(over, v, nullptr));
    std::vector<uint8_t> crossing;
    for (int i = 0; i < 63; ++i) crossing.insert(crossing.end(), {0xFF, 0x00});
    crossing.insert(crossing.end(), {0xFE, 0x00, 0x81, 0x00});  // 127 + 2 passes 8192
    EXPECT_FALSE(decodeCueData(crossing, v, nullptr));
}

}  // namespace j4::show
