#include "links/artnet/artnet_packets.h"

#include <gtest/gtest.h>

#include <vector>

#include "links/artnet/frame_store.h"
#include "links/artnet/interface_address.h"
#include "links/artnet/network_settings.h"
#include "links/artnet/send_lengths.h"
#include "links/artnet/tests/artnet_test_packets.h"
#include "platform/settings_store.h"

namespace j4::links {
namespace {

using test::pollReply;

TEST(ArtNetPackets, PollAndDmxHeaderAreByteExact) {
    const std::vector<uint8_t> poll = {'A', 'r',  't',  '-', 'N', 'e', 't',
                                       0,   0x00, 0x20, 0,   14,  2,   0};
    auto p = artPollPacket();
    EXPECT_EQ(std::vector<uint8_t>(p.begin(), p.end()), poll);

    uint8_t dmx[ARTDMX_MAX_SIZE] = {};
    EXPECT_EQ(writeArtDmxHeader(dmx, 3, 0x0123, 320), 18u + 320u);
    const std::vector<uint8_t> header = {'A',  'r', 't', '-', 'N', 'e',  't',  0,    0x00,
                                         0x50, 0,   14,  0,   3,   0x23, 0x01, 0x01, 0x40};
    EXPECT_EQ(std::vector<uint8_t>(dmx, dmx + 18), header);
}

TEST(ArtNetPackets, PollReplyFieldsAreReadOnlyWhenTheDatagramHoldsThem) {
    auto full = pollReply("ArKaos VJ", 2, 0x13);
    auto noId = full;
    noId[3] = 'x';
    auto dmxOp = full;
    dmxOp[9] = 0x50;
    auto unterminated = pollReply("ABCDEFGHIJKLMNOPQR", 0, 0);

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool parses;
        bool subSwitch;
        const char* name;  // nullptr: no usable name
        bool swOut;
    } cases[] = {
        {"empty", {}, false, false, nullptr, false},
        {"ID only", std::vector<uint8_t>(full.begin(), full.begin() + 8), false, false, nullptr,
         false},
        {"wrong ID", noId, false, false, nullptr, false},
        {"other OpCode", dmxOp, false, false, nullptr, false},
        {"ID and OpCode", pollReply("x", 1, 1, 10), true, false, nullptr, false},
        {"up to SubSwitch", pollReply("x", 1, 1, 20), true, true, nullptr, false},
        {"name cut short", pollReply("ArKaos VJ", 1, 1, 40), true, true, nullptr, false},
        {"name but no SwOut", pollReply("ArKaos VJ", 1, 1, 190), true, true, "ArKaos VJ", false},
        {"full", full, true, true, "ArKaos VJ", true},
        {"unterminated name", unterminated, true, true, nullptr, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto r = parsePollReply(c.bytes);
        ASSERT_EQ(r.has_value(), c.parses);
        if (!r) continue;
        EXPECT_EQ(r->hasSubSwitch, c.subSwitch);
        EXPECT_EQ(r->hasSwOut, c.swOut);
        if (c.name) {
            ASSERT_TRUE(r->shortName.has_value());
            EXPECT_EQ(*r->shortName, c.name);
        } else {
            EXPECT_FALSE(r->shortName.has_value());
        }
    }
    auto r = parsePollReply(full);
    EXPECT_EQ(r->subSwitch, 2);
    EXPECT_EQ(r->swOut, 0x13);
}

TEST(SendLengths, RoundUpToBlocksAndRefuseOutOfRange) {
    SendLengths l;
    for (int k = 0; k < 16; ++k) EXPECT_EQ(l.bytes(k), 32);
    struct Case {
        int universe, channel;
        bool taken;
        int bytes;
    } cases[] = {{1, 40, true, 64},   {2, 0, true, 0},   {16, 512, true, 512}, {3, 1, true, 32},
                 {4, 32, true, 32},   {5, 33, true, 64}, {17, 10, false, 0},   {0, 10, false, 0},
                 {6, 513, false, 32}, {7, -1, false, 32}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.universe << "/" << c.channel);
        EXPECT_EQ(l.set(c.universe, c.channel), c.taken);
        if (c.universe >= 1 && c.universe <= 16) {
            EXPECT_EQ(l.bytes(c.universe - 1), c.bytes);
        }
    }
}

TEST(FrameStore, CopiesValidRangesAndRefusesTheRest) {
    FrameStore f;
    std::vector<uint8_t> bytes(8192);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
    struct Case {
        int first, length;
        int result;
    } cases[] = {{1, 8192, 0},  {8192, 1, 0},        {100, 0, 0},        {0, 10, -1},
                 {-5, 10, -1},  {1, -1, -1},         {8192, 2, -1},      {2, 8192, -1},
                 {1, 8193, -1}, {0x7fffffff, 2, -1}, {1, 0x7fffffff, -1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << "+" << c.length);
        f.clear();
        f.frameEvent().reset();
        int result = f.store(c.first, c.length, bytes.data());
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(f.frameEvent().isSet(), c.result == 0);
        common::DmxFrame out;
        f.snapshot(out);
        for (int i = 0; i < 8192; ++i) {
            bool inside = c.result == 0 && i >= c.first - 1 && i < c.first - 1 + c.length;
            ASSERT_EQ(out[i], inside ? bytes[i - (c.first - 1)] : 0) << "channel index " << i;
        }
    }
    EXPECT_EQ(f.store(1, 10, nullptr), -1);
}

TEST(NetworkSettings, InterfaceComesFromTheUserSettingsAndDefaultsToLoopback) {
    platform::SettingsStore user(platform::SettingsScope::User);
    user.deleteValue(SETTINGS_KEY, NETWORK_INTERFACE_VALUE);
    EXPECT_EQ(loadNetworkSettings(user).interfaceAddress, "127.0.0.1");
    ASSERT_TRUE(user.writeString(SETTINGS_KEY, NETWORK_INTERFACE_VALUE, ""));
    EXPECT_EQ(loadNetworkSettings(user).interfaceAddress, "127.0.0.1");
    ASSERT_TRUE(user.writeString(SETTINGS_KEY, NETWORK_INTERFACE_VALUE, "127.0.0.1"));
    NetworkSettings s = loadNetworkSettings(user);
    EXPECT_EQ(s.interfaceAddress, "127.0.0.1");
    EXPECT_TRUE(s.askWhenNoNode);

    // Loopback carries no broadcast flag: its subnet's broadcast address stands in.
    std::string error;
    auto lo = resolveInterface(s.interfaceAddress, &error);
    ASSERT_TRUE(lo) << error;
    EXPECT_EQ(ipv4Text(lo->broadcast), "127.255.255.255");
}

}  // namespace
}  // namespace j4::links
