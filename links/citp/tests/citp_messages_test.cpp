#include "links/citp/citp_messages.h"

#include <gtest/gtest.h>

#include <vector>

#include "links/citp/channel_value_queue.h"
#include "links/citp/tests/fake_visualizer.h"

namespace j4::links {
namespace {

using test::channelBlockMessage;
using test::citpMessage;
using test::patchMessage;
using test::unpatchMessage;

std::vector<uint8_t> header(uint32_t size, const char* layer, const char* type) {
    std::vector<uint8_t> h = {
        'C', 'I', 'T', 'P', 1, 0, 0, 0, static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
        0,   0,   1,   0,   1, 0};
    h.insert(h.end(), layer, layer + 4);
    h.insert(h.end(), type, type + 4);
    return h;
}

template <class C>
std::vector<uint8_t> bytes(const C& c) {
    return std::vector<uint8_t>(c.begin(), c.end());
}

TEST(CitpMessages, SentMessagesAreByteExact) {
    auto expect = header(25 + 5, "PINF", "PNam");
    for (char c : std::string("J4@pc")) expect.push_back(static_cast<uint8_t>(c));
    expect.push_back(0);
    EXPECT_EQ(peerNameMessage("J4@pc"), expect);

    expect = header(26 + 6, "SDMX", "UNam");
    expect.push_back(2);
    for (char c : std::string("Out 03")) expect.push_back(static_cast<uint8_t>(c));
    expect.push_back(0);
    EXPECT_EQ(universeNameMessage(2, "Out 03"), expect);

    uint8_t levels[3] = {9, 8, 7};
    uint8_t block[CHANNEL_BLOCK_MAX];
    ASSERT_EQ(writeChannelBlock(block, 5, levels, 3), 33u);
    expect = header(33, "SDMX", "ChBk");
    for (int b : {0, 5, 0, 0, 3, 0, 9, 8, 7}) expect.push_back(static_cast<uint8_t>(b));
    EXPECT_EQ(std::vector<uint8_t>(block, block + 33), expect);

    expect = header(26, "FSEL", "DeSe");
    expect.insert(expect.end(), {0, 0});
    EXPECT_EQ(bytes(deselectAllMessage()), expect);

    std::vector<uint8_t> select;
    std::vector<uint16_t> ids = {7, 0x1234};
    writeSelectMessage(select, ids);
    expect = header(32, "FSEL", "Sele");
    expect.insert(expect.end(), {1, 0, 2, 0, 7, 0, 0x34, 0x12});
    EXPECT_EQ(select, expect);

    expect = header(30, "FPTC", "SPtc");
    expect.insert(expect.end(), {0, 0, 0, 0, 0, 0});
    EXPECT_EQ(bytes(patchRequestMessage()), expect);
}

TEST(CitpMessages, HeaderNeedsTheCookieAndASizeThatCoversIt) {
    auto good = citpMessage("SDMX", "ChBk", {});
    EXPECT_TRUE(parseCitpHeader(good));
    auto badCookie = good;
    badCookie[0] = 'X';
    EXPECT_FALSE(parseCitpHeader(badCookie));
    auto small = good;
    small[8] = 19;
    EXPECT_FALSE(parseCitpHeader(small));
    EXPECT_FALSE(parseCitpHeader(std::span<const uint8_t>(good.data(), 19)));
}

TEST(CitpMessages, ReceivedFieldsAreCheckedAgainstLengthAndFrame) {
    auto countTooBig = channelBlockMessage(0, 0, {1, 2, 3});
    countTooBig[28] = 4;
    struct Case {
        const char* what;
        std::vector<uint8_t> message;
        bool ok;
    } blocks[] = {
        {"three levels", channelBlockMessage(2, 5, {1, 2, 3}), true},
        {"empty", channelBlockMessage(0, 0, {}), true},
        {"last channels", channelBlockMessage(15, 510, {1, 2}), true},
        {"universe 16", channelBlockMessage(16, 0, {1}), false},
        {"past channel 512", channelBlockMessage(0, 510, {1, 2, 3}), false},
        {"count larger than message", countTooBig, false},
        {"under the block header", citpMessage("SDMX", "ChBk", {0, 0, 0}), false},
    };
    for (const auto& c : blocks) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(parseChannelBlock(c.message).has_value(), c.ok);
    }
    auto b = parseChannelBlock(blocks[0].message);
    EXPECT_EQ(b->universe, 2);
    EXPECT_EQ(b->firstChannel, 5);
    EXPECT_EQ(bytes(b->levels), (std::vector<uint8_t>{1, 2, 3}));

    auto p = parsePatch(patchMessage(0x0102, 1, 10));
    ASSERT_TRUE(p);
    EXPECT_EQ(p->fixture, 0x0102);
    EXPECT_EQ(p->universe, 1);
    EXPECT_EQ(p->channel, 10);
    auto shortPatch = patchMessage(1, 1, 1);
    shortPatch.resize(33);
    EXPECT_FALSE(parsePatch(shortPatch));

    auto unpatch = unpatchMessage({4, 0x0506});
    auto u = parseUnpatch(unpatch);
    ASSERT_TRUE(u);
    ASSERT_EQ(u->count(), 2u);
    EXPECT_EQ(u->at(1), 0x0506);
    auto overCount = unpatchMessage({4, 5});
    overCount[28] = 3;
    EXPECT_FALSE(parseUnpatch(overCount));
    EXPECT_EQ(parseUnpatch(unpatchMessage({}))->count(), 0u);
}

TEST(ChannelValueQueue, KeepsTheLatestLevelOncePerChannelInFirstChangeOrder) {
    ChannelValueQueue q;
    uint8_t a[3] = {1, 2, 3}, b[2] = {20, 40};
    q.push(1029, a, 3);
    q.push(1030, b, 2);  // 1030 changes again, 1031 too
    q.push(8191, a, 1);
    q.push(8191, a, 2);  // past the frame: ignored
    q.push(-1, a, 1);
    EXPECT_TRUE(q.readyEvent().isSet());
    std::vector<ChannelValue> got;
    EXPECT_EQ(q.drain(got), 4u);
    std::vector<std::pair<int, int>> pairs;
    for (auto v : got) pairs.push_back({v.channelIndex, v.level});
    EXPECT_EQ(pairs,
              (std::vector<std::pair<int, int>>{{1029, 1}, {1030, 20}, {1031, 40}, {8191, 1}}));
    EXPECT_FALSE(q.readyEvent().isSet());
    got.clear();
    EXPECT_EQ(q.drain(got), 0u);
}

}  // namespace
}  // namespace j4::links
