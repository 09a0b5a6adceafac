// The console program's Art-Net output end to end, inside a private network namespace:
// CorvantaJ4 --headless --artnet plays the demo show on the simulated interface (frames
// stepped by hand), OLA's olad receives it as a real Art-Net node, and Wireshark's
// dissector reads every packet on the wire. What OLA holds must be the frame the
// interface sent, and the ArtDmx lengths must follow the patch.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/startup/console_show.h"
#include "engine/startup/tests/console_process.h"
#include "links/artnet/tests/artnet_capture.h"
#include "links/artnet/tests/child_process.h"
#include "links/artnet/tests/olad_node.h"
#include "links/artnet/tests/private_network.h"
#include "links/artnet/tests/wait_until.h"

namespace j4::engine {
namespace {

using links::test::OladNode;
using links::test::TempDir;
using testing::ConsoleProcess;

// The demo show patches universe 1 up to channel 26 (dimmers 1.1-1.6, four RGBW pars
// from 1.11) and universe 2 with two 16-bit spots from 2.1; nothing else.
constexpr int DEMO_UNIVERSES = 2;
constexpr int DEMO_SEND_BYTES[DEMO_UNIVERSES] = {32, 32};

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string s;
    char b[3];
    for (uint8_t v : bytes) {
        std::snprintf(b, sizeof b, "%02x", v);
        s += b;
    }
    return s;
}

// The bytes the simulated interface sent on console universe `universe`.
std::vector<uint8_t> transmitted(const ConsoleProcess& console, int universe) {
    std::istringstream reply(console.simulation("transmitted " + std::to_string(universe)));
    std::string word;
    reply >> word;
    std::vector<uint8_t> bytes;
    while (reply >> word) bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
    return bytes;
}

// One ArtDmx as the dissector reads it.
struct WireDmx {
    double time = 0;  // seconds from the start of the capture
    int universe = -1;
    int length = -1;
    std::string data;  // hex
};

// The ArtDmx packets captured so far (the file may still be growing).
std::vector<WireDmx> dmxOnTheWire(const links::test::ArtNetCapture& capture) {
    std::vector<WireDmx> packets;
    for (const auto& row : capture.rows("artnet.header.opcode == 0x5000",
                                        {"frame.time_relative", "artnet.output.universe",
                                         "artnet.output.length", "dmx_chan.data_filter"})) {
        WireDmx dmx;
        try {
            dmx.time = std::stod(row[0]);
            dmx.universe = std::stoi(row[1]);
            dmx.length = std::stoi(row[2]);
        } catch (const std::exception&) {
            continue;  // a line the dissector could not fill: counted as missing
        }
        dmx.data = row[3];
        packets.push_back(dmx);
    }
    return packets;
}

TEST(ConsoleArtNet, OlaReceivesTheDemoShowAsTheInterfaceSendsIt) {
    J4_REQUIRE_PRIVATE_NETWORK();
    OladNode olad;
    std::string why;
    ASSERT_TRUE(olad.ready(&why)) << why;
    // Console universe u is Art-Net universe u - 1; OLA universe k listens to Art-Net k.
    for (int port = 0; port < DEMO_UNIVERSES; ++port) ASSERT_TRUE(olad.patchInput(port, port));

    TempDir dir("j4-console-artnet");
    links::test::ArtNetCapture wire(dir.path());
    ASSERT_TRUE(wire.started()) << wire.log();

    ConsoleProcess console(makeConsoleShow(0));
    std::filesystem::copy_file(J4_DEMO_SHOW, console.showPath(),
                               std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(console.start({"--artnet", "--interface", "127.0.0.1"}));
    ASSERT_TRUE(console.waitConnected()) << console.errors();

    // Event List 1 from 44 s: the full stage fades up over both universes from 45 s to
    // 47 s, then the frame holds still until the finale at 55 s.
    ASSERT_EQ(console.j4ctl({"play", "00:00:44:00"}), 0);
    ASSERT_TRUE(console.stepUntil([&] { return console.clock().time >= 47'500; }))
        << console.errors();
    const std::vector<uint8_t> sent[DEMO_UNIVERSES] = {transmitted(console, 1),
                                                       transmitted(console, 2)};
    for (int u = 0; u < DEMO_UNIVERSES; ++u) {
        ASSERT_EQ(sent[u].size(), size_t(DEMO_SEND_BYTES[u])) << "universe " << u + 1;
        EXPECT_NE(sent[u], std::vector<uint8_t>(sent[u].size(), 0)) << "universe " << u + 1;
    }

    // olad applies what it receives on its own loop: read back (bounded) until it holds
    // the frame, stepping one more (equal) frame each time.
    std::map<int, std::vector<uint8_t>> got;
    for (int attempt = 0; attempt < 50; ++attempt) {
        got = olad.fetch({0, 1});
        if (got[0] == sent[0] && got[1] == sent[1]) break;
        console.stepAndSettle();
    }
    EXPECT_EQ(hex(got[0]), hex(sent[0])) << olad.log();
    EXPECT_EQ(hex(got[1]), hex(sent[1])) << olad.log();
    EXPECT_EQ(hex(transmitted(console, 1)), hex(sent[0])) << "the frame moved while held";

    // The wire: wait (bounded) until the capture file holds the held frame on both
    // universes, then check every ArtDmx the console sent.
    EXPECT_TRUE(links::test::waitUntil(
        [&] {
            int held = 0;
            for (const WireDmx& d : dmxOnTheWire(wire))
                if (d.universe >= 0 && d.universe < DEMO_UNIVERSES &&
                    d.data == hex(sent[d.universe]))
                    held |= 1 << d.universe;
            return held == 3;
        },
        20000))
        << "the held frame never appeared on the wire";
    wire.stop();
    EXPECT_EQ(console.stop(), 0) << console.errors();

    const std::vector<WireDmx> packets = dmxOnTheWire(wire);
    int perUniverse[DEMO_UNIVERSES] = {};
    for (const WireDmx& d : packets) {
        SCOPED_TRACE(::testing::Message()
                     << "ArtDmx at " << d.time << " s, universe " << d.universe);
        // Universes without Devices are not sent; the others at the patch's length.
        ASSERT_TRUE(d.universe >= 0 && d.universe < DEMO_UNIVERSES);
        EXPECT_EQ(d.length, DEMO_SEND_BYTES[d.universe]);
        EXPECT_EQ(d.data.size(), size_t(2 * DEMO_SEND_BYTES[d.universe]));
        ++perUniverse[d.universe];
    }
    // Every frame goes out on both universes (about 105 frames were stepped).
    EXPECT_GE(perUniverse[0], 60);
    EXPECT_LE(std::abs(perUniverse[0] - perUniverse[1]), 1);
}

}  // namespace
}  // namespace j4::engine
