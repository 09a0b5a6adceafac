// Damaged and hostile images are refused with Corrupt (never a crash, a hang or a huge
// allocation): each case breaks one structure of a valid image by hand. A seeded
// mutation run then checks the reader's whole property on thousands of variants.

#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "platform/compound/compound_file.h"
#include "platform/compound/fuzz/image_check.h"
#include "platform/compound/tests/raw_image.h"
#include "platform/compound/tests/tree_items.h"

namespace j4::platform {
namespace {

using namespace compound_detail;
using testing::entryId;
using testing::entryNamed;
using testing::RawImage;
using testing::TreeItem;

std::vector<uint8_t> imageOf(const std::vector<TreeItem>& items) {
    auto file = CompoundFile::create(testing::freshFolder("hostile") + "/f.cfb");
    EXPECT_TRUE(file.ok());
    testing::buildTree(file->root(), items);
    auto bytes = file->toBytes();
    EXPECT_TRUE(bytes.ok());
    return *bytes;
}

// Two large streams, two small ones and a storage: every structure appears once.
const std::vector<TreeItem>& baseTree() {
    static const std::vector<TreeItem> items = {
        {"Big", false, testing::patternBytes(5000, 1)},
        {"Big2", false, testing::patternBytes(4500, 2)},
        {"Small", false, testing::patternBytes(100, 3)},
        {"Small2", false, testing::patternBytes(200, 4)},
        {"Sub", true, {}},
        {"Sub/Inner", false, testing::patternBytes(10, 5)},
    };
    return items;
}

struct Damage {
    const char* what;
    std::function<void(RawImage&)> apply;
};

uint8_t* e(RawImage& r, const char16_t* name) {
    return entryNamed(r, name);
}
uint8_t* rootEntry(RawImage& r) {
    return r.at((r.header(hdr::FIRST_DIR) + 1) * 512);
}
uint32_t start(RawImage& r, const char16_t* name) {
    return getU32(e(r, name) + dir::START);
}

const Damage damages[] = {
    {"truncated header", [](RawImage& r) { r.bytes.resize(100); }},
    {"signature", [](RawImage& r) { r.bytes[0] = 0; }},
    {"byte order", [](RawImage& r) { putU16(r.at(hdr::BYTE_ORDER_FIELD), 0xFEFF); }},
    {"major version 5", [](RawImage& r) { putU16(r.at(hdr::VERSION_MAJOR), 5); }},
    {"version 3 with 4096-byte sectors", [](RawImage& r) { putU16(r.at(hdr::SECTOR_SHIFT), 12); }},
    {"mini sector shift", [](RawImage& r) { putU16(r.at(hdr::MINI_SECTOR_SHIFT), 7); }},
    {"mini stream cutoff", [](RawImage& r) { putU32(r.at(hdr::CUTOFF), 8192); }},
    {"no FAT sectors", [](RawImage& r) { putU32(r.at(hdr::FAT_SECTORS), 0); }},
    {"FAT sector count beyond the file",
     [](RawImage& r) { putU32(r.at(hdr::FAT_SECTORS), 0xFFFFFFFF); }},
    {"DIFAT sector count beyond the file",
     [](RawImage& r) { putU32(r.at(hdr::DIFAT_SECTORS), 0xFFFFFFFF); }},
    {"FAT sector out of range", [](RawImage& r) { putU32(r.at(hdr::DIFAT), 0x00FFFFFF); }},
    {"FAT sector listed twice",
     [](RawImage& r) {
         putU32(r.at(hdr::FAT_SECTORS), 2);
         putU32(r.at(hdr::DIFAT + 4), r.header(hdr::DIFAT));
     }},
    {"directory start out of range", [](RawImage& r) { putU32(r.at(hdr::FIRST_DIR), 0x7FFFFFFF); }},
    {"no directory", [](RawImage& r) { putU32(r.at(hdr::FIRST_DIR), END_OF_CHAIN); }},
    {"directory chain loops",
     [](RawImage& r) {
         const uint32_t first = r.header(hdr::FIRST_DIR);
         putU32(r.fatEntry(first), first);
     }},
    {"root entry is not a root", [](RawImage& r) { rootEntry(r)[dir::TYPE] = 1; }},
    {"sibling link loops",
     [](RawImage& r) { putU32(e(r, u"Big") + dir::LEFT, entryId(r, u"Big")); }},
    {"child link back to the root", [](RawImage& r) { putU32(e(r, u"Sub") + dir::CHILD, 0); }},
    {"storage contains its own parent's entry",
     [](RawImage& r) { putU32(e(r, u"Sub") + dir::CHILD, entryId(r, u"Big")); }},
    {"link out of range", [](RawImage& r) { putU32(e(r, u"Sub") + dir::CHILD, 100000); }},
    {"unallocated entry in the tree", [](RawImage& r) { e(r, u"Inner")[dir::TYPE] = 0; }},
    {"second root in the tree", [](RawImage& r) { e(r, u"Inner")[dir::TYPE] = 5; }},
    {"name length over 64 bytes", [](RawImage& r) { putU16(e(r, u"Big") + dir::NAME_LENGTH, 66); }},
    {"odd name length", [](RawImage& r) { putU16(e(r, u"Big") + dir::NAME_LENGTH, 7); }},
    {"two siblings of one name",
     [](RawImage& r) {
         uint8_t* x = e(r, u"Small2");
         putU16(x + dir::NAME + 10, 0);
         putU16(x + dir::NAME_LENGTH, 12);
         putU16(x, u's');  // "small": equal to "Small" when case is ignored
     }},
    {"stream larger than the file",
     [](RawImage& r) { putU32(e(r, u"Big") + dir::SIZE, 0x7FFFFF00); }},
    {"stream size beyond its chain",
     [](RawImage& r) { putU32(e(r, u"Big") + dir::SIZE, 5000 + 512); }},
    {"stream chain loops",
     [](RawImage& r) { putU32(r.fatEntry(start(r, u"Big")), start(r, u"Big")); }},
    {"stream chain out of range",
     [](RawImage& r) { putU32(r.fatEntry(start(r, u"Big")), 0x00FFFFFF); }},
    {"two streams share sectors",
     [](RawImage& r) { putU32(e(r, u"Big2") + dir::START, start(r, u"Big")); }},
    {"stream runs through the FAT", [](RawImage& r) { putU32(e(r, u"Big") + dir::START, 0); }},
    {"mini chain out of range", [](RawImage& r) { putU32(e(r, u"Small") + dir::START, 1000); }},
    {"mini chain loops",
     [](RawImage& r) { putU32(r.miniFatEntry(start(r, u"Small")), start(r, u"Small")); }},
    {"two small streams share mini sectors",
     [](RawImage& r) { putU32(e(r, u"Small") + dir::START, start(r, u"Small2")); }},
    {"mini stream larger than the file",
     [](RawImage& r) { putU32(rootEntry(r) + dir::SIZE, 0x7FFFFFF0); }},
    {"small streams but no mini stream",
     [](RawImage& r) {
         putU32(rootEntry(r) + dir::START, END_OF_CHAIN);
         putU32(rootEntry(r) + dir::SIZE, 0);
     }},
    {"mini FAT chain loops",
     [](RawImage& r) {
         const uint32_t mf = r.header(hdr::FIRST_MINI_FAT);
         putU32(r.fatEntry(mf), mf);
     }},
};

TEST(CompoundHostile, EachDamagedStructureIsRefused) {
    const std::vector<uint8_t> good = imageOf(baseTree());
    ASSERT_TRUE(CompoundFile::openBytes(good).ok());
    for (const Damage& d : damages) {
        RawImage raw{good, 512};
        d.apply(raw);
        auto file = CompoundFile::openBytes(raw.bytes);
        ASSERT_FALSE(file.ok()) << d.what;
        EXPECT_EQ(file.code(), CompoundErrorCode::Corrupt) << d.what;
        EXPECT_FALSE(file.error().message.empty()) << d.what;
    }
}

TEST(CompoundHostile, TooDeepNestingIsRefused) {
    // 64 nested storages is the most we create; turning the stream at the bottom into
    // a storage makes 65.
    std::string path;
    for (int i = 0; i < 64; ++i) path += "n/";
    auto image = imageOf({{path + "leaf", false, {}}});
    ASSERT_TRUE(CompoundFile::openBytes(image).ok());
    RawImage raw{image, 512};
    entryNamed(raw, u"leaf")[dir::TYPE] = 1;
    auto file = CompoundFile::openBytes(raw.bytes);
    EXPECT_EQ(file.code(), CompoundErrorCode::Corrupt);
}

TEST(CompoundHostile, LoopingDifatIsRefused) {
    RawImage raw{imageOf({{"Big", false, testing::patternBytes(7'500'000, 1)}}), 512};
    ASSERT_EQ(raw.header(hdr::DIFAT_SECTORS), 1u);
    const uint32_t difat = raw.header(hdr::FIRST_DIFAT);
    // Claim more FAT sectors than one DIFAT sector lists and point it at itself.
    putU32(raw.at(hdr::FAT_SECTORS), HEADER_DIFAT_ENTRIES + 127 + 1);
    putU32(raw.at(hdr::DIFAT_SECTORS), 2);
    putU32(const_cast<uint8_t*>(raw.sector(difat)) + 127 * 4, difat);
    EXPECT_EQ(CompoundFile::openBytes(raw.bytes).code(), CompoundErrorCode::Corrupt);
}

TEST(CompoundHostile, TolerantOfWhatOtherWritersLeave) {
    const std::vector<uint8_t> good = imageOf(baseTree());
    struct Variation {
        const char* what;
        std::function<void(RawImage&)> apply;
    } variations[] = {
        // Version-3 files may hold garbage in the high half of a stream size.
        {"high size bits", [](RawImage& r) { putU32(e(r, u"Big") + dir::SIZE + 4, 0xDEADBEEF); }},
        // A last sector cut short reads as zeros.
        {"short last sector", [](RawImage& r) { r.bytes.resize(r.bytes.size() - 100); }},
        {"other minor version", [](RawImage& r) { putU16(r.at(hdr::VERSION_MINOR), 0x3B); }},
        // Empty streams may name any start sector.
        {"empty stream start",
         [](RawImage& r) {
             putU32(e(r, u"Inner") + dir::SIZE, 0);
             putU32(e(r, u"Inner") + dir::START, 0x12345);
         }},
    };
    for (const auto& v : variations) {
        RawImage raw{good, 512};
        v.apply(raw);
        auto file = CompoundFile::openBytes(raw.bytes);
        ASSERT_TRUE(file.ok()) << v.what << ": " << file.error().message;
        EXPECT_EQ(file->root().openStream("Big")->size(), 5000u) << v.what;
    }
}

TEST(CompoundHostile, MutatedImagesKeepTheReaderProperty) {
    const std::vector<uint8_t> good = imageOf(baseTree());
    std::mt19937 rng(20261211);
    int accepted = 0;
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = good;
        const int edits = 1 + static_cast<int>(rng() % 6);
        for (int k = 0; k < edits; ++k) {
            // Mostly hit the header, FAT and directory, where the structure lives.
            const size_t limit =
                (rng() % 4 == 0) ? bytes.size() : std::min<size_t>(bytes.size(), 2048);
            const size_t pos = rng() % limit;
            bytes[pos] = (rng() % 3 == 0) ? static_cast<uint8_t>(rng())
                                          : static_cast<uint8_t>(bytes[pos] ^ (1u << (rng() % 8)));
        }
        if (rng() % 10 == 0) bytes.resize(rng() % bytes.size());
        bool ok = false;
        const std::string broken = compound_check::checkImage(bytes, &ok);
        ASSERT_TRUE(broken.empty()) << "round " << round << ": " << broken;
        accepted += ok;
    }
    // Both paths were exercised.
    EXPECT_GT(accepted, 100);
    EXPECT_LT(accepted, 3000);
}

}  // namespace
}  // namespace j4::platform
