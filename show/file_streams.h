#pragma once
// Whole-stream reads and writes on a compound-file storage, with the reason of a
// failure as text.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/compound/compound_file.h"

namespace j4::show {

bool readStream(const platform::Storage& storage, const char* name, std::vector<uint8_t>& out,
                std::string* error);
bool writeStream(platform::Storage& storage, const char* name, std::span<const uint8_t> bytes,
                 std::string* error);

}  // namespace j4::show
