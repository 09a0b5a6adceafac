#pragma once
// Intel HEX firmware images: reading one into download blocks, validated whole, and
// writing one (the build-time generator).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace j4::driver {

// The largest block one firmware-download transfer carries.
inline constexpr size_t MAX_FIRMWARE_BLOCK = 7168;

struct FirmwareBlock {
    uint16_t start = 0;
    std::vector<uint8_t> bytes;
    bool operator==(const FirmwareBlock&) const = default;
};

struct FirmwareParse {
    std::vector<FirmwareBlock> blocks;  // runs of consecutive addresses, in file order
    std::string error;                  // empty when the image is sound
    bool ok() const { return error.empty(); }
};

// Reads the whole text before anything is sent: every record must start with ':',
// hold hex digits only, be of type 00 (data) or 01 (end), carry a correct checksum and
// lie within `memoryBytes`; exactly one end record closes the image. Consecutive
// records join into one block; a run longer than MAX_FIRMWARE_BLOCK is split.
FirmwareParse parseFirmware(std::string_view text, uint32_t memoryBytes);

struct FirmwareRecord {
    uint16_t address = 0;
    std::vector<uint8_t> bytes;
};

// Intel HEX text with CR LF line ends: one data record per entry, then the end record.
std::string intelHexText(const std::vector<FirmwareRecord>& records);

}  // namespace j4::driver
