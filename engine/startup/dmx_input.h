#pragma once
// The DMX input map: 48 channels from the input base of an external desk drive the
// submasters, preset recalls, grand master, the X/Y faders of the four Event Lists and
// the transport, group by group as the show's input flags allow. Only channels that
// changed act, so a desk that holds a value does not fight the operator; buttons act
// on the transition into the pressed state (128..255) and the preset and mode
// selectors on a change of their selection, which the edge memory remembers.
//
// Thread: the DMX input thread only (the edge memory is not shared). Every action is
// one of the locked operations of the live controls, the Event Lists or the clock.

#include <array>
#include <cstdint>

#include "engine/engine.h"

namespace j4::engine {

inline constexpr int INPUT_CHANNELS = 48;

// Input function flags (kept with the show).
inline constexpr int32_t INPUT_SUBMASTERS = 0x01;
inline constexpr int32_t INPUT_PRESETS = 0x02;
inline constexpr int32_t INPUT_GRAND_MASTER = 0x04;
inline constexpr int32_t INPUT_XY_FADERS = 0x08;
inline constexpr int32_t INPUT_TRANSPORT = 0x10;
inline constexpr int32_t INPUT_AUTOMATION_TRANSPORT = 0x20;

// Offsets from the input base.
inline constexpr int INPUT_PRESET = 24;
inline constexpr int INPUT_GRAND_MASTER_LEVEL = 25;
inline constexpr int INPUT_FIRST_XY = 26;  // X, Y of list 0, then list 1 ...
inline constexpr int INPUT_PLAY = 34;
inline constexpr int INPUT_STOP = 35;
inline constexpr int INPUT_RECORD = 36;
inline constexpr int INPUT_MODE = 37;
inline constexpr int INPUT_AUTOMATE = 38;
inline constexpr int INPUT_START_TIME = 39;  // hours, minutes, seconds, frames
inline constexpr int INPUT_STOP_TIME = 43;

struct InputChannels {
    std::array<uint8_t, INPUT_CHANNELS> levels{};
    // Bit i of the 48: set when channel i changed since the previous read.
    uint32_t changedLow = 0;   // channels 0..31
    uint32_t changedHigh = 0;  // channels 32..47
    bool changed(int i) const {
        return i < 32 ? (changedLow >> i) & 1u : (changedHigh >> (i - 32)) & 1u;
    }
};

class DmxInput {
  public:
    explicit DmxInput(Engine& engine) : engine_(engine) {}

    // Acts on one read of the input with the show's input function flags.
    void process(const InputChannels& input, int32_t flags);

  private:
    void presets(const InputChannels& in);
    void xyFaders(const InputChannels& in);
    void transport(const InputChannels& in);
    void automationTransport(const InputChannels& in);
    // Remembers a button's pressed state; true on the transition into pressed.
    static bool pressedNow(uint8_t value, bool& last);

    Engine& engine_;
    // The edge memory.
    int lastPreset_ = 0;
    int lastMode_ = 0;
    bool lastPlay_ = false;
    bool lastStop_ = false;
    bool lastRecord_ = false;
    bool lastAutomate_ = false;
};

}  // namespace j4::engine
