#pragma once
// The run-length code of a Cue's 8192 channel values in show files. A packet is a
// control byte c and its data: n = (c & 0x7F) + 1 values; with c & 0x80 one byte
// follows and repeats n times, otherwise n literal bytes follow.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/dmx_frame.h"

namespace j4::show {

std::vector<uint8_t> encodeCueData(std::span<const uint8_t, common::FRAME_CHANNELS> values);

// Decodes into `values` (zeroed first). Succeeds for exactly 8192 values, or exactly
// 2048 (an older file covering four universes; the rest stay 0). A packet that would
// pass 8192 values, a packet cut short, or any other count fails with a reason.
bool decodeCueData(std::span<const uint8_t> code, std::span<uint8_t, common::FRAME_CHANNELS> values,
                   std::string* error);

}  // namespace j4::show
