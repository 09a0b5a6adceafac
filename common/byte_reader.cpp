#include "common/byte_reader.h"

#include <cstring>

#include "common/utf16.h"

namespace j4::common {

const uint8_t* ByteReader::take(size_t count, const char* field) {
    if (!ok()) return nullptr;
    if (count > remaining()) {
        fail(std::string(field) + ": needs " + std::to_string(count) + " bytes at offset " +
             std::to_string(pos_) + ", " + std::to_string(remaining()) + " left");
        return nullptr;
    }
    const uint8_t* p = bytes_.data() + pos_;
    pos_ += count;
    return p;
}

void ByteReader::fail(std::string reason) {
    if (ok()) error_ = reason.empty() ? "invalid data" : std::move(reason);
}

uint32_t ByteReader::uint32(const char* field) {
    const uint8_t* p = take(4, field);
    if (!p) return 0;
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

int32_t ByteReader::int32(const char* field) { return static_cast<int32_t>(uint32(field)); }

uint16_t ByteReader::uint16(const char* field) {
    const uint8_t* p = take(2, field);
    if (!p) return 0;
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint8_t ByteReader::uint8(const char* field) {
    const uint8_t* p = take(1, field);
    return p ? *p : 0;
}

bool ByteReader::boolean(const char* field) { return int32(field) == 1; }

double ByteReader::float64(const char* field) {
    const uint8_t* p = take(8, field);
    if (!p) return 0.0;
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = bits << 8 | p[i];
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

Identity ByteReader::identity(const char* field) {
    Identity id;
    if (const uint8_t* p = take(16, field)) std::memcpy(id.bytes.data(), p, 16);
    return id;
}

std::u16string ByteReader::string16(const char* field) {
    const int32_t count = int32(field);
    if (!ok()) return {};
    if (count < 0 || count > MAX_STRING_BYTES || count % 2 != 0) {
        fail(std::string(field) + ": invalid string byte count " + std::to_string(count));
        return {};
    }
    const uint8_t* p = take(static_cast<size_t>(count), field);
    if (!p) return {};
    std::u16string text(static_cast<size_t>(count) / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8);
    return text;
}

std::string ByteReader::string(const char* field) { return utf16ToUtf8(string16(field)); }

bool ByteReader::raw(uint8_t* out, size_t count, const char* field) {
    const uint8_t* p = take(count, field);
    if (!p) return false;
    if (count) std::memcpy(out, p, count);
    return true;
}

bool ByteReader::skip(size_t count, const char* field) { return take(count, field) != nullptr; }

bool ByteReader::fitsCount(int64_t count, size_t minElementBytes, const char* field) {
    if (!ok()) return false;
    if (count < 0 ||
        (minElementBytes > 0 && static_cast<uint64_t>(count) > remaining() / minElementBytes)) {
        fail(std::string(field) + ": count " + std::to_string(count) +
             " does not fit in the " + std::to_string(remaining()) + " bytes left");
        return false;
    }
    return true;
}

}  // namespace j4::common
