#pragma once
// The console's clock in the shared block: written by the console's engine thread every
// frame (allocation-free, no system call), read by any client.

#include <cstdint>

#include "automation/shared_block.h"

namespace j4::automation {

// Raw values as the console stored them; a reader that shows them must not assume they
// are in range (the block is shared with every process of the user).
struct ClockValues {
    int32_t time = 0;
    int32_t mode = 0;
    int32_t state = 0;
    int32_t timecode = 0;
    bool operator==(const ClockValues&) const = default;
};

// Single writer: the console.
void publishClock(BlockLayout& block, const ClockValues& values);

// The four values of one frame. A writer that stopped in the middle of a publication
// cannot stall the reader: after at most about 10 ms it returns what it read.
ClockValues readClock(const BlockLayout& block);

}  // namespace j4::automation
