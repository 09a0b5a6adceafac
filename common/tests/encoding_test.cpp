#include <gtest/gtest.h>

#include <vector>

#include "common/byte_reader.h"
#include "common/byte_writer.h"
#include "common/utf16.h"

namespace j4::common {

TEST(Encoding, ReadsHandMadeBytes) {
    const std::vector<uint8_t> bytes = {
        0x78, 0x56, 0x34, 0x12,  // int32 0x12345678
        0xFF, 0xFF, 0xFF, 0xFF,  // int32 -1
        0x01, 0x00, 0x00, 0x00,  // bool true
        0x02, 0x00, 0x00, 0x00,  // bool: only exactly 1 is true
        0x06, 0x00, 0x00, 0x00, 'J', 0, '4', 0, 0x3D, 0xD8,  // "J4" + lone high surrogate
        0x00, 0x00, 0x00, 0x00,  // empty string
        0, 0, 0, 0, 0, 0, 0xF8, 0x3F,  // double 1.5
    };
    ByteReader r(bytes);
    EXPECT_EQ(r.int32(), 0x12345678);
    EXPECT_EQ(r.int32(), -1);
    EXPECT_TRUE(r.boolean());
    EXPECT_FALSE(r.boolean());
    EXPECT_EQ(r.string(), "J4\xEF\xBF\xBD");
    EXPECT_EQ(r.string(), "");
    EXPECT_EQ(r.float64(), 1.5);
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.atEnd());
}

TEST(Encoding, RefusesBadStringsAndShortReads) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"odd count", {0x03, 0, 0, 0, 'a', 0, 'b'}},
        {"negative count", {0xFE, 0xFF, 0xFF, 0xFF}},
        {"over 100000 bytes", {0xA2, 0x86, 0x01, 0x00}},  // 100002
        {"count past the end", {0x08, 0, 0, 0, 'a', 0}},
        {"short count", {0x02, 0}},
    };
    for (const auto& c : cases) {
        ByteReader r(c.bytes);
        EXPECT_EQ(r.string(), "") << c.what;
        EXPECT_FALSE(r.ok()) << c.what;
        // Sticky: later reads return zero values.
        EXPECT_EQ(r.int32(), 0) << c.what;
    }
}

TEST(Encoding, CountsAreCheckedAgainstBytesLeft) {
    const std::vector<uint8_t> bytes(40, 0);
    ByteReader r(bytes);
    EXPECT_TRUE(r.fitsCount(10, 4));
    EXPECT_FALSE(r.fitsCount(11, 4));
    EXPECT_FALSE(r.ok());
    ByteReader r2(bytes);
    EXPECT_FALSE(r2.fitsCount(-1, 4));
    ByteReader r3(bytes);
    EXPECT_FALSE(r3.fitsCount(int64_t{1} << 62, 4));
}

TEST(Encoding, WriterRoundTrip) {
    const std::string text = "Cue \xF0\x9F\x8E\xAD \xC3\xA9";  // outside the BMP + accent
    Identity id;
    for (int i = 0; i < 16; ++i) id.bytes[i] = static_cast<uint8_t>(i * 17);
    ByteWriter w;
    w.int32(-123456);
    w.boolean(true);
    w.string(text);
    w.identity(id);
    w.float64(-0.25);
    ByteReader r(w.bytes());
    EXPECT_EQ(r.int32(), -123456);
    EXPECT_TRUE(r.boolean());
    EXPECT_EQ(r.string(), text);
    EXPECT_EQ(r.identity(), id);
    EXPECT_EQ(r.float64(), -0.25);
    EXPECT_TRUE(r.ok() && r.atEnd());
    // The surrogate pair is stored as two UTF-16 units.
    EXPECT_EQ(utf8ToUtf16("\xF0\x9F\x8E\xAD").size(), 2u);
}

TEST(Encoding, IdentityText) {
    Identity id;
    for (int i = 0; i < 16; ++i) id.bytes[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(id.text(), "{03020100-0504-0706-0809-0A0B0C0D0E0F}");
    EXPECT_EQ(Identity::fromText(id.text()), id);
    EXPECT_FALSE(Identity::fromText("{03020100-0504-0706-0809-0A0B0C0D0E0G}"));
    EXPECT_FALSE(Identity::fromText("03020100"));
}

}  // namespace j4::common
