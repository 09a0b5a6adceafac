#pragma once
// The packets exchanged with an interface and the millisecond tables of the clock.

#include <array>
#include <cstdint>
#include <optional>

#include "driver/device_io.h"

namespace j4::driver {

// offset30[n] = round(n * 1000 / 30), offset24[n] = round(n * 1000 / 24);
// inc[n] = offset[n + 1] - offset[n] with offset[N] = 1000, so each table of increments
// sums to 1000 and a second of frames advances the clock by exactly one second.
extern const std::array<int32_t, 30> OFFSET30;
extern const std::array<int32_t, 24> OFFSET24;
extern const std::array<int32_t, 30> INC30;
extern const std::array<int32_t, 24> INC24;

inline constexpr int TRANSPORT_BYTES = 66;
using TransportPacket = std::array<uint8_t, TRANSPORT_BYTES>;

// Status flags (byte 0).
inline constexpr uint8_t FLAG_RATE_MASK = 0x18;
inline constexpr uint8_t FLAG_RATE_30 = 0x00;
inline constexpr uint8_t FLAG_RATE_30_DROP = 0x08;
inline constexpr uint8_t FLAG_RATE_25 = 0x10;
inline constexpr uint8_t FLAG_RATE_24 = 0x18;
inline constexpr uint8_t FLAG_TIMECODE = 0x20;
inline constexpr uint8_t FLAG_ADD_OFFSET = 0x40;
// Byte 1 bit 0: the timecode of this packet is not to be taken.
inline constexpr uint8_t STATUS_SKIP_TIMECODE = 0x01;

VendorRequestBytes cpuResetRequest(uint16_t cpuRegister, bool hold);
Packet dataHeaderPacket();
// Time in ms (0 <= t < one day), mode 0-2, state 0-2, frame-rate code.
TransportPacket transportPacket(int32_t timeMs, int32_t mode, int32_t state, int32_t rateCode);
// blocks: the maximum channel blocks of the four universes this interface reports.
Packet configPacket(const std::array<uint8_t, 4>& blocks, int32_t inputBase);

struct Timecode {
    uint8_t flags = 0;
    int32_t seconds = 0;     // of the day
    int32_t frameIndex = 0;  // within the second, below the rate's frame count
};

// Frames per second of the timecode rate in `flags` (30, 30, 25, 24).
int framesPerSecond(uint8_t flags);
// Milliseconds of frame `frameIndex` within its second at the rate in `flags`.
int32_t frameMilliseconds(uint8_t flags, int32_t frameIndex);

// The timecode a status packet carries, or nothing when it carries none: the flag is
// clear, the packet says not to take it, or a digit is out of range (such a packet
// never reaches the tables).
std::optional<Timecode> decodeTimecode(const Packet& status);

// Digits of a status packet for hh:mm:ss:ff (the simulated interface and tests).
void encodeTimecodeDigits(Packet& status, int hours, int minutes, int seconds, int frames);

}  // namespace j4::driver
