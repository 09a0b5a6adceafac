// Argument ranges: what a client may queue and what the console accepts are one rule.

#include "automation/commands.h"

#include <gtest/gtest.h>

#include <string>

namespace j4::automation {
namespace {

TEST(Commands, ArgumentRanges) {
    struct Case {
        int32_t code, a1, a2;
        bool valid;
    } cases[] = {
        {1, 23, 8192, true},
        {1, 24, 100, false},
        {1, 0, 8193, false},
        {1, -1, 0, false},
        {1, 0, -1, false},
        {2, 0, 0, true},
        {2, 23, 0, true},
        {2, 24, 0, false},
        {3, 8192, 0, true},
        {3, 8193, 0, false},
        {3, -1, 0, false},
        {4, 3, 0, true},
        {4, 4, 0, false},
        {5, 0, 8192, true},
        {5, -1, 5, false},
        {6, 23, 999999, true},
        {6, 23, -7, true},
        {6, 24, 1, false},
        {7, 3, 1000000, true},
        {7, 4, 1, false},
        {8, 0, 0, true},
        {8, -1, 0, false},
        {9, 2, 0, true},
        {9, 3, 0, false},
        {9, -1, 0, false},
        {10, -1, 0, true},
        {10, -2, 0, false},
        {10, 86'399'999, 0, true},
        {10, 86'400'000, 0, false},
        {11, 0, 0, true},
        {12, 0, 0, true},
        {12, -2, 0, false},
        {13, -1, -1, true},
        {13, 1000, -2, false},
        {13, -2, 1000, false},
        {15, 3, 8192, true},
        {15, 4, 0, false},
        {15, 0, 8193, false},
        {16, 3, 12, true},
        {16, 4, 12, false},
        {0, 0, 0, false},
        {17, 0, 0, false},
        {-1, 0, 0, false},
    };
    for (const Case& c : cases) {
        const CommandCheck check = checkCommand(c.code, c.a1, c.a2, {});
        EXPECT_EQ(check == CommandCheck::Valid, c.valid)
            << "code " << c.code << " (" << c.a1 << ", " << c.a2
            << "): " << commandCheckText(check);
    }
    EXPECT_EQ(checkCommand(0, 0, 0, {}), CommandCheck::UnknownCode);
    EXPECT_EQ(checkCommand(14, 0, 0, "/shows/a.j4"), CommandCheck::Valid);
    EXPECT_EQ(checkCommand(14, 0, 0, ""), CommandCheck::BadPath);
}

TEST(Commands, LoadPaths) {
    const std::string euro = "\xE2\x82\xAC";  // one character, three bytes
    std::string euros;
    for (int i = 0; i < 255; ++i) euros += euro;
    struct Case {
        std::string path;
        bool valid;
    } cases[] = {
        {"a", true},
        {std::string(255, 'a'), true},
        {std::string(256, 'a'), false},
        {euros, true},                       // 765 bytes, 255 characters
        {euros + "x", false},                // 256 characters
        {std::string(1023, '\x80'), true},   // not UTF-8, but fits its field
        {std::string(1024, '\x80'), false},  // would leave no room for the terminator
        {std::string("a\0b", 3), false},
        {"", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isValidLoadPath(c.path), c.valid) << c.path.size();

    char field[PATH_FIELD_BYTES];
    std::fill(std::begin(field), std::end(field), 'a');
    EXPECT_FALSE(isValidPathField(field, sizeof field)) << "unterminated";
    field[255] = '\0';
    EXPECT_TRUE(isValidPathField(field, sizeof field));
    field[0] = '\0';
    EXPECT_FALSE(isValidPathField(field, sizeof field)) << "empty";
}

}  // namespace
}  // namespace j4::automation
