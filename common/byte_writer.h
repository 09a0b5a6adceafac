#pragma once
// Writer of the primitive encodings (see byte_reader.h), appending to a buffer that
// is then written as one stream.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "common/identity.h"

namespace j4::common {

class ByteWriter {
public:
    void int32(int32_t v) { uint32(static_cast<uint32_t>(v)); }
    void uint32(uint32_t v);
    void uint16(uint16_t v);
    void uint8(uint8_t v) { bytes_.push_back(v); }
    void boolean(bool v) { int32(v ? 1 : 0); }
    void float64(double v);
    void identity(const Identity& id);
    // Counted UTF-16LE string from UTF-8 text.
    void string(std::string_view utf8);
    void string16(std::u16string_view text);
    void raw(std::span<const uint8_t> bytes);

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    std::vector<uint8_t> take() { return std::move(bytes_); }
    size_t size() const { return bytes_.size(); }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace j4::common
