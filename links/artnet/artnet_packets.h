#pragma once
// The three Art-Net packets the senders use: ArtPoll (sent), ArtPollReply (received,
// only the fields a sender needs) and ArtDmx (sent). Protocol version 14, UDP 6454.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace j4::links {

inline constexpr uint16_t ARTNET_PORT = 6454;
inline constexpr uint16_t OP_POLL = 0x2000;
inline constexpr uint16_t OP_POLL_REPLY = 0x2100;
inline constexpr uint16_t OP_DMX = 0x5000;
inline constexpr size_t ARTPOLL_SIZE = 14;
inline constexpr size_t ARTDMX_HEADER_SIZE = 18;
inline constexpr size_t ARTDMX_MAX_SIZE = ARTDMX_HEADER_SIZE + 512;
inline constexpr size_t SHORT_NAME_BYTES = 18;
// Replies are read into a buffer of this size; anything longer is cut off.
inline constexpr size_t REPLY_BUFFER_SIZE = 1024;

std::array<uint8_t, ARTPOLL_SIZE> artPollPacket();

// Writes the ArtDmx header and returns the whole packet's size (18 + length).
// `length` must be 0..512; the caller copies the levels to packet + 18.
size_t writeArtDmxHeader(uint8_t* packet, uint8_t physical, uint16_t portAddress, int length);

// The fields of an ArtPollReply a sender reads. Only datagrams with the "Art-Net" ID
// and the reply OpCode parse at all; the later fields are present only when the
// datagram is long enough to hold them.
struct PollReply {
    bool hasSubSwitch = false;
    uint8_t subSwitch = 0;
    // The short name, when the datagram holds all 18 bytes and a zero among them.
    std::optional<std::string_view> shortName;
    bool hasSwOut = false;
    uint8_t swOut = 0;
};

// Nothing when the datagram is not an ArtPollReply. The short name views `datagram`.
std::optional<PollReply> parsePollReply(std::span<const uint8_t> datagram);

// The OpCode of an Art-Net datagram, or nothing when it has no "Art-Net" ID.
std::optional<uint16_t> artNetOpCode(std::span<const uint8_t> datagram);

}  // namespace j4::links
