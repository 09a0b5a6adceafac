// The visualizer link against the fake visualizer on loopback, inside the test's
// private network namespace.
#include "links/citp/citp_link.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "links/artnet/interface_address.h"
#include "links/artnet/tests/private_network.h"
#include "links/artnet/tests/wait_until.h"
#include "links/citp/tests/fake_visualizer.h"

namespace j4::links {
namespace {

using namespace test;

NetworkSettings fast() {
    NetworkSettings s;
    s.discoveryTimeoutMs = 100;
    return s;
}

std::vector<uint8_t> frameOf(uint8_t seed) {
    std::vector<uint8_t> f(8192);
    for (size_t i = 0; i < f.size(); ++i) f[i] = static_cast<uint8_t>(i * 7 + (i / 512) * 3 + seed);
    return f;
}

std::string textAt(const std::vector<uint8_t>& m, size_t offset) {
    return std::string(reinterpret_cast<const char*>(m.data() + offset));
}

// Connects a started link to `fake` and reads the greeting (peer name, 16 names).
void greet(FakeVisualizer& fake) {
    ASSERT_TRUE(fake.accept());
    auto name = fake.next();
    ASSERT_TRUE(name);
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    EXPECT_EQ(name->layer + name->type, "PINFPNam");
    EXPECT_EQ(textAt(name->bytes, 24), std::string("Corvanta J4@") + host);
    EXPECT_EQ(name->bytes.size(), 25 + textAt(name->bytes, 24).size());
    for (int k = 0; k < 16; ++k) {
        auto u = fake.next();
        ASSERT_TRUE(u);
        EXPECT_EQ(u->layer + u->type, "SDMXUNam");
        EXPECT_EQ(u->bytes[24], k);
        char expected[8];
        std::snprintf(expected, sizeof expected, "Out %02d", k + 1);
        EXPECT_EQ(textAt(u->bytes, 25), expected);
        EXPECT_EQ(u->bytes.size(), 26u + 6u);
    }
}

TEST(CitpLink, ConnectsToThisComputerWhenNobodyAnnouncesAndStreamsEverySecondFrame) {
    J4_REQUIRE_PRIVATE_NETWORK();
    FakeVisualizer fake;
    ASSERT_TRUE(fake.listening());
    CitpLink link;
    link.setSendLength(1, 40);
    link.setSendLength(2, 0);  // named, never streamed
    ASSERT_EQ(link.start(fast()), 0) << link.startError();
    greet(fake);
    ASSERT_TRUE(waitUntil([&] { return link.isConnected(); }));
    EXPECT_EQ(ipv4Text(link.status().peer), "127.0.0.1");

    for (uint8_t f = 1; f <= 3; ++f) {
        auto frame = frameOf(f);
        link.sendFrame(1, 8192, frame.data());
        ASSERT_TRUE(waitUntil([&] { return link.status().frameWakeups == f; }));
        if (f == 2) continue;  // the second frame sends nothing
        for (int k = 0; k < 16; ++k) {
            if (k == 1) continue;
            SCOPED_TRACE(testing::Message() << "frame " << int(f) << " universe index " << k);
            auto b = fake.next();
            ASSERT_TRUE(b);
            ASSERT_EQ(b->layer + b->type, "SDMXChBk");
            int n = k == 0 ? 64 : 32;
            ASSERT_EQ(b->bytes.size(), 30u + n);
            EXPECT_EQ(b->bytes[24], 0);  // not blind
            EXPECT_EQ(b->bytes[25], k);
            EXPECT_EQ(b->bytes[26] | b->bytes[27] << 8, 0);
            EXPECT_EQ(b->bytes[28] | b->bytes[29] << 8, n);
            EXPECT_EQ(std::vector<uint8_t>(b->bytes.begin() + 30, b->bytes.end()),
                      std::vector<uint8_t>(frame.begin() + 512 * k, frame.begin() + 512 * k + n));
        }
    }
    EXPECT_FALSE(fake.next(50));
    EXPECT_EQ(link.status().blocksSent, 2u * 15u);
    link.stop();
    EXPECT_FALSE(link.isStarted());
    EXPECT_FALSE(link.isConnected());
}

TEST(CitpLink, UsesTheAnnouncedVisualizerAndKeepsRetryingWhenNobodyListens) {
    J4_REQUIRE_PRIVATE_NETWORK();
    CitpLink link;
    ASSERT_EQ(link.start(fast()), 0);
    // Nobody listens on this computer: the link keeps discovering and retrying.
    ASSERT_TRUE(waitUntil([&] { return link.status().lastError == ECONNREFUSED; }));
    EXPECT_EQ(link.status().connections, 0u);
    EXPECT_TRUE(link.isStarted());
    link.stop();

    NetworkSettings patient;
    patient.discoveryTimeoutMs = 5000;
    FakeVisualizer fake("127.0.0.5");
    ASSERT_EQ(link.start(patient), 0);
    // Announce until the link listens; a datagram without the cookie is passed over.
    bool accepted = false;
    for (int i = 0; i < 100 && !accepted; ++i) {
        fake.announce({'n', 'o', 'p', 'e'});
        fake.announce(citpMessage("PINF", "PLoc", {0, 0}));
        accepted = fake.accept(50);
    }
    ASSERT_TRUE(accepted);
    ASSERT_TRUE(fake.nextOf("PNam"));
    EXPECT_EQ(ipv4Text(link.status().peer), "127.0.0.5");
}

TEST(CitpLink, MirrorsTheSelectionThroughThePatchAndQueuesIncomingLevels) {
    J4_REQUIRE_PRIVATE_NETWORK();
    FakeVisualizer fake;
    CitpLink link;
    ASSERT_EQ(link.start(fast()), 0);
    greet(fake);
    fake.send(patchMessage(7, 1, 10));
    fake.send(patchMessage(7, 2, 20));  // known identifier: ignored
    fake.send(patchMessage(8, 0, 5));
    fake.send(patchMessage(9, 1, 10));
    ASSERT_TRUE(waitUntil([&] { return link.patchedFixtures().size() == 3; }));
    EXPECT_EQ(link.patchedFixtures(), (std::vector<uint16_t>{7, 8, 9}));

    std::vector<int> selected = {522, 4000};
    link.setSelection(selected);
    auto deselect = fake.nextOf("DeSe");
    ASSERT_TRUE(deselect);
    EXPECT_EQ(deselect->bytes.size(), 26u);
    auto select = fake.next();
    ASSERT_TRUE(select);
    EXPECT_EQ(select->type, "Sele");
    EXPECT_EQ(std::vector<uint8_t>(select->bytes.begin() + 24, select->bytes.end()),
              (std::vector<uint8_t>{1, 0, 2, 0, 7, 0, 9, 0}));

    // Messages whose fields do not fit are refused one by one; the stream goes on.
    auto overCount = unpatchMessage({8});
    overCount[28] = 2;
    auto shortPatch = patchMessage(11, 0, 1);
    shortPatch.resize(30);
    shortPatch[8] = 30;
    for (const auto& bad : {channelBlockMessage(16, 0, {1}), channelBlockMessage(0, 511, {1, 2}),
                            overCount, shortPatch})
        fake.send(bad);
    fake.send(unpatchMessage({7}));
    fake.send(channelBlockMessage(2, 5, {10, 20, 30}));
    ASSERT_TRUE(waitUntil([&] { return link.incomingValues().readyEvent().isSet(); }));
    EXPECT_EQ(link.status().messagesRefused, 4u);
    EXPECT_EQ(link.patchedFixtures(), (std::vector<uint16_t>{8, 9}));
    std::vector<ChannelValue> values;
    link.incomingValues().drain(values);
    ASSERT_EQ(values.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(values[i].channelIndex, 1029 + i);
        EXPECT_EQ(values[i].level, 10 * (i + 1));
    }
    fake.send(unpatchMessage({}));
    ASSERT_TRUE(waitUntil([&] { return link.patchedFixtures().empty(); }));
    EXPECT_TRUE(link.isConnected());
}

TEST(CitpLink, AStreamThatLosesItsFramingIsDroppedAndReconnected) {
    J4_REQUIRE_PRIVATE_NETWORK();
    auto badCookie = channelBlockMessage(0, 0, {1});
    badCookie[0] = 'X';
    auto underHeader = channelBlockMessage(0, 0, {1});
    underHeader[8] = 12;
    auto absurd = channelBlockMessage(0, 0, {1});
    absurd[11] = 0x40;
    FakeVisualizer fake;
    CitpLink link;
    ASSERT_EQ(link.start(fast()), 0);
    greet(fake);
    uint64_t losses = 0;
    for (const auto& broken : {badCookie, underHeader, absurd}) {
        SCOPED_TRACE(losses);
        fake.send(broken);
        ASSERT_TRUE(waitUntil([&] { return link.status().framingLosses == losses + 1; }));
        ++losses;
        greet(fake);  // accepts the new connection
    }
    EXPECT_EQ(link.status().connections, 4u);

    // A large but well-framed message is read past; what follows still counts.
    fake.send(citpMessage("MSEX", "BigM", std::vector<uint8_t>(3000, 0xEE)));
    fake.send(channelBlockMessage(0, 0, {42}));
    ASSERT_TRUE(waitUntil([&] { return link.incomingValues().readyEvent().isSet(); }));
    std::vector<ChannelValue> values;
    link.incomingValues().drain(values);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].level, 42);
    EXPECT_EQ(link.status().connections, 4u);

