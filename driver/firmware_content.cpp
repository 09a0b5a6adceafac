#include "driver/firmware_content.h"

#include <cstdint>
#include <cstring>

namespace j4::driver {

namespace {

struct ImageShape {
    int id;
    int records;
    int dataBytes;
    int lastAddress;  // the image spans 0x0000 to lastAddress with one gap after record 0
};
constexpr ImageShape SHAPES[] = {
    {101, 81, 2499, 0x0BB6},
    {102, 3, 72, 0x0047},
    {103, 71, 2165, 0x0A68},
};

}  // namespace

std::vector<FirmwareRecord> simulatedFirmwareRecords(int imageId) {
    const ImageShape* shape = nullptr;
    for (const auto& s : SHAPES)
        if (s.id == imageId) shape = &s;
    if (!shape) return {};

    std::vector<uint8_t> data(static_cast<size_t>(shape->dataBytes));
    const char* mark = "CJ4-SIMULATED";
    const size_t markLen = std::strlen(mark);
    std::memcpy(data.data(), mark, markLen);
    data[markLen] = static_cast<uint8_t>(imageId);
    uint32_t seed = 0x9E3779B9u ^ static_cast<uint32_t>(imageId);
    for (size_t i = markLen + 1; i < data.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        data[i] = static_cast<uint8_t>(seed >> 24);
    }

    const int base = shape->dataBytes / shape->records;
    const int longer = shape->dataBytes % shape->records;
    const int gap = shape->lastAddress + 1 - shape->dataBytes;
    std::vector<FirmwareRecord> records;
    int offset = 0;
    int address = 0;
    for (int r = 0; r < shape->records; ++r) {
        const int n = base + (r < longer ? 1 : 0);
        FirmwareRecord rec;
        rec.address = static_cast<uint16_t>(address);
        rec.bytes.assign(data.begin() + offset, data.begin() + offset + n);
        records.push_back(std::move(rec));
        offset += n;
        address += n + (r == 0 ? gap : 0);
    }
    return records;
}

std::vector<FirmwareBlock> simulatedFirmwareBlocks(int imageId) {
    return parseFirmware(intelHexText(simulatedFirmwareRecords(imageId)), 0x10000).blocks;
}

}  // namespace j4::driver
