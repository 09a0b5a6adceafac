// Independent peers check what the senders put on the wire: Wireshark's Art-Net
// dissector reads a capture of our ArtPoll and ArtDmx, and OLA's olad, an Art-Net node
// bound to loopback, answers our poll and receives our universes.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "links/artnet/artnet_sender.h"
#include "links/artnet/interface_address.h"
#include "links/artnet/tests/artnet_capture.h"
#include "links/artnet/tests/artnet_test_packets.h"
#include "links/artnet/tests/child_process.h"
#include "links/artnet/tests/olad_node.h"
#include "links/artnet/tests/private_network.h"
#include "links/artnet/tests/udp_peer.h"
#include "links/artnet/tests/wait_until.h"

namespace j4::links {
namespace {

using namespace test;

std::vector<uint8_t> patternFrame(uint8_t seed) {
    std::vector<uint8_t> f(8192);
    // Differs in every universe and in every frame.
    for (size_t i = 0; i < f.size(); ++i)
        f[i] = static_cast<uint8_t>(i * 31 + (i / 512) * 101 + seed * 7);
    return f;
}

std::string hex(const uint8_t* p, size_t n) {
    std::string s;
    char b[3];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02x", p[i]);
        s += b;
    }
    return s;
}

// Inside the private namespace the capture's "any" is only loopback (capturing on "lo"
// by name sees nothing there).

TEST(ArtNetPeers, WiresharkReadsEveryPollAndDmxWeSend) {
    J4_REQUIRE_PRIVATE_NETWORK();
    TempDir dir("j4-artnet-capture");
    // The poll, the node's reply and three rounds of 15 universes.
    ArtNetCapture capture(dir.path(), 2 + 3 * 15);
    ASSERT_TRUE(capture.started()) << capture.log();

    UdpPeer listen("0.0.0.0", ARTNET_PORT), node("127.0.0.2", ARTNET_PORT);
    ArtNetSender out(SenderRole::AllUniverses);
    out.setSendLength(1, 40);
    out.setSendLength(2, 0);
    out.setSendLength(3, 512);
    ASSERT_EQ(out.start(NetworkSettings{}), 0);
    ASSERT_TRUE(listen.receive(5000));
    node.sendTo("127.255.255.255", ARTNET_PORT, pollReply("Node", 0, 0));
    ASSERT_TRUE(waitUntil([&] { return out.status().state == SenderState::Sending; }));
    std::vector<std::vector<uint8_t>> frames;
    for (uint8_t f = 0; f < 3; ++f) {
        frames.push_back(patternFrame(f));
        out.sendFrame(1, 8192, frames.back().data());
        ASSERT_TRUE(waitUntil([&] { return out.status().framesSent == f + 1u; }));
    }
    out.stop();
    capture.finish();

    auto rows = capture.rows("artnet", {"artnet.header.opcode", "artnet.output.universe",
                                        "artnet.output.length", "dmx_chan.data_filter"});
    std::vector<std::vector<std::string>> dmx;
    int polls = 0;
    for (const auto& r : rows) {
        ASSERT_GE(r.size(), 4u);
        if (r[0] == "0x2000") ++polls;
        if (r[0] == "0x5000") dmx.push_back(r);
    }
    EXPECT_EQ(polls, 1);
    ASSERT_EQ(dmx.size(), 3u * 15u);
    size_t i = 0;
    for (const auto& frame : frames) {
        for (int k = 0; k < 16; ++k) {
            if (k == 1) continue;
            int n = k == 0 ? 64 : k == 2 ? 512 : 32;
            SCOPED_TRACE(testing::Message() << "packet " << i << " universe index " << k);
            EXPECT_EQ(dmx[i][1], std::to_string(k));
            EXPECT_EQ(dmx[i][2], std::to_string(n));
            EXPECT_EQ(dmx[i][3], hex(frame.data() + 512 * k, n));
            ++i;
        }
    }
}

TEST(ArtNetPeers, OladAnswersOurPollAndReceivesOurUniverses) {
    J4_REQUIRE_PRIVATE_NETWORK();
    OladNode olad;
    std::string why;
    ASSERT_TRUE(olad.ready(&why)) << why;
    // OLA takes at most four universes per node. A port patched to OLA universe u
    // listens to Art-Net universe u % 16, so OLA universes 0-3 are Art-Net 0-3.
    for (int port = 0; port < 4; ++port) ASSERT_TRUE(olad.patchInput(port, port));

    ArtNetSender out(SenderRole::AllUniverses);
    out.setSendLength(1, 512);
    out.setSendLength(2, 100);  // 128 bytes
    out.setSendLength(4, 0);    // not sent: OLA keeps nothing for it
    ASSERT_EQ(out.start(NetworkSettings{}), 0);
    ASSERT_TRUE(waitUntil([&] { return out.status().state != SenderState::Discovering; }));
    ASSERT_EQ(out.status().state, SenderState::Sending) << "olad did not answer the poll";
    EXPECT_EQ(ipv4Text(out.status().destination), "127.0.0.1");

    auto frame = patternFrame(5);
    std::map<int, std::vector<uint8_t>> got;
    // olad applies what it receives on its own loop: read back until it holds the
    // frame (bounded), sending the frame again each time.
    for (int attempt = 0; attempt < 50; ++attempt) {
        out.sendFrame(1, 8192, frame.data());
        got = olad.fetch({0, 1, 2, 3});
        if (got[0].size() == 512) break;
        usleep(100 * 1000);
    }
    EXPECT_EQ(got[0], std::vector<uint8_t>(frame.begin(), frame.begin() + 512));
    EXPECT_EQ(got[1], std::vector<uint8_t>(frame.begin() + 512, frame.begin() + 512 + 128));
    EXPECT_EQ(got[2], std::vector<uint8_t>(frame.begin() + 1024, frame.begin() + 1024 + 32));
    EXPECT_TRUE(got[3].empty());
    out.stop();
}

}  // namespace
}  // namespace j4::links
