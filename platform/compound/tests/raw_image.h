#pragma once
// Test helper: a raw view of a compound-file image for checking and damaging its
// structures by hand (header fields, FAT entries, directory entries).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/compound/cfb_format.h"

namespace j4::platform::testing {

using namespace compound_detail;

// Raw view of a written image for structure checks.
struct RawImage {
    std::vector<uint8_t> bytes;
    uint32_t sectorSize = 0;

    uint32_t header(uint32_t offset) const { return getU32(bytes.data() + offset); }
    const uint8_t* sector(uint32_t n) const {
        return bytes.data() + (uint64_t{n} + 1) * sectorSize;
    }
    uint32_t fat(uint32_t n) const {
        const uint32_t perFat = sectorSize / 4;
        const uint32_t index = n / perFat;
        uint32_t fatSector;
        if (index < HEADER_DIFAT_ENTRIES) {
            fatSector = header(hdr::DIFAT + 4 * index);
        } else {
            uint32_t rest = index - HEADER_DIFAT_ENTRIES;
            uint32_t d = header(hdr::FIRST_DIFAT);
            while (rest >= perFat - 1) {
                d = getU32(sector(d) + 4 * (perFat - 1));
                rest -= perFat - 1;
            }
            fatSector = getU32(sector(d) + 4 * rest);
        }
        return getU32(sector(fatSector) + 4 * (n % perFat));
    }
    // Where the FAT entry of sector n lives (files with at most 109 FAT sectors).
    uint8_t* fatEntry(uint32_t n) {
        const uint32_t perFat = sectorSize / 4;
        return const_cast<uint8_t*>(sector(header(hdr::DIFAT + 4 * (n / perFat)))) +
               4 * (n % perFat);
    }
    // Where the mini FAT entry of mini sector n lives (first mini FAT sector only).
    uint8_t* miniFatEntry(uint32_t n) {
        return const_cast<uint8_t*>(sector(header(hdr::FIRST_MINI_FAT))) + 4 * n;
    }
    uint8_t* at(uint32_t offset) { return bytes.data() + offset; }
    std::vector<const uint8_t*> entries() const {
        std::vector<const uint8_t*> out;
        for (uint32_t s = header(hdr::FIRST_DIR); s != END_OF_CHAIN; s = fat(s))
            for (uint32_t i = 0; i < sectorSize / DIR_ENTRY_SIZE; ++i)
                out.push_back(sector(s) + i * DIR_ENTRY_SIZE);
        return out;
    }
};

inline std::u16string nameOf(const uint8_t* e) {
    std::u16string n;
    for (uint32_t i = 0; i + 1 < getU16(e + dir::NAME_LENGTH) / 2u; ++i)
        n.push_back(getU16(e + dir::NAME + 2 * i));
    return n;
}

// Helpers to find and change things in a RawImage.
inline uint8_t* entryNamed(RawImage& image, std::u16string_view name) {
    for (const uint8_t* e : image.entries()) {
        if (e[dir::TYPE] != 0 && nameOf(e) == name) return const_cast<uint8_t*>(e);
    }
    return nullptr;
}

inline uint32_t entryId(RawImage& image, std::u16string_view name) {
    const auto entries = image.entries();
    for (uint32_t i = 0; i < entries.size(); ++i) {
        if (entries[i][dir::TYPE] != 0 && nameOf(entries[i]) == name) return i;
    }
    return NO_STREAM;
}

}  // namespace j4::platform::testing
