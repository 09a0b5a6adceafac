#include "common/byte_writer.h"

#include <cstring>

#include "common/utf16.h"

namespace j4::common {

void ByteWriter::uint32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void ByteWriter::uint16(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
}

void ByteWriter::float64(double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 8; ++i) bytes_.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}

void ByteWriter::identity(const Identity& id) { raw(id.bytes); }

void ByteWriter::string16(std::u16string_view text) {
    int32(static_cast<int32_t>(text.size() * 2));
    for (char16_t c : text) uint16(static_cast<uint16_t>(c));
}

void ByteWriter::string(std::string_view utf8) { string16(utf8ToUtf16(utf8)); }

void ByteWriter::raw(std::span<const uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

}  // namespace j4::common
