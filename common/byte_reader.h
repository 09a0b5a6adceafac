#pragma once
// Reader of the primitive encodings every data file of the suite uses: little-endian
// 32-bit integers, booleans as 32-bit values (exactly 1 is true), IEEE doubles,
// strings as a 32-bit byte count followed by UTF-16LE text, and 16-byte identities.
//
// The reader works over the bytes of one stream. A failed read is sticky: the reader
// remembers the first reason, every later read returns a zero value, and the caller
// checks ok() once after a record. Counts read from a file are checked against the
// bytes left (fitsCount) before anything is allocated for them.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/identity.h"

namespace j4::common {

inline constexpr int32_t MAX_STRING_BYTES = 100'000;

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    int32_t int32(const char* field = "int32");
    uint32_t uint32(const char* field = "uint32");
    uint16_t uint16(const char* field = "uint16");
    uint8_t uint8(const char* field = "byte");
    bool boolean(const char* field = "bool");
    double float64(const char* field = "double");
    Identity identity(const char* field = "identity");
    // UTF-8 text of a counted UTF-16LE string; refuses a negative or odd count and one
    // over MAX_STRING_BYTES.
    std::string string(const char* field = "string");
    std::u16string string16(const char* field = "string");
    // Copies `count` raw bytes into `out`.
    bool raw(uint8_t* out, size_t count, const char* field = "bytes");
    bool skip(size_t count, const char* field = "bytes");

    // True when `count` elements of at least `minElementBytes` each can still be read;
    // otherwise records the failure. Use before reserving or looping on a count.
    bool fitsCount(int64_t count, size_t minElementBytes, const char* field = "count");

    // Marks the reader failed with a reason (e.g. a value out of its range).
    void fail(std::string reason);

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    size_t position() const { return pos_; }
    size_t remaining() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ == bytes_.size(); }

private:
    const uint8_t* take(size_t count, const char* field);

    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
    std::string error_;
};

}  // namespace j4::common
