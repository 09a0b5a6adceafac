#pragma once
// Constants of the Compound File Binary layout shared by the reader and the writer.

#include <cstdint>

namespace j4::platform::compound_detail {

inline constexpr uint8_t SIGNATURE[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
inline constexpr uint32_t HEADER_SIZE = 512;
inline constexpr uint32_t HEADER_DIFAT_ENTRIES = 109;
inline constexpr uint32_t DIR_ENTRY_SIZE = 128;
inline constexpr uint32_t MINI_SECTOR_SIZE = 64;
inline constexpr uint32_t MINI_STREAM_CUTOFF = 4096;
inline constexpr uint16_t BYTE_ORDER_MARK = 0xFFFE;
inline constexpr uint16_t MINOR_VERSION = 0x003E;

// Special sector numbers in FAT, DIFAT and chains.
inline constexpr uint32_t MAX_REG_SECT = 0xFFFFFFFA;
inline constexpr uint32_t DIF_SECT = 0xFFFFFFFC;
inline constexpr uint32_t FAT_SECT = 0xFFFFFFFD;
inline constexpr uint32_t END_OF_CHAIN = 0xFFFFFFFE;
inline constexpr uint32_t FREE_SECT = 0xFFFFFFFF;
// "No entry" in the directory's sibling and child links.
inline constexpr uint32_t NO_STREAM = 0xFFFFFFFF;

// Header field offsets.
namespace hdr {
inline constexpr uint32_t VERSION_MINOR = 24;
inline constexpr uint32_t VERSION_MAJOR = 26;
inline constexpr uint32_t BYTE_ORDER_FIELD = 28;
inline constexpr uint32_t SECTOR_SHIFT = 30;
inline constexpr uint32_t MINI_SECTOR_SHIFT = 32;
inline constexpr uint32_t DIR_SECTORS = 40;
inline constexpr uint32_t FAT_SECTORS = 44;
inline constexpr uint32_t FIRST_DIR = 48;
inline constexpr uint32_t CUTOFF = 56;
inline constexpr uint32_t FIRST_MINI_FAT = 60;
inline constexpr uint32_t MINI_FAT_SECTORS = 64;
inline constexpr uint32_t FIRST_DIFAT = 68;
inline constexpr uint32_t DIFAT_SECTORS = 72;
inline constexpr uint32_t DIFAT = 76;
}  // namespace hdr

// Directory entry field offsets.
namespace dir {
inline constexpr uint32_t NAME = 0;
inline constexpr uint32_t NAME_LENGTH = 64;
inline constexpr uint32_t TYPE = 66;
inline constexpr uint32_t COLOR = 67;
inline constexpr uint32_t LEFT = 68;
inline constexpr uint32_t RIGHT = 72;
inline constexpr uint32_t CHILD = 76;
inline constexpr uint32_t CLASS_ID = 80;
inline constexpr uint32_t STATE_BITS = 96;
inline constexpr uint32_t CREATED = 100;
inline constexpr uint32_t MODIFIED = 108;
inline constexpr uint32_t START = 116;
inline constexpr uint32_t SIZE = 120;
inline constexpr uint8_t RED = 0;
inline constexpr uint8_t BLACK = 1;
}  // namespace dir

inline uint16_t getU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t getU32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline uint64_t getU64(const uint8_t* p) {
    return getU32(p) | uint64_t{getU32(p + 4)} << 32;
}
inline void putU16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void putU32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void putU64(uint8_t* p, uint64_t v) {
    putU32(p, static_cast<uint32_t>(v));
    putU32(p + 4, static_cast<uint32_t>(v >> 32));
}

}  // namespace j4::platform::compound_detail