    // The visualizer closing the connection also brings a new one.
    fake.disconnect();
    greet(fake);
    EXPECT_EQ(link.status().framingLosses, 3u);
}

TEST(CitpLink, AsksForThePatchEvery450FramesAndForgetsTheOldOne) {
    J4_REQUIRE_PRIVATE_NETWORK();
    FakeVisualizer fake;
    CitpLink link;
    for (int u = 1; u <= 16; ++u) link.setSendLength(u, 0);
    ASSERT_EQ(link.start(fast()), 0);
    greet(fake);
    fake.send(patchMessage(3, 0, 1));
    ASSERT_TRUE(waitUntil([&] { return link.status().patchedFixtures == 1; }));
    std::vector<uint8_t> frame(8192, 1);
    for (uint64_t f = 1; f < 450; ++f) {
        link.sendFrame(1, 8192, frame.data());
        ASSERT_TRUE(waitUntil([&] { return link.status().frameWakeups == f; }));
    }
    EXPECT_EQ(link.status().patchedFixtures, 1u);
    link.sendFrame(1, 8192, frame.data());
    auto request = fake.next();
    ASSERT_TRUE(request);
    EXPECT_EQ(request->layer + request->type, "FPTCSPtc");
    EXPECT_EQ(request->bytes.size(), 30u);
    EXPECT_EQ(link.status().patchedFixtures, 0u);
}

TEST(CitpLink, RefusesBadRangesAndAForeignInterface) {
    CitpLink link;
    uint8_t bytes[4] = {};
    EXPECT_EQ(link.sendFrame(1, 4, bytes), 0);
    EXPECT_EQ(link.sendFrame(0, 4, bytes), -1);
    EXPECT_EQ(link.sendFrame(8190, 4, bytes), -1);
    EXPECT_EQ(link.trySetSendLength(17, 1), -1);
    EXPECT_EQ(link.trySetSendLength(1, 513), -1);
    NetworkSettings foreign;
    foreign.interfaceAddress = "198.51.100.7";
    EXPECT_EQ(link.start(foreign), -1);
    EXPECT_FALSE(link.startError().empty());
    EXPECT_FALSE(link.isStarted());
}

}  // namespace
}  // namespace j4::links
