// The console publishes its clock on the per-frame path: no allocation there.

#include <gtest/gtest.h>

#include <cstdlib>

#include "automation/console_exports.h"
#include "automation/tests/allocation_counter.h"
#include "automation/tests/test_block.h"

namespace j4::automation {
namespace {

TEST(PerFrame, PublishingTheClockAllocatesNothing) {
    testing::TestBlock block;
    setenv("J4_AUTOMATION_BLOCK", block.name().c_str(), 1);
    const long atStart = testing::allocationCount();
    AutoDllSetTime(0, 0, 0, 0);  // the first call attaches the block
    const long before = testing::allocationCount();
    ASSERT_GT(before, atStart) << "the counter sees the attach, so it would see more";
    for (int32_t frame = 1; frame <= 300; ++frame) AutoDllSetTime(frame * 33, 0, 1, 0);
    EXPECT_EQ(testing::allocationCount(), before);
    unsetenv("J4_AUTOMATION_BLOCK");
}

}  // namespace
}  // namespace j4::automation
