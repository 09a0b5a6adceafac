#include "links/artnet/artnet_packets.h"

#include <cstring>

namespace j4::links {

namespace {

constexpr uint8_t ID[8] = {'A', 'r', 't', '-', 'N', 'e', 't', 0};
constexpr uint8_t PROTOCOL_HI = 0;
constexpr uint8_t PROTOCOL_LO = 14;

constexpr size_t SUBSWITCH_OFFSET = 19;
constexpr size_t SHORT_NAME_OFFSET = 26;
constexpr size_t SWOUT_OFFSET = 190;

void writeIdAndOp(uint8_t* p, uint16_t op) {
    std::memcpy(p, ID, sizeof ID);
    p[8] = static_cast<uint8_t>(op & 0xFF);
    p[9] = static_cast<uint8_t>(op >> 8);
    p[10] = PROTOCOL_HI;
    p[11] = PROTOCOL_LO;
}

}  // namespace

std::array<uint8_t, ARTPOLL_SIZE> artPollPacket() {
    std::array<uint8_t, ARTPOLL_SIZE> p{};
    writeIdAndOp(p.data(), OP_POLL);
    p[12] = 2;  // TalkToMe: send replies when the node's state changes
    p[13] = 0;  // priority of diagnostics
    return p;
}

size_t writeArtDmxHeader(uint8_t* p, uint8_t physical, uint16_t portAddress, int length) {
    writeIdAndOp(p, OP_DMX);
    p[12] = 0;  // sequence not used
    p[13] = physical;
    p[14] = static_cast<uint8_t>(portAddress & 0xFF);  // SubUni
    p[15] = static_cast<uint8_t>(portAddress >> 8);    // Net
    p[16] = static_cast<uint8_t>(length >> 8);
    p[17] = static_cast<uint8_t>(length & 0xFF);
    return ARTDMX_HEADER_SIZE + static_cast<size_t>(length);
}

std::optional<uint16_t> artNetOpCode(std::span<const uint8_t> d) {
    if (d.size() < 10 || std::memcmp(d.data(), ID, sizeof ID) != 0) return std::nullopt;
    return static_cast<uint16_t>(d[8] | (d[9] << 8));
}

std::optional<PollReply> parsePollReply(std::span<const uint8_t> d) {
    auto op = artNetOpCode(d);
    if (!op || *op != OP_POLL_REPLY) return std::nullopt;
    PollReply r;
    if (d.size() > SUBSWITCH_OFFSET) {
        r.hasSubSwitch = true;
        r.subSwitch = d[SUBSWITCH_OFFSET];
    }
    if (d.size() >= SHORT_NAME_OFFSET + SHORT_NAME_BYTES) {
        const char* name = reinterpret_cast<const char*>(d.data() + SHORT_NAME_OFFSET);
        size_t len = strnlen(name, SHORT_NAME_BYTES);
        // A name that fills all 18 bytes without a terminator is malformed: it names
        // nothing rather than running into the next field.
        if (len < SHORT_NAME_BYTES) r.shortName = std::string_view(name, len);
    }
    if (d.size() > SWOUT_OFFSET) {
        r.hasSwOut = true;
        r.swOut = d[SWOUT_OFFSET];
    }
    return r;
}

}  // namespace j4::links
