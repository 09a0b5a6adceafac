// Streaming frames and mirroring a selection allocate nothing once connected.
#include <gtest/gtest.h>

#include <vector>

#include "common/testing/allocation_counter.h"
#include "links/artnet/tests/private_network.h"
#include "links/artnet/tests/wait_until.h"
#include "links/citp/citp_link.h"
#include "links/citp/tests/fake_visualizer.h"

namespace j4::links {
namespace {

TEST(CitpLink, FramesAndSelectionsAllocateNothingOnceConnected) {
    J4_REQUIRE_PRIVATE_NETWORK();
    test::FakeVisualizer fake;
    CitpLink link;
    NetworkSettings settings;
    settings.discoveryTimeoutMs = 100;
    ASSERT_EQ(link.start(settings), 0);
    ASSERT_TRUE(fake.accept());
    ASSERT_TRUE(test::waitUntil([&] { return link.isConnected(); }));
    for (uint16_t id = 1; id <= 50; ++id) fake.send(test::patchMessage(id, 0, id));
    ASSERT_TRUE(test::waitUntil([&] { return link.status().patchedFixtures == 50; }));
    std::vector<uint8_t> frame(8192, 5);
    const int selected[] = {1, 2, 3, 40};
    long allocations = 0;
    {
        common::testing::CountAllocations count;
        for (uint64_t f = 1; f <= 20; ++f) {
            link.sendFrame(1, 8192, frame.data());
            ASSERT_TRUE(test::waitUntil([&] { return link.status().frameWakeups == f; }));
        }
        link.setSelection(selected);
        allocations = count.count();
    }
    EXPECT_EQ(allocations, 0);
    auto select = fake.nextOf("Sele");
    ASSERT_TRUE(select);
    EXPECT_EQ(select->bytes.size(), 28u + 2u * 4u);
}

}  // namespace
}  // namespace j4::links
