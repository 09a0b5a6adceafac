#pragma once
// The CITP messages the visualizer link sends and reads. Every message starts with a
// 20-byte header (cookie "CITP", version 1.0, size including the header, part 1 of 1,
// layer type) followed by the message type at 20-23; integers are little-endian and
// strings 8-bit and zero-terminated.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace j4::links {

inline constexpr uint16_t CITP_DISCOVERY_PORT = 4810;
inline constexpr uint16_t CITP_SESSION_PORT = 4811;
inline constexpr size_t CITP_HEADER_SIZE = 20;
inline constexpr size_t CITP_TYPED_SIZE = 24;  // header plus message type
inline constexpr size_t CHANNEL_BLOCK_HEADER = 30;
inline constexpr size_t CHANNEL_BLOCK_MAX = CHANNEL_BLOCK_HEADER + 512;
inline constexpr size_t MAX_SELECTION = 8192;

// A four-letter type as it lies in memory.
constexpr uint32_t fourCc(const char (&s)[5]) {
    return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
           uint32_t(uint8_t(s[3])) << 24;
}

std::vector<uint8_t> peerNameMessage(std::string_view name);
std::vector<uint8_t> universeNameMessage(uint8_t universeIndex, std::string_view name);
// Writes a channel block of `count` (0..512) levels into `out` (CHANNEL_BLOCK_MAX
// bytes) and returns its size.
size_t writeChannelBlock(uint8_t* out, uint8_t universeIndex, const uint8_t* levels,
                         uint16_t count);
std::array<uint8_t, 26> deselectAllMessage();
// Fills `out` with a select message for up to MAX_SELECTION identifiers (more are
// not listed). Reuses `out`'s storage.
void writeSelectMessage(std::vector<uint8_t>& out, std::span<const uint16_t> fixtures);
std::array<uint8_t, 30> patchRequestMessage();

// The header of a received message. Nothing unless the cookie reads "CITP" and the
// size covers at least the header: anything else means the stream lost its framing.
struct CitpHeader {
    uint32_t size = 0;
    uint32_t layer = 0;
};
std::optional<CitpHeader> parseCitpHeader(std::span<const uint8_t> header);

// Fields of received messages; each parser takes the whole message and checks every
// count and index against its real length and the frame.
struct ChannelBlock {
    uint8_t universe = 0;       // 0..15
    uint16_t firstChannel = 0;  // 0-based
    std::span<const uint8_t> levels;
};
std::optional<ChannelBlock> parseChannelBlock(std::span<const uint8_t> message);

struct FixturePatch {
    uint16_t fixture = 0;
    uint8_t universe = 0;
    uint16_t channel = 0;
};
std::optional<FixturePatch> parsePatch(std::span<const uint8_t> message);

struct FixtureUnpatch {
    std::span<const uint8_t> identifiers;  // count * 2 bytes, little-endian
    size_t count() const { return identifiers.size() / 2; }
    uint16_t at(size_t i) const {
        return static_cast<uint16_t>(identifiers[2 * i] | identifiers[2 * i + 1] << 8);
    }
};
std::optional<FixtureUnpatch> parseUnpatch(std::span<const uint8_t> message);

// The message type at 20-23, or 0 when the message is too short to hold one.
uint32_t citpMessageType(std::span<const uint8_t> message);

}  // namespace j4::links
