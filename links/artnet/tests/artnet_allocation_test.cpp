// The engine's hand-over and the sender's rounds allocate nothing once sending.
#include <gtest/gtest.h>

#include <vector>

#include "common/testing/allocation_counter.h"
#include "links/artnet/artnet_sender.h"
#include "links/artnet/tests/artnet_test_packets.h"
#include "links/artnet/tests/private_network.h"
#include "links/artnet/tests/udp_peer.h"
#include "links/artnet/tests/wait_until.h"

namespace j4::links {
namespace {

TEST(ArtNetSender, FramesAllocateNothingOnEitherThread) {
    J4_REQUIRE_PRIVATE_NETWORK();
    test::UdpPeer listen("0.0.0.0", ARTNET_PORT), node("127.0.0.2", ARTNET_PORT);
    ArtNetSender out(SenderRole::AllUniverses);
    ASSERT_EQ(out.start(NetworkSettings{}), 0);
    ASSERT_TRUE(listen.receive(5000));
    node.sendTo("127.255.255.255", ARTNET_PORT, test::pollReply("Node", 0, 0));
    ASSERT_TRUE(test::waitUntil([&] { return out.status().state == SenderState::Sending; }));
    std::vector<uint8_t> frame(8192, 3);
    long allocations = 0;
    {
        common::testing::CountAllocations count;
        for (uint64_t f = 1; f <= 20; ++f) {
            frame[0] = static_cast<uint8_t>(f);
            out.sendFrame(1, 8192, frame.data());
            ASSERT_TRUE(test::waitUntil([&] { return out.status().framesSent == f; }));
        }
        allocations = count.count();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(out.status().packetsSent, 20u * 16u);
}

}  // namespace
}  // namespace j4::links
