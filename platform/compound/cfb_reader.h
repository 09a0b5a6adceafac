#pragma once
// Reads a whole compound-file image (major version 3 or 4) into the element tree,
// checking every structure on the way: header fields, sector numbers, chain lengths
// against sizes, cycles and shared sectors, directory links and nesting. Every walk is
// bounded by the number of sectors or entries, and nothing is allocated beyond what the
// image's own size allows, so a hostile file costs at most its own size in memory.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/compound/compound_model.h"

namespace j4::platform::compound_detail {

// The image is taken by value: the reader pads it to whole sectors in place.
CompoundResult<std::shared_ptr<Node>> readCompoundImage(std::vector<uint8_t> image);

}  // namespace j4::platform::compound_detail
