#include <gtest/gtest.h>

#include <algorithm>

#include "driver/firmware_content.h"
#include "driver/firmware_image.h"
#include "driver/firmware_store.h"

namespace j4::driver {
namespace {

TEST(Firmware, EmbeddedImagesHaveTheShapesOfTheRealOnes) {
    struct Shape {
        int id;
        size_t textBytes, records, dataBytes;
        uint16_t first, last;
    };
    for (const Shape s :
         {Shape{101, 6064, 81, 2499, 0x0000, 0x0BB6}, Shape{102, 196, 3, 72, 0x0000, 0x0047},
          Shape{103, 5266, 71, 2165, 0x0000, 0x0A68}}) {
        const auto text = embeddedFirmware(s.id);
        EXPECT_EQ(text.size(), s.textBytes) << s.id;
        EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), ':')), s.records + 1);
        const auto parsed = parseFirmware(text, 0x2000);
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        size_t bytes = 0;
        for (const auto& b : parsed.blocks) bytes += b.bytes.size();
        EXPECT_EQ(bytes, s.dataBytes);
        EXPECT_EQ(parsed.blocks.front().start, s.first);
        const auto& last = parsed.blocks.back();
        EXPECT_EQ(last.start + last.bytes.size() - 1, s.last);
        EXPECT_EQ(parsed.blocks, simulatedFirmwareBlocks(s.id));
    }
    EXPECT_TRUE(embeddedFirmware(104).empty());
}

TEST(Firmware, AnAddressJumpStartsANewBlock) {
    const auto parsed =
        parseFirmware(intelHexText({{0x0000, {1, 2}}, {0x0002, {3}}, {0x0100, {4}}}), 0x2000);
    ASSERT_TRUE(parsed.ok());
    ASSERT_EQ(parsed.blocks.size(), 2u);
    EXPECT_EQ(parsed.blocks[0], (FirmwareBlock{0x0000, {1, 2, 3}}));
    EXPECT_EQ(parsed.blocks[1], (FirmwareBlock{0x0100, {4}}));
}

TEST(Firmware, ALongRunIsSplitAtTheBlockSize) {
    std::vector<FirmwareRecord> records;
    for (uint16_t a = 0; a < 0x2000; a += 32) records.push_back({a, std::vector<uint8_t>(32, 7)});
    const auto parsed = parseFirmware(intelHexText(records), 0x2000);
    ASSERT_TRUE(parsed.ok());
    ASSERT_EQ(parsed.blocks.size(), 2u);
    EXPECT_EQ(parsed.blocks[0].bytes.size(), MAX_FIRMWARE_BLOCK);
    EXPECT_EQ(parsed.blocks[1].start, MAX_FIRMWARE_BLOCK);
}

TEST(Firmware, UnsoundImagesAreRefusedWhole) {
    const std::string good = intelHexText({{0x0000, {1, 2, 3}}});
    std::string badSum = good;
    badSum[12] = badSum[12] == '0' ? '1' : '0';  // a data digit: the sum no longer matches
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"checksum", badSum},
        {"type", ":0100000201FC\r\n:00000001FF\r\n"},
        {"no end", ":03000000010203F7\r\n"},
        {"beyond memory", intelHexText({{0x1FFF, {1, 2}}})},
        {"not hex", ":0300000001020ZF7\r\n:00000001FF\r\n"},
        {"no colon", "03000000010203F7\r\n:00000001FF\r\n"},
        {"after end", good + ":03000000010203F7\r\n"},
        {"truncated", ":030000000102"},
        {"empty", ""},
    };
    EXPECT_TRUE(parseFirmware(good, 0x2000).ok());
    for (const auto& [name, text] : cases) {
        const auto parsed = parseFirmware(text, 0x2000);
        EXPECT_FALSE(parsed.ok()) << name;
        EXPECT_TRUE(parsed.blocks.empty()) << name;
    }
}

TEST(Firmware, FolderImagesReplaceTheEmbeddedOnes) {
    EXPECT_EQ(*FirmwareStore().image(102), std::string(embeddedFirmware(102)));
    EXPECT_FALSE(FirmwareStore("/nonexistent-folder").image(101));
}

}  // namespace
}  // namespace j4::driver
