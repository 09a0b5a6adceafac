// The C interface reports what became of each call.

#include "automation/j4auto.h"

#include <gtest/gtest.h>

#include "automation/console_side.h"
#include "automation/tests/test_block.h"

namespace j4::automation {
namespace {

TEST(FlatApi, ResultsOfEveryKind) {
    testing::TestBlock block;
    J4AutoClient* client = j4auto_open(block.name().c_str());
    ASSERT_NE(client, nullptr);
    EXPECT_STREQ(j4auto_error(client), "");
    EXPECT_EQ(j4auto_is_connected(client), 0);
    EXPECT_EQ(j4auto_play(client, -1), J4AUTO_NOT_CONNECTED);

    platform::Event wakeUp;
    ConsoleSide console(block.name());
    ASSERT_EQ(console.registerConsole(&wakeUp), J4AUTO_OK);
    EXPECT_EQ(j4auto_is_connected(client), 1);
    EXPECT_EQ(j4auto_set_submaster_level(client, 24, 0), J4AUTO_OUT_OF_RANGE);
    EXPECT_EQ(j4auto_load(client, nullptr), J4AUTO_OUT_OF_RANGE);
    EXPECT_EQ(j4auto_post(client, 0, 0, 0, nullptr), J4AUTO_OUT_OF_RANGE);
    EXPECT_EQ(j4auto_set_post_timeout(client, -1), J4AUTO_FAILED);
    ASSERT_EQ(j4auto_set_post_timeout(client, 0), J4AUTO_OK);
    EXPECT_EQ(j4auto_load(client, "/shows/a.j4"), J4AUTO_OK);
    for (int i = 1; i < SLOT_COUNT - 1; ++i) ASSERT_EQ(j4auto_stop(client), J4AUTO_OK);
    EXPECT_EQ(j4auto_stop(client), J4AUTO_DROPPED);

    J4AutoCommand c{};
    ASSERT_EQ(console.take(c), J4AUTO_OK);
    EXPECT_EQ(c.code, 14);
    EXPECT_STREQ(c.path, "/shows/a.j4");

    console.publishClock({1000, 2, 0, 1});
    int32_t time = 0, mode = 0, timecode = 0;
    EXPECT_EQ(j4auto_get_clock(client, &time, &mode, nullptr, &timecode), J4AUTO_OK);
    EXPECT_EQ(time, 1000);
    EXPECT_EQ(mode, 2);
    EXPECT_EQ(timecode, 1);
    EXPECT_STRNE(j4auto_result_text(J4AUTO_DROPPED), "unknown result");
    j4auto_close(client);

    EXPECT_EQ(j4auto_stop(nullptr), J4AUTO_FAILED);
    EXPECT_EQ(j4auto_is_connected(nullptr), 0);
    J4AutoClient* bad = j4auto_open("bad name");
    EXPECT_STRNE(j4auto_error(bad), "");
    EXPECT_EQ(j4auto_stop(bad), J4AUTO_FAILED);
    j4auto_close(bad);
}

}  // namespace
}  // namespace j4::automation
