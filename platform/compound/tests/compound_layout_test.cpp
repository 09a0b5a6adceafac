// What the writer produces, read back by our own reader and checked structure by
// structure: header fields, FAT/DIFAT for a file over 7 MB, the mini-stream cutoff,
// and each storage's directory tree (name order and red-black rules).

#include <gtest/gtest.h>

#include <functional>

#include "platform/compound/cfb_format.h"
#include "platform/compound/cfb_reader.h"
#include "platform/compound/cfb_writer.h"
#include "platform/compound/compound_file.h"
#include "platform/compound/compound_model.h"
#include "platform/compound/tests/raw_image.h"
#include "platform/compound/tests/tree_items.h"

namespace j4::platform {
namespace {

using namespace compound_detail;
using testing::nameOf;
using testing::RawImage;
using testing::TreeItem;

// Checks every storage's sibling tree: in-order walk sorted by the format's compare,
// no red node with a red child, the same black count on every path, black top node.
// Returns the largest tree height seen.
int checkDirectoryTrees(const RawImage& image) {
    const auto entries = image.entries();
    int maxHeight = 0;
    std::function<int(uint32_t, int&, std::vector<std::u16string>&)> walk =
        [&](uint32_t id, int& height, std::vector<std::u16string>& names) -> int {
        if (id == NO_STREAM) return 1;
        const uint8_t* e = entries.at(id);
        const uint8_t color = e[dir::COLOR];
        for (uint32_t link : {getU32(e + dir::LEFT), getU32(e + dir::RIGHT)}) {
            if (color == dir::RED && link != NO_STREAM) {
                EXPECT_EQ(entries.at(link)[dir::COLOR], dir::BLACK) << "red node with red child";
            }
        }
        int hl = 0, hr = 0;
        const int bl = walk(getU32(e + dir::LEFT), hl, names);
        names.push_back(nameOf(e));
        const int br = walk(getU32(e + dir::RIGHT), hr, names);
        EXPECT_EQ(bl, br) << "black heights differ";
        height = 1 + std::max(hl, hr);
        if (e[dir::TYPE] == 1) {
            int h = 0;
            std::vector<std::u16string> childNames;
            const uint32_t child = getU32(e + dir::CHILD);
            if (child != NO_STREAM) {
                EXPECT_EQ(entries.at(child)[dir::COLOR], dir::BLACK);
            }
            walk(child, h, childNames);
            for (size_t i = 1; i < childNames.size(); ++i)
                EXPECT_LT(compareNames(childNames[i - 1], childNames[i]), 0);
            maxHeight = std::max(maxHeight, h);
        }
        return bl + (color == dir::BLACK ? 1 : 0);
    };
    int h = 0;
    std::vector<std::u16string> names;
    const uint32_t top = getU32(entries.at(0) + dir::CHILD);
    if (top != NO_STREAM) {
        EXPECT_EQ(entries.at(top)[dir::COLOR], dir::BLACK);
    }
    walk(top, h, names);
    for (size_t i = 1; i < names.size(); ++i) {
        EXPECT_LT(compareNames(names[i - 1], names[i]), 0);
    }
    return std::max(maxHeight, h);
}

// The image of a tree: version 3 through the public path, version 4 by re-writing the
// model our reader builds from it.
std::vector<uint8_t> imageOf(const std::vector<TreeItem>& items, int sectorShift = 9) {
    auto file = CompoundFile::create(testing::freshFolder("layout") + "/f.cfb");
    EXPECT_TRUE(file.ok());
    testing::buildTree(file->root(), items);
    auto v3 = file->toBytes();
    EXPECT_TRUE(v3.ok());
    if (sectorShift == 9) return *v3;
    auto model = readCompoundImage(*v3);
    EXPECT_TRUE(model.ok());
    auto other = writeCompoundImage(**model, sectorShift);
    EXPECT_TRUE(other.ok());
    return *other;
}

std::vector<TreeItem> readBack(const std::vector<uint8_t>& image) {
    auto file = CompoundFile::openBytes(image);
    EXPECT_TRUE(file.ok()) << file.error().message;
    if (!file) return {};
    return testing::listTree(file->root());
}

TEST(CompoundLayout, SampleTreeRoundTripsInVersions3And4) {
    const auto items = testing::sampleTree();
    for (int shift : {9, 12}) {
        RawImage raw{imageOf(items, shift), 1u << shift};
        EXPECT_EQ(readBack(raw.bytes), items) << "sector shift " << shift;
        EXPECT_EQ(getU16(raw.bytes.data() + hdr::VERSION_MAJOR), shift == 9 ? 3 : 4);
        EXPECT_EQ(raw.bytes.size() % raw.sectorSize, 0u);
        checkDirectoryTrees(raw);
    }
}

TEST(CompoundLayout, SmallStreamsGoToTheMiniStream) {
    // Sizes around the 4096-byte cutoff and the 64-byte mini sector.
    const std::vector<TreeItem> items = {
        {"a", false, testing::patternBytes(1, 1)},
        {"b", false, testing::patternBytes(64, 2)},
        {"c", false, testing::patternBytes(65, 3)},
        {"d", false, testing::patternBytes(4095, 4)},
        {"e", false, testing::patternBytes(4096, 5)},
        {"f", false, testing::patternBytes(4097, 6)},
        {"g", false, {}},
    };
    RawImage raw{imageOf(items), 512};
    EXPECT_EQ(readBack(raw.bytes), items);
    const auto entries = raw.entries();
    // Mini sectors: a 1, b 1, c 2, d 64 = 68 in all, in one run of 68 * 64 bytes.
    EXPECT_EQ(getU32(entries[0] + dir::SIZE), 68u * 64);
    EXPECT_EQ(raw.header(hdr::MINI_FAT_SECTORS), 1u);
    for (size_t i = 1; i < items.size() + 1; ++i) {
        const uint8_t* e = entries[i];
        const std::u16string name = nameOf(e);
        if (name == u"g") {
            EXPECT_EQ(getU32(e + dir::START), END_OF_CHAIN);
        }
        if (name == u"e") {
            EXPECT_EQ(getU32(e + dir::SIZE), 4096u);
        }
    }
}

TEST(CompoundLayout, FileOverSevenMegabytesUsesDifatSectors) {
    const std::vector<TreeItem> items = {
        {"Big", false, testing::patternBytes(7'500'000, 11)},
        {"Small", false, testing::patternBytes(100, 12)},
    };
    RawImage raw{imageOf(items), 512};
    EXPECT_GT(raw.header(hdr::FAT_SECTORS), HEADER_DIFAT_ENTRIES);
    EXPECT_EQ(raw.header(hdr::DIFAT_SECTORS), 1u);
    EXPECT_EQ(readBack(raw.bytes), items);
    // The FAT marks its own sectors and the DIFAT sector.
    for (uint32_t i = 0; i < HEADER_DIFAT_ENTRIES; ++i) {
        EXPECT_EQ(raw.fat(raw.header(hdr::DIFAT + 4 * i)), FAT_SECT);
    }
    EXPECT_EQ(raw.fat(raw.header(hdr::FIRST_DIFAT)), DIF_SECT);
}

TEST(CompoundLayout, SiblingTreesStayBalancedAndRedBlack) {
    for (int count : {1, 2, 3, 7, 8, 100, 255, 256, 700}) {
        RawImage raw{imageOf(testing::manySiblings(count)), 512};
        const int height = checkDirectoryTrees(raw);
        // A balanced tree of n nodes is floor(log2 n) + 1 high.
        int expected = 0;
        for (int n = count; n; n >>= 1) ++expected;
        EXPECT_EQ(height, expected) << count << " siblings";
        EXPECT_EQ(readBack(raw.bytes), testing::manySiblings(count));
    }
}

TEST(CompoundLayout, KeepsClassIdsStateBitsAndTimestamps) {
    // Set through a hand edit of the image, as another writer would have stored them.
    auto image = imageOf({{"S", true, {}}});
    RawImage raw{image, 512};
    auto entries = raw.entries();
    uint8_t* e = const_cast<uint8_t*>(entries[1]);
    for (int i = 0; i < 16; ++i) e[dir::CLASS_ID + i] = static_cast<uint8_t>(i + 1);
    putU32(e + dir::STATE_BITS, 0x12345678);
    putU64(e + dir::CREATED, 0x01D0000000000001ull);
    putU64(e + dir::MODIFIED, 0x01D0000000000002ull);
    putU64(const_cast<uint8_t*>(entries[0]) + dir::MODIFIED, 0x01D0000000000003ull);
    auto file = CompoundFile::openBytes(raw.bytes);
    ASSERT_TRUE(file.ok());
    auto again = file->toBytes();
    ASSERT_TRUE(again.ok());
    RawImage raw2{*again, 512};
    auto entries2 = raw2.entries();
    EXPECT_EQ(std::vector<uint8_t>(entries2[1] + dir::CLASS_ID, entries2[1] + dir::START),
              std::vector<uint8_t>(e + dir::CLASS_ID, e + dir::START));
    EXPECT_EQ(getU64(entries2[0] + dir::MODIFIED), 0x01D0000000000003ull);
    const auto info = file->root().stat("S");
    ASSERT_TRUE(info.ok());
    EXPECT_EQ(info->stateBits, 0x12345678u);
    EXPECT_EQ(info->created, 0x01D0000000000001ull);
}

}  // namespace
}  // namespace j4::platform
