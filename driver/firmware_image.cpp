#include "driver/firmware_image.h"

#include <cstdio>

namespace j4::driver {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads one byte (two hex digits) at pos; -1 when the text ends or is not hex.
int hexByte(std::string_view text, size_t pos) {
    if (pos + 1 >= text.size()) return -1;
    const int hi = hexDigit(text[pos]);
    const int lo = hexDigit(text[pos + 1]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

std::string recordError(int record, const char* what) {
    return "record " + std::to_string(record) + ": " + what;
}

}  // namespace

FirmwareParse parseFirmware(std::string_view text, uint32_t memoryBytes) {
    FirmwareParse out;
    size_t pos = 0;
    int record = 0;
    bool ended = false;
    uint32_t expected = 0x10000;  // no address follows on from nothing
    auto fail = [&](const char* what) {
        out.blocks.clear();
        out.error = recordError(record, what);
        return out;
    };
    while (pos < text.size()) {
        const char c = text[pos];
        if (c == '\r' || c == '\n') {
            ++pos;
            continue;
        }
        if (ended) return fail("text after the end record");
        if (c != ':') return fail("does not start with ':'");
        ++pos;
        int head[4];
        for (int i = 0; i < 4; ++i) {
            head[i] = hexByte(text, pos);
            if (head[i] < 0) return fail("bad hex digits");
            pos += 2;
        }
        const int count = head[0];
        const uint32_t address = static_cast<uint32_t>(head[1] << 8 | head[2]);
        const int type = head[3];
        unsigned sum = static_cast<unsigned>(head[0] + head[1] + head[2] + head[3]);
        std::vector<uint8_t> data;
        data.reserve(count);
        for (int i = 0; i < count; ++i) {
            const int b = hexByte(text, pos);
            if (b < 0) return fail("bad hex digits");
            data.push_back(static_cast<uint8_t>(b));
            sum += static_cast<unsigned>(b);
            pos += 2;
        }
        const int check = hexByte(text, pos);
        if (check < 0) return fail("bad hex digits");
        pos += 2;
        if (((sum + static_cast<unsigned>(check)) & 0xFF) != 0) return fail("checksum mismatch");
        if (pos < text.size() && text[pos] != '\r' && text[pos] != '\n')
            return fail("record too long");
        if (type == 1) {
            if (count != 0) return fail("end record with data");
            ended = true;
        } else if (type == 0) {
            if (address + count > memoryBytes) return fail("outside the program memory");
            if (count > 0) {
                if (address != expected || out.blocks.empty() ||
                    out.blocks.back().bytes.size() + count > MAX_FIRMWARE_BLOCK) {
                    // A new block also starts where a run would outgrow one transfer.
                    FirmwareBlock block;
                    block.start = static_cast<uint16_t>(address);
                    out.blocks.push_back(std::move(block));
                }
                auto& bytes = out.blocks.back().bytes;
                bytes.insert(bytes.end(), data.begin(), data.end());
                expected = address + count;
            }
        } else {
            return fail("unknown record type");
        }
        ++record;
    }
    if (!ended) return fail("no end record");
    return out;
}

std::string intelHexText(const std::vector<FirmwareRecord>& records) {
    std::string out;
    char buf[8];
    auto put = [&](unsigned byte, unsigned& sum) {
        std::snprintf(buf, sizeof buf, "%02X", byte & 0xFF);
        out += buf;
        sum += byte;
    };
    for (const auto& r : records) {
        unsigned sum = 0;
        out += ':';
        put(static_cast<unsigned>(r.bytes.size()), sum);
        put(r.address >> 8, sum);
        put(r.address & 0xFF, sum);
        put(0, sum);
        for (uint8_t b : r.bytes) put(b, sum);
        unsigned ignored = 0;
        put((0x100 - (sum & 0xFF)) & 0xFF, ignored);
        out += "\r\n";
    }
    out += ":00000001FF\r\n";
    return out;
}

}  // namespace j4::driver
