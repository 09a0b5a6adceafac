// Template and effect files: written through the compound-file layer, read back by
// our reader and by an independent one (python3-olefile) with the expected streams.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/compound/compound_file.h"
#include "show/control_record.h"
#include "show/effect_file.h"
#include "show/new_identity.h"
#include "show/paged_mode_control.h"
#include "show/select_control.h"
#include "show/template_file.h"
#include "show_test_fixtures.h"
#include "temp_folder.h"

namespace j4::show {
namespace {

using testing::TempFolder;

std::string hex(const std::vector<uint8_t>& bytes) {
    std::string out;
    char two[3];
    for (uint8_t b : bytes) {
        std::snprintf(two, sizeof two, "%02x", b);
        out += two;
    }
    return out;
}

// "name size sha-free hex" lines for every stream, as python3-olefile sees the file.
std::string olefileListing(const std::string& path) {
    const std::string command =
        "/usr/bin/python3 -c 'import sys, olefile\n"
        "ole = olefile.OleFileIO(sys.argv[1])\n"
        "for entry in sorted(ole.listdir()):\n"
        "    name = \"/\".join(entry)\n"
        "    print(name, ole.openstream(entry).read().hex())\n"
        "' '" +
        path + "' 2>&1";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

TEST(TemplateFile, RoundTripAndStreamLayoutSeenByOlefile) {
    TempFolder dir;
    ControlList controls;
    const Template head = testing::headTemplate();
    ASSERT_TRUE(cloneControls(head.controls(), controls));
    auto select = std::make_unique<SelectControl>();
    select->setChannelOffset(3);
    select->setItems({{0, "Open"}, {8, "Red"}});
    controls.push_back(std::move(select));

    TemplateHeader header;
    header.identity = newIdentity();
    header.controlCount = static_cast<int32_t>(controls.size());
    header.creatorId = 77;
    header.name = "Spot 575";
    const std::vector<uint8_t> logo = {0x89, 'P', 'N', 'G', 1, 2, 3};
    const std::string path = dir / "Spot 575.tpl";
    std::string error;
    ASSERT_TRUE(writeTemplateFile(path, header, controls, &logo, &error)) << error;

    TemplateHeader readHeader;
    ControlList readControls;
    ASSERT_TRUE(readTemplateFile(path, readHeader, readControls, &error)) << error;
    EXPECT_EQ(readHeader.identity, header.identity);
    EXPECT_EQ(readHeader.creatorId, 77);
    EXPECT_EQ(readHeader.name, "Spot 575");
    ASSERT_EQ(readControls.size(), 3u);
    EXPECT_TRUE(templateFileHasLogo(path));

    common::ByteWriter records;
    saveControlList(records, controls);
    const std::string expected = "Controls " + hex(records.bytes()) + "\n" + "Info " +
                                 hex(encodeTemplateInfo(header)) + "\n" + "Logo " + hex(logo) +
                                 "\n" + "TemplateJ4 05000000\n";
    EXPECT_EQ(olefileListing(path), expected);
}

TEST(TemplateFile, WrongVersionOrEmptyLogoIsRefused) {
    TempFolder dir;
    const std::string path = dir / "x.tpl";
    {
        auto file = platform::CompoundFile::create(path);
        ASSERT_TRUE(file);
        auto stream = file->root().createStream("TemplateJ4");
        ASSERT_TRUE(stream);
        const std::vector<uint8_t> six = {6, 0, 0, 0};
        ASSERT_TRUE(stream->writeAll(six));
        ASSERT_TRUE(file->commit());
    }
    TemplateHeader header;
    std::string error;
    EXPECT_FALSE(readTemplateHeader(path, header, &error));
    EXPECT_FALSE(readTemplateHeader(dir / "missing.tpl", header, &error));

    const std::vector<uint8_t> empty;
    EXPECT_FALSE(writeTemplateFile(dir / "y.tpl", header, {}, &empty, &error));
    EXPECT_FALSE(std::filesystem::exists(dir / "y.tpl"));
}

EffectShape circle() {
    EffectShape shape;
    shape.identity = newIdentity();
    shape.name = "Circle";
    for (int i = 0; i < EFFECT_POINTS; ++i)
        shape.points[i] = {static_cast<int16_t>(i), static_cast<int16_t>(-i)};
    return shape;
}

TEST(EffectFile, RoundTripAndStreamLayoutSeenByOlefile) {
    TempFolder dir;
    const EffectShape shape = circle();
    const std::string path = dir / "circle.eff";
    std::string error;
    ASSERT_TRUE(writeEffectFile(path, shape, &error)) << error;
    EffectShape read;
    ASSERT_TRUE(readEffectFile(path, read, &error)) << error;
    EXPECT_EQ(read.identity, shape.identity);
    EXPECT_EQ(read.name, "Circle");
    EXPECT_EQ(read.points, shape.points);

    const std::string listing = olefileListing(path);
    std::vector<uint8_t> info(shape.identity.bytes.begin(), shape.identity.bytes.end());
    // 3000 points, then "Circle" as 12 bytes of UTF-16.
    const uint8_t rest[] = {0xB8, 0x0B, 0x0C, 0x00, 0x00, 0x00, 'C', 0,   'i',
                            0,    'r',  0,    'c',  0,    'l',  0,   'e', 0};
    info.insert(info.end(), std::begin(rest), std::end(rest));
    EXPECT_NE(listing.find("EffectJ4 00010000\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("Info " + hex(info) + "\n"), std::string::npos) << listing;
    // Points: 3000 x {int16 x, int16 y}; point 1 is (1, -1).
    EXPECT_NE(listing.find("Points 00000000"
                           "0100ffff"
                           "0200feff"),
              std::string::npos);
    const auto pointsAt = listing.find("Points ");
    ASSERT_NE(pointsAt, std::string::npos);
    EXPECT_EQ(listing.find('\n', pointsAt) - pointsAt, 7u + 2 * 4 * EFFECT_POINTS);
}

TEST(EffectFile, ShapesOfAnotherPointCountAreRefused) {
    TempFolder dir;
    const std::string path = dir / "short.eff";
    ASSERT_TRUE(writeEffectFile(path, circle(), nullptr));
    {
        auto file = platform::CompoundFile::openReadWrite(path);
        ASSERT_TRUE(file);
        auto info = file->root().openStream("Info");
        ASSERT_TRUE(info);
        std::vector<uint8_t> bytes = info->readAll();
        bytes[16] = 0xB7;  // 2999 points
        ASSERT_TRUE(info->writeAll(bytes));
        ASSERT_TRUE(file->commit());
    }
    EffectShape shape;
    std::string error;
    EXPECT_FALSE(readEffectFile(path, shape, &error));
    EXPECT_NE(error.find("2999"), std::string::npos) << error;
}

}  // namespace
}  // namespace j4::show
