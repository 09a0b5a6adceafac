// How j4ctl shows the clock, including values no console would publish.

#include "automation/j4ctl/status_text.h"

#include <gtest/gtest.h>

namespace j4::automation {
namespace {

TEST(StatusText, ValuesAndNonsense) {
    EXPECT_EQ(timeText(0), "00:00:00:00");
    EXPECT_EQ(timeText(90'500), "00:01:30:15");
    EXPECT_EQ(timeText(86'399'967), "23:59:59:29");
    EXPECT_EQ(timeText(-1), "--:--:--:--");
    EXPECT_EQ(timeText(-5), "invalid (-5)");
    EXPECT_EQ(timeText(86'400'000), "invalid (86400000)");
    EXPECT_EQ(modeText(0), "Internal");
    EXPECT_EQ(modeText(2), "Step");
    EXPECT_EQ(modeText(3), "unknown (3)");
    EXPECT_EQ(stateText(1), "playing");
    EXPECT_EQ(stateText(-1), "unknown (-1)");
    EXPECT_EQ(timecodeText(2), "lost, running free");
    EXPECT_EQ(timecodeText(1 << 30), "unknown (1073741824)");
}

TEST(StatusText, ReportAndLine) {
    const ClockValues c{90'500, 1, 2, 1};
    EXPECT_EQ(statusReport(true, c),
              "console:  running\n"
              "time:     00:01:30:15\n"
              "mode:     Timecode\n"
              "state:    recording\n"
              "timecode: receiving\n");
    EXPECT_EQ(statusLine(false, c),
              "00:01:30:15  Timecode  recording  timecode receiving  [console not running]");
}

}  // namespace
}  // namespace j4::automation
