#pragma once
// The output image of 16 DMX universes and the Mixer's render buffer.

#include <array>
#include <cstddef>
#include <cstdint>

namespace j4::common {

inline constexpr int UNIVERSES = 16;
inline constexpr int CHANNELS_PER_UNIVERSE = 512;
inline constexpr int FRAME_CHANNELS = UNIVERSES * CHANNELS_PER_UNIVERSE;  // 8192

// One value per channel; channel c (1..512) of universe u (1..16) at (u-1)*512 + c-1.
using DmxFrame = std::array<uint8_t, FRAME_CHANNELS>;

// Absolute channel index 0..8191 of universe u (1..16), channel c (1..512).
constexpr int channelIndex(int universe, int channel) {
    return (universe - 1) * CHANNELS_PER_UNIVERSE + (channel - 1);
}
constexpr int universeOf(int index) { return index / CHANNELS_PER_UNIVERSE + 1; }
constexpr int channelOf(int index) { return index % CHANNELS_PER_UNIVERSE + 1; }
constexpr bool isChannelIndex(int index) { return index >= 0 && index < FRAME_CHANNELS; }

// The Mixer's work area: channel values in frame layout, then one touched flag per
// channel (0 or 1, used by reverse faders). Zeroed before every full render.
struct RenderBuffer {
    std::array<uint8_t, FRAME_CHANNELS> values{};
    std::array<uint8_t, FRAME_CHANNELS> touched{};

    void clear() {
        values.fill(0);
        touched.fill(0);
    }
};
static_assert(sizeof(RenderBuffer) == 2 * FRAME_CHANNELS);

}  // namespace j4::common
