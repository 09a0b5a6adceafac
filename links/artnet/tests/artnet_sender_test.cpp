// The Art-Net output and the VJ link against fake nodes on loopback, inside the test's
// private network namespace.
#include "links/artnet/artnet_sender.h"

#include <gtest/gtest.h>

#include <vector>

#include "common/prompt.h"
#include "links/artnet/interface_address.h"
#include "links/artnet/no_node_question.h"
#include "links/artnet/tests/artnet_test_packets.h"
#include "links/artnet/tests/private_network.h"
#include "links/artnet/tests/udp_peer.h"
#include "links/artnet/tests/wait_until.h"

namespace j4::links {
namespace {

using test::Datagram;
using test::pollReply;
using test::UdpPeer;
using test::waitUntil;

constexpr const char* BROADCAST = "127.255.255.255";

std::vector<uint8_t> testFrame(uint8_t seed) {
    std::vector<uint8_t> f(8192);
    for (size_t i = 0; i < f.size(); ++i) f[i] = static_cast<uint8_t>(i * 13 + seed);
    return f;
}

struct Dmx {
    int physical, port, length;
    std::vector<uint8_t> data;
};

std::optional<Dmx> asDmx(const std::optional<Datagram>& d) {
    if (!d || d->bytes.size() < 18 || artNetOpCode(d->bytes) != OP_DMX) return std::nullopt;
    const auto& b = d->bytes;
    Dmx x{b[13], b[14] | (b[15] << 8), (b[16] << 8) | b[17], {b.begin() + 18, b.end()}};
    return x;
}

std::vector<uint8_t> universeBytes(const std::vector<uint8_t>& frame, int k, int n) {
    return {frame.begin() + k * 512, frame.begin() + k * 512 + n};
}

NetworkSettings fastSettings() {
    NetworkSettings s;
    s.discoveryTimeoutMs = 100;
    s.retryDelayMs = 50;
    return s;
}

bool inState(const ArtNetSender& s, SenderState state) {
    return waitUntil([&] { return s.status().state == state; });
}

// Waits for the sender's poll on the wildcard socket, then answers each reply in turn
// to the broadcast address, from `from`.
void answerPoll(UdpPeer& listen, UdpPeer& from, const std::vector<std::vector<uint8_t>>& replies) {
    std::optional<Datagram> poll;
    do {
        poll = listen.receive(5000);
        ASSERT_TRUE(poll) << "no ArtPoll seen";
    } while (artNetOpCode(poll->bytes) != OP_POLL);
    auto expected = artPollPacket();
    EXPECT_EQ(poll->bytes, std::vector<uint8_t>(expected.begin(), expected.end()));
    for (const auto& r : replies) ASSERT_TRUE(from.sendTo(BROADCAST, ARTNET_PORT, r));
}

TEST(ArtNetOutput, SendsEveryUniverseAtItsLengthToTheFirstNodeThatAnswers) {
    J4_REQUIRE_PRIVATE_NETWORK();
    UdpPeer listen("0.0.0.0", ARTNET_PORT), node("127.0.0.2", ARTNET_PORT);
    ASSERT_TRUE(listen.valid() && node.valid());
    ArtNetSender out(SenderRole::AllUniverses);
    out.setSendLength(1, 40);
    out.setSendLength(2, 0);
    out.setSendLength(16, 512);
    ASSERT_EQ(out.start(NetworkSettings{}), 0) << out.startError();
    EXPECT_TRUE(out.isStarted());
    answerPoll(listen, node, {pollReply("Some node", 0, 0)});
    ASSERT_TRUE(inState(out, SenderState::Sending));
    EXPECT_EQ(ipv4Text(out.status().destination), "127.0.0.2");

    auto frame = testFrame(1);
    ASSERT_EQ(out.sendFrame(1, 8192, frame.data()), 0);
    for (int k = 0; k < 16; ++k) {
        if (k == 1) continue;  // universe 2 is not patched: not sent
        SCOPED_TRACE(k);
        auto dmx = asDmx(node.receive(5000));
        ASSERT_TRUE(dmx);
        int n = k == 0 ? 64 : k == 15 ? 512 : 32;
        EXPECT_EQ(dmx->physical, k);
        EXPECT_EQ(dmx->port, k);
        EXPECT_EQ(dmx->length, n);
        EXPECT_EQ(dmx->data, universeBytes(frame, k, n));
    }
    EXPECT_FALSE(node.receive(50));
    EXPECT_TRUE(waitUntil([&] { return out.status().framesSent == 1; }));
    EXPECT_EQ(out.status().packetsSent, 15u);
    out.stop();
    EXPECT_FALSE(out.isStarted());
    EXPECT_EQ(out.status().state, SenderState::Stopped);
}

TEST(ArtNetVjLink, TakesOnlyAWellFormedReplyWithTheExactNameAndSendsItsUniverse) {
    J4_REQUIRE_PRIVATE_NETWORK();
    UdpPeer listen("0.0.0.0", ARTNET_PORT), other("127.0.0.3", ARTNET_PORT),
        vj("127.0.0.2", ARTNET_PORT);
    ArtNetSender link(SenderRole::VjNode);
    ASSERT_EQ(link.start(NetworkSettings{}), 0) << link.startError();
    auto unterminated = pollReply("ArKaos VJ", 0, 1);
    std::fill(unterminated.begin() + 35, unterminated.begin() + 44, 'x');
    answerPoll(listen, other,
               {pollReply("arkaos vj", 0, 1), pollReply("ArKaos VJ", 0, 1, 100),
                pollReply("ArKaos VJ", 0, 1, 190), unterminated, pollReply("ArKaos VJ2", 0, 1)});
    ASSERT_TRUE(vj.sendTo(BROADCAST, ARTNET_PORT, pollReply("ArKaos VJ", 0, 0x23)));
    ASSERT_TRUE(inState(link, SenderState::Sending));
    EXPECT_EQ(ipv4Text(link.status().destination), "127.0.0.2");
    EXPECT_EQ(link.status().portAddress, 3);

    auto frame = testFrame(2);
    link.sendFrame(1, 8192, frame.data());
    auto dmx = asDmx(vj.receive(5000));
    ASSERT_TRUE(dmx);
    EXPECT_EQ(dmx->physical, 3);
    EXPECT_EQ(dmx->port, 3);
    EXPECT_EQ(dmx->data, universeBytes(frame, 3, 32));
    EXPECT_FALSE(vj.receive(50));
    other.drain();
    EXPECT_FALSE(asDmx(other.receive(0)));
}

TEST(ArtNetSender, NoNodeAndTheAnswerNoSendsToThisMachine) {
    J4_REQUIRE_PRIVATE_NETWORK();
    struct Case {
        SenderRole role;
        int question;
        std::vector<int> universes;  // physical == universe index
        int port0;                   // port address of the first packet
    } cases[] = {
        {SenderRole::AllUniverses,
         40133,
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
         0},
        {SenderRole::VjNode, 40131, {15}, 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.question);
        UdpPeer local("127.0.0.1", ARTNET_PORT);
        ArtNetSender s(c.role);
        ASSERT_EQ(s.start(fastSettings()), 0);
        ASSERT_TRUE(inState(s, SenderState::AwaitingAnswer));
        EXPECT_EQ(s.questionTextId(), c.question);
        s.answerNoNode(false);
        ASSERT_TRUE(inState(s, SenderState::Sending));
        EXPECT_EQ(ipv4Text(s.status().destination), "127.0.0.1");
        auto frame = testFrame(3);
        s.sendFrame(1, 8192, frame.data());
        for (size_t i = 0; i < c.universes.size(); ++i) {
            auto dmx = asDmx(local.receive(5000));
            ASSERT_TRUE(dmx);
            int k = c.universes[i];
            EXPECT_EQ(dmx->physical, k);
            EXPECT_EQ(dmx->port, i == 0 ? c.port0 : k);
            EXPECT_EQ(dmx->data, universeBytes(frame, k, 32));
        }
        EXPECT_FALSE(local.receive(50));
    }
}

TEST(ArtNetSender, AnswerYesSearchesAgainAndStopNeverWaitsForAnAnswer) {
    J4_REQUIRE_PRIVATE_NETWORK();
    UdpPeer listen("0.0.0.0", ARTNET_PORT), node("127.0.0.2", ARTNET_PORT);
    ArtNetSender s(SenderRole::AllUniverses);
    ASSERT_EQ(s.start(fastSettings()), 0);
    ASSERT_TRUE(inState(s, SenderState::AwaitingAnswer));
    listen.drain();
    s.answerNoNode(true);
    answerPoll(listen, node, {pollReply("late node", 0, 0)});
    ASSERT_TRUE(inState(s, SenderState::Sending));
    EXPECT_EQ(ipv4Text(s.status().destination), "127.0.0.2");
    s.stop();

    // Stopping while the question is pending returns at once; the answer is moot.
    ArtNetSender t(SenderRole::VjNode);
    ASSERT_EQ(t.start(fastSettings()), 0);
    ASSERT_TRUE(inState(t, SenderState::AwaitingAnswer));
    t.stop();
    EXPECT_EQ(t.status().state, SenderState::Stopped);
    t.answerNoNode(false);  // ignored
    EXPECT_EQ(t.status().state, SenderState::Stopped);
}

TEST(ArtNetSender, TheUiThreadAsksTheQuestionThroughThePromptService) {
    J4_REQUIRE_PRIVATE_NETWORK();
    common::ScriptedPrompt prompt;
    ArtNetSender s(SenderRole::VjNode);
    EXPECT_FALSE(askNoNodeQuestion(s, prompt));  // not waiting: nothing asked
    ASSERT_EQ(s.start(fastSettings()), 0);
    ASSERT_TRUE(inState(s, SenderState::AwaitingAnswer));
    prompt.queueAnswer(common::PromptAnswer::No);
    EXPECT_TRUE(askNoNodeQuestion(s, prompt));
    ASSERT_TRUE(inState(s, SenderState::Sending));
    EXPECT_EQ(s.status().portAddress, 15);
    auto asked = prompt.asked();
    ASSERT_EQ(asked.size(), 1u);
    const auto& q = asked[0];
    EXPECT_EQ(q.textId, common::MSG_ARKAOS_NOT_FOUND);
    EXPECT_EQ(q.captionId, common::STR_ARTNET_ERROR_CAPTION);
    EXPECT_EQ(q.buttons, common::PromptButtons::YesNo);
    EXPECT_EQ(q.caption, "Art-Net Error");
}

TEST(ArtNetSender, HeadlessKeepsSearchingQuietlyAndRestarts) {
    J4_REQUIRE_PRIVATE_NETWORK();
    NetworkSettings headless = fastSettings();
    headless.askWhenNoNode = false;
    ArtNetSender s(SenderRole::AllUniverses);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(s.start(headless), 0);
        EXPECT_EQ(s.start(headless), 0);  // already started
        ASSERT_TRUE(waitUntil([&] { return s.status().searches >= 2; }));
        EXPECT_NE(s.status().state, SenderState::AwaitingAnswer);
        s.stop();
        EXPECT_FALSE(s.isStarted());
    }
}

TEST(ArtNetSender, StartRefusesAnInterfaceThatIsNotLocalAndOverlongNames) {
    ArtNetSender s(SenderRole::VjNode);
    for (const char* address : {"192.0.2.1", "not an address", "", "127.0.0.1.5"}) {
        NetworkSettings bad;
        bad.interfaceAddress = address;
        EXPECT_EQ(s.start(bad), -1) << address;
        EXPECT_FALSE(s.startError().empty());
        EXPECT_FALSE(s.isStarted());
    }
    EXPECT_EQ(s.start(NetworkSettings{}, "a name of 18 chars"), -1);
    EXPECT_FALSE(s.isStarted());
}

TEST(ArtNetSender, FrameSinkAndSendLengthRefuseBadRanges) {
    ArtNetSender s(SenderRole::AllUniverses);
    uint8_t bytes[16] = {};
    EXPECT_EQ(s.sendFrame(1, 16, bytes), 0);
    EXPECT_EQ(s.sendFrame(0, 16, bytes), -1);
    EXPECT_EQ(s.sendFrame(1, -1, bytes), -1);
    EXPECT_EQ(s.sendFrame(8190, 16, bytes), -1);
    EXPECT_EQ(s.trySetSendLength(17, 10), -1);
    EXPECT_EQ(s.trySetSendLength(16, 513), -1);
    EXPECT_EQ(s.trySetSendLength(16, 512), 0);
    EXPECT_EQ(s.sendLength(16), 512);
    s.setSendLength(16, 600);  // refused: keeps 512
    EXPECT_EQ(s.sendLength(16), 512);
}

}  // namespace
}  // namespace j4::links
