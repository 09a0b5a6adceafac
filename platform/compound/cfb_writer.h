#pragma once
// Serializes an element tree into a compound-file image: header, FAT (with DIFAT
// sectors when the FAT outgrows the header's 109 slots), directory with each storage's
// children as a balanced red-black tree in name order, mini FAT and mini stream for
// streams below 4096 bytes, then the large streams, each in consecutive sectors.

#include <cstdint>
#include <vector>

#include "platform/compound/compound_model.h"

namespace j4::platform::compound_detail {

// sectorShift 9 gives major version 3 (what the suite writes); 12 gives version 4.
CompoundResult<std::vector<uint8_t>> writeCompoundImage(const Node& root, int sectorShift = 9);

}  // namespace j4::platform::compound_detail
