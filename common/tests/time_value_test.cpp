#include "common/time_value.h"

#include <gtest/gtest.h>

namespace j4::common {

TEST(TimeValue, FromAndToMilliseconds) {
    struct Case {
        ShowTime ms;
        int32_t seconds, frames;
        ShowTime back;
    } cases[] = {
        {0, 0, 0, 0},         {16, 0, 0, 0},        {17, 0, 1, 33},     {33, 0, 1, 33},
        {983, 0, 29, 967},    {984, 1, 0, 1000},    {999, 1, 0, 1000},  {1067, 1, 2, 1067},
        {86'399'967, 86'399, 29, 86'399'967},
    };
    for (const auto& c : cases) {
        const TimeValue t = TimeValue::fromMilliseconds(c.ms);
        EXPECT_EQ(t.seconds, c.seconds) << c.ms;
        EXPECT_EQ(t.frames, c.frames) << c.ms;
        EXPECT_EQ(t.toMilliseconds(), c.back) << c.ms;
    }
    for (int f = 0; f < FRAMES_PER_SECOND; ++f)
        EXPECT_EQ((TimeValue{0, f}.toMilliseconds()), FRAME_OFFSETS[f]);
}

TEST(TimeValue, StepsAndArithmetic) {
    EXPECT_EQ((TimeValue{0, 29}.nextFrame()), (TimeValue{1, 0}));
    EXPECT_EQ((TimeValue{1, 0}.previousFrame()), (TimeValue{0, 29}));
    EXPECT_EQ((TimeValue{0, 0}.previousFrame()), (TimeValue{0, 0}));
    EXPECT_EQ((TimeValue{1, 20} + TimeValue{2, 15}), (TimeValue{4, 5}));
    EXPECT_EQ((TimeValue{4, 5} - TimeValue{2, 15}), (TimeValue{1, 20}));
    EXPECT_LT((TimeValue{1, 29}), (TimeValue{2, 0}));
    EXPECT_LT((TimeValue{2, 0}), (TimeValue{2, 1}));
    // Two ms times that map to one TimeValue are the same time.
    EXPECT_EQ(TimeValue::fromMilliseconds(1017), TimeValue::fromMilliseconds(1049));
}

TEST(TimeValue, Texts) {
    const TimeValue t{3599, 29};
    EXPECT_EQ(t.longText(), "00:59:59:29");
    EXPECT_EQ(t.shortText(), "59:59:29");
    const TimeValue hour{3600 + 61, 3};
    EXPECT_EQ(hour.longText(), "01:01:01:03");
    EXPECT_EQ(hour.shortText(), "01:01:03");
}

TEST(TimeValue, FieldsClampToADay) {
    EXPECT_EQ(fieldsToMilliseconds(25, 61, 61, 31), 86'399'967);
    EXPECT_EQ(fieldsToMilliseconds(-1, -5, -5, -5), 0);
    EXPECT_EQ(fieldsToMilliseconds(1, 2, 3, 4), 3'600'000 + 120'000 + 3000 + 133);
}

}  // namespace j4::common
