// Control records: what save() writes load() reads back, and hostile records are
// refused without changing the control.
#include <gtest/gtest.h>

#include "show/control_record.h"
#include "show/fader_control.h"
#include "show/paged_mode_control.h"
#include "show/position_control.h"
#include "show/select_control.h"

namespace j4::show {
namespace {

std::vector<uint8_t> recordOf(const Control& control) {
    common::ByteWriter out;
    saveControlWithKind(out, control);
    return out.take();
}

std::unique_ptr<Control> readRecord(const std::vector<uint8_t>& bytes,
                                    std::string* error = nullptr) {
    common::ByteReader in(bytes);
    auto control = loadControlWithKind(in);
    if (error) *error = in.error();
    return control;
}

std::unique_ptr<PagedModeControl> sampleMode() {
    auto mode = std::make_unique<PagedModeControl>();
    mode->setName("Wheel");
    mode->setLayout({1, 2, 3, 4});
    mode->setChannelOffset(5);
    std::vector<ModePage> pages(2);
    pages[0].modeValue = 10;
    pages[0].rangeLow = 0;
    pages[0].rangeHigh = 127;
    pages[0].tabText = "Colour";
    auto select = std::make_unique<SelectControl>();
    select->setChannelOffset(6);
    select->setItems({{0, "Open"}, {16, "Red"}, {32, "Blau \xC3\xBC"}});
    pages[0].controls.push_back(std::move(select));
    pages[1].modeValue = 200;
    pages[1].rangeLow = 128;
    pages[1].rangeHigh = 255;
    pages[1].tabText = "Gobo";
    auto fader = std::make_unique<FaderControl>();
    fader->setTwoChannels(true);
    fader->setHighChannelOffset(7);
    fader->setChannelOffset(8);
    fader->setRange(100, 60000);
    fader->setReverse(true);
    fader->setGrandMasterControlled(false);
    pages[1].controls.push_back(std::move(fader));
    mode->setPages(std::move(pages));
    return mode;
}

TEST(ControlRecord, RoundTripsEveryKindByteForByte) {
    auto position = std::make_unique<PositionControl>();
    position->setFourChannels(true);
    position->setOffsets(0, 1, 2, 3);
    position->setPadStyle(false);
    position->setName("Pan/Tilt");
    std::vector<std::unique_ptr<Control>> controls;
    controls.push_back(sampleMode());
    controls.push_back(std::move(position));
    for (const auto& control : controls) {
        const auto bytes = recordOf(*control);
        const auto read = readRecord(bytes);
        ASSERT_TRUE(read) << static_cast<int>(control->kind());
        EXPECT_EQ(recordOf(*read), bytes);
    }
}

TEST(ControlRecord, FaderStoresMaximumBeforeMinimum) {
    FaderControl fader;
    fader.setRange(3, 200);
    common::ByteWriter out;
    fader.save(out);
    const auto& b = out.bytes();
    // rectangle (16) + empty name (4) + two-channels (4) + high (4) + channel (4)
    ASSERT_EQ(b.size(), 16u + 4 + 4 + 4 + 4 + 4 + 4 + 4 + 4);
    EXPECT_EQ(b[32], 200);
    EXPECT_EQ(b[36], 3);
}

// Builds a fader record with chosen values.
std::vector<uint8_t> faderRecord(int32_t high, int32_t channel, int32_t maximum, int32_t minimum,
                                 bool two = false) {
    common::ByteWriter out;
    out.int32(2);
    for (int i = 0; i < 4; ++i) out.int32(0);
    out.string("f");
    out.boolean(two);
    out.int32(high);
    out.int32(channel);
    out.int32(maximum);
    out.int32(minimum);
    out.boolean(false);
    out.boolean(true);
    return out.take();
}

std::vector<uint8_t> modeRecordNested(int depth) {
    // A mode control whose only page holds a mode control ... `depth` levels deep.
    common::ByteWriter out;
    out.int32(3);
    for (int i = 0; i < 4; ++i) out.int32(0);
    out.string("");
    out.int32(0);       // channel
    out.boolean(true);  // active
    if (depth == 0) {
        out.int32(0);  // no pages
        return out.take();
    }
    out.int32(1);  // one page
    out.uint8(1);
    out.uint8(0);
    out.uint8(255);
    out.string("");
    out.int32(1);  // one sub-control
    const auto inner = modeRecordNested(depth - 1);
    out.raw(inner);
    return out.take();
}

TEST(ControlRecord, RefusesHostileRecords) {
    common::ByteWriter kind4;
    kind4.int32(4);
    common::ByteWriter hugeItems;
    hugeItems.int32(1);
    for (int i = 0; i < 4; ++i) hugeItems.int32(0);
    hugeItems.string("");
    hugeItems.int32(0);
    hugeItems.int32(0x7FFFFFFF);  // items that are not there
    common::ByteWriter hugePages;
    hugePages.int32(3);
    for (int i = 0; i < 4; ++i) hugePages.int32(0);
    hugePages.string("");
    hugePages.int32(0);
    hugePages.boolean(true);
    hugePages.int32(50'000'000);
    common::ByteWriter badPosition;
    badPosition.int32(5);
    for (int i = 0; i < 4; ++i) badPosition.int32(0);
    badPosition.string("");
    badPosition.boolean(true);
    for (int32_t offset : {0, 9000, 2, 3}) badPosition.int32(offset);
    badPosition.boolean(true);

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"kind 4", kind4.take()},
        {"fader minimum above maximum", faderRecord(0, 0, 10, 200)},
        {"fader negative minimum", faderRecord(0, 0, 10, -1)},
        {"fader channel past 8191", faderRecord(0, 8192, 255, 0)},
        {"fader negative channel", faderRecord(0, -1, 255, 0)},
        {"16-bit fader high channel past 8191", faderRecord(9000, 0, 255, 0, true)},
        {"select item count beyond the bytes", hugeItems.take()},
        {"mode page count beyond the bytes", hugePages.take()},
        {"position fine channel past 8191", badPosition.take()},
        {"mode pages nested too deep", modeRecordNested(MAX_MODE_NESTING + 1)},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(readRecord(c.bytes, &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
    EXPECT_TRUE(readRecord(modeRecordNested(MAX_MODE_NESTING))) << "the deepest allowed nesting";
    // The unused high offset of a one-channel fader is not checked.
    EXPECT_TRUE(readRecord(faderRecord(9000, 0, 255, 0, false)));
}

TEST(ControlRecord, EveryTruncationFailsAndLeavesTheControlAsItWas) {
    const auto bytes = recordOf(*sampleMode());
    for (size_t size = 4; size < bytes.size(); ++size) {
        std::vector<uint8_t> cut(bytes.begin() + 4, bytes.begin() + static_cast<long>(size));
        PagedModeControl target;
        target.setName("before");
        common::ByteReader in(cut);
        EXPECT_FALSE(target.load(in)) << size;
        EXPECT_EQ(target.name(), "before");
        EXPECT_TRUE(target.pages().empty());
    }
}

TEST(ControlClone, DeepCopyIsIndependent) {
    auto mode = sampleMode();
    mode->setBaseAddress(40);
    auto copy = mode->clone();
    ASSERT_TRUE(copy);
    EXPECT_EQ(recordOf(*copy), recordOf(*mode));
    copy->setBaseAddress(100);
    std::vector<int32_t> original, copied;
    mode->collectChannels(original, true);
    copy->collectChannels(copied, true);
    EXPECT_EQ(original, (std::vector<int32_t>{45, 46, 48, 47}));
    EXPECT_EQ(copied, (std::vector<int32_t>{105, 106, 108, 107}));
}

}  // namespace
}  // namespace j4::show
