// Render rules of the four control kinds, merged layer by layer into one buffer.
#include <gtest/gtest.h>

#include "show/fader_control.h"
#include "show/paged_mode_control.h"
#include "show/position_control.h"
#include "show/select_control.h"

namespace j4::show {
namespace {

using common::FULL_LEVEL;

struct Layer {
    common::DmxFrame values{};
    common::Level level = FULL_LEVEL;
    common::Level grandMaster = FULL_LEVEL;
};

common::RenderBuffer renderLayers(const Control& control, const std::vector<Layer>& layers) {
    common::RenderBuffer buffer;
    for (const Layer& layer : layers)
        control.render(layer.values, buffer, layer.level, layer.grandMaster);
    return buffer;
}

Layer layerWith(std::initializer_list<std::pair<int, uint8_t>> values,
                common::Level level = FULL_LEVEL, common::Level grandMaster = FULL_LEVEL) {
    Layer layer;
    for (auto [channel, value] : values) layer.values[channel] = value;
    layer.level = level;
    layer.grandMaster = grandMaster;
    return layer;
}

TEST(SelectRender, FirstNonZeroLayerOwnsTheChannel) {
    SelectControl select;
    ASSERT_TRUE(select.setChannelOffset(3));
    select.setBaseAddress(512);
    const auto buffer = renderLayers(
        select, {layerWith({{515, 0}}), layerWith({{515, 40}}, 100), layerWith({{515, 90}})});
    EXPECT_EQ(buffer.values[515], 40);  // level plays no part; the later 90 is ignored
}

TEST(FaderRender, MergeRules) {
    struct Case {
        const char* what;
        int32_t minimum, maximum;
        bool reverse, grandMasterControlled;
        std::vector<Layer> layers;
        uint8_t expected;
    } cases[] = {
        {"full level passes the stored value", 0, 255, false, true, {layerWith({{0, 200}})}, 200},
        {"half level", 0, 255, false, true, {layerWith({{0, 255}}, 4096, 4096)}, 127},
        {"layers add up and clamp",
         0,
         255,
         false,
         true,
         {layerWith({{0, 200}}), layerWith({{0, 100}})},
         255},
        {"stored below the minimum lowers the result, then clamps",
         10,
         200,
         false,
         true,
         {layerWith({{0, 5}})},
         10},
        {"maximum limits", 10, 200, false, true, {layerWith({{0, 250}})}, 200},
        {"grand master scales a controlled fader",
         0,
         255,
         false,
         true,
         {layerWith({{0, 200}}, FULL_LEVEL, 4096)},
         100},
        {"grand master ignored when not controlled",
         0,
         255,
         false,
         false,
         {layerWith({{0, 200}}, FULL_LEVEL, 0)},
         200},
        {"reverse at full position outputs the minimum",
         0,
         255,
         true,
         true,
         {layerWith({{0, 255}})},
         0},
        {"reverse at zero outputs the maximum", 0, 255, true, true, {layerWith({{0, 0}})}, 255},
        {"two reverse layers at half take off their shares",
         0,
         255,
         true,
         true,
         {layerWith({{0, 255}}, 4096, 4096), layerWith({{0, 255}}, 4096, 4096)},
         1},
    };
    for (const Case& c : cases) {
        FaderControl fader;
        ASSERT_TRUE(fader.setRange(c.minimum, c.maximum));
        fader.setReverse(c.reverse);
        fader.setGrandMasterControlled(c.grandMasterControlled);
        EXPECT_EQ(renderLayers(fader, c.layers).values[0], c.expected) << c.what;
    }
}

TEST(FaderRender, SixteenBitPairOnSeparateChannels) {
    FaderControl fader;
    fader.setTwoChannels(true);
    ASSERT_TRUE(fader.setHighChannelOffset(4));
    ASSERT_TRUE(fader.setChannelOffset(1));
    ASSERT_TRUE(fader.setRange(0, 65535));
    fader.setBaseAddress(100);
    auto buffer = renderLayers(fader, {layerWith({{104, 0x12}, {101, 0x34}})});
    EXPECT_EQ(buffer.values[104], 0x12);
    EXPECT_EQ(buffer.values[101], 0x34);

    // Half level of 0x8000 is 0x4000: the low byte carries the exact half.
    buffer = renderLayers(fader, {layerWith({{104, 0x80}, {101, 0x01}}, 4096, 4096)});
    EXPECT_EQ(buffer.values[104], 0x40);
    EXPECT_EQ(buffer.values[101], 0x00);

    // A reverse 16-bit fader stores its position: output = max - position.
    fader.setReverse(true);
    buffer = renderLayers(fader, {layerWith({{104, 0x00}, {101, 0x10}})});
    EXPECT_EQ(buffer.values[104], 0xFF);
    EXPECT_EQ(buffer.values[101], 0xEF);
}

TEST(FaderRender, MaximumBeyondOneChannelDoesNotWrap) {
    FaderControl fader;
    ASSERT_TRUE(fader.setRange(0, 300));
    EXPECT_EQ(renderLayers(fader, {layerWith({{0, 255}}), layerWith({{0, 255}})}).values[0], 255);
}

TEST(FaderRange, MinimumAboveMaximumRefused) {
    FaderControl fader;
    EXPECT_FALSE(fader.setRange(200, 10));
    EXPECT_FALSE(fader.setRange(-1, 10));
    EXPECT_FALSE(fader.setRange(0, 70000));
    EXPECT_EQ(fader.minimum(), 0);
    EXPECT_EQ(fader.maximum(), 255);
}

TEST(FaderStoreFromOutput, ReverseTurnsOutputIntoPosition) {
    FaderControl fader;
    ASSERT_TRUE(fader.setRange(10, 200));
    common::DmxFrame values{};
    values[0] = 60;
    fader.storeFromOutput(values);
    EXPECT_EQ(values[0], 60);  // not reversed: unchanged
    fader.setReverse(true);
    fader.storeFromOutput(values);
    EXPECT_EQ(values[0], 150);  // 10 + 200 - 60
}

std::unique_ptr<FaderControl> faderAt(int32_t offset) {
    auto fader = std::make_unique<FaderControl>();
    fader->setChannelOffset(offset);
    return fader;
}

// Mode channel at offset 0; page A (value 10, range 0..49) drives offset 1, page B
// (value 50, range 50..99) drives offset 2.
PagedModeControl twoPageMode(bool active) {
    PagedModeControl mode;
    mode.setActive(active);
    std::vector<ModePage> pages(2);
    pages[0].modeValue = 10;
    pages[0].rangeLow = 0;
    pages[0].rangeHigh = 49;
    pages[0].controls.push_back(faderAt(1));
    pages[1].modeValue = 50;
    pages[1].rangeLow = 50;
    pages[1].rangeHigh = 99;
    pages[1].controls.push_back(faderAt(2));
    mode.setPages(std::move(pages));
    return mode;
}

TEST(ModeRender, ActiveWritesTheChannelAndRendersTheMatchingPage) {
    const PagedModeControl mode = twoPageMode(true);
    auto buffer = renderLayers(mode, {layerWith({{0, 50}, {1, 100}, {2, 200}})});
    EXPECT_EQ(buffer.values[0], 50);
    EXPECT_EQ(buffer.values[1], 0);
    EXPECT_EQ(buffer.values[2], 200);

    // No exact match: the value is written, no page renders.
    buffer = renderLayers(mode, {layerWith({{0, 20}, {1, 100}, {2, 200}})});
    EXPECT_EQ(buffer.values[0], 20);
    EXPECT_EQ(buffer.values[1], 0);
    EXPECT_EQ(buffer.values[2], 0);

    // An earlier layer owns the channel: the later layer's page is skipped entirely.
    buffer = renderLayers(mode, {layerWith({{0, 10}, {1, 30}}), layerWith({{0, 50}, {2, 200}})});
    EXPECT_EQ(buffer.values[0], 10);
    EXPECT_EQ(buffer.values[1], 30);
    EXPECT_EQ(buffer.values[2], 0);
}

TEST(ModeRender, MonitoringFollowsTheChannel) {
    const PagedModeControl mode = twoPageMode(false);
    // Stored value in page B's range, channel still 0: page B renders, channel untouched.
    auto buffer = renderLayers(mode, {layerWith({{0, 60}, {1, 100}, {2, 200}})});
    EXPECT_EQ(buffer.values[0], 0);
    EXPECT_EQ(buffer.values[1], 0);
    EXPECT_EQ(buffer.values[2], 200);

    // Stored value in no range: nothing.
    buffer = renderLayers(mode, {layerWith({{0, 150}, {1, 100}, {2, 200}})});
    EXPECT_EQ(buffer.values[2], 0);

    // Another control put 20 on the channel (page A): a layer whose stored value says
    // page B renders nothing, one that agrees renders.
    SelectControl owner;
    common::RenderBuffer merged;
    owner.render(layerWith({{0, 20}}).values, merged, FULL_LEVEL, FULL_LEVEL);
    mode.render(layerWith({{0, 60}, {2, 200}}).values, merged, FULL_LEVEL, FULL_LEVEL);
    EXPECT_EQ(merged.values[2], 0);
    mode.render(layerWith({{0, 30}, {1, 77}}).values, merged, FULL_LEVEL, FULL_LEVEL);
    EXPECT_EQ(merged.values[1], 77);
}

TEST(ModeRender, BaseAddressReachesSubControlsAndChannelsAreCollected) {
    PagedModeControl mode = twoPageMode(true);
    mode.setBaseAddress(1000);
    auto buffer = renderLayers(mode, {layerWith({{1000, 10}, {1001, 99}})});
    EXPECT_EQ(buffer.values[1001], 99);

    std::vector<int32_t> channels;
    mode.collectChannels(channels, true);
    EXPECT_EQ(channels, (std::vector<int32_t>{1000, 1001, 1002}));
    channels.clear();
    mode.collectChannels(channels, false);
    EXPECT_EQ(channels, (std::vector<int32_t>{1000}));
    mode.setActive(false);
    channels.clear();
    mode.collectChannels(channels, true);
    EXPECT_EQ(channels, (std::vector<int32_t>{1001, 1002}));
}

TEST(PositionRender, TwoAndFourChannels) {
    PositionControl position;
    ASSERT_TRUE(position.setOffsets(0, 1, 2, 3));
    auto buffer = renderLayers(position, {layerWith({{0, 0x80}, {2, 0xFF}})});
    EXPECT_EQ(buffer.values[0], 0x80);
    EXPECT_EQ(buffer.values[2], 0xFF);  // 0xFF00 + 128 stays below 0x10000
    buffer = renderLayers(position, {layerWith({{0, 0x80}}, 4096, 0)});
    EXPECT_EQ(buffer.values[0], 0x40);  // 0x4000 + 128; the grand master plays no part
    buffer = renderLayers(position, {layerWith({{0, 0xFF}}), layerWith({{0, 0xFF}})});
    EXPECT_EQ(buffer.values[0], 0xFF);  // limited to 65535

    position.setFourChannels(true);
    buffer = renderLayers(position, {layerWith({{0, 0x12}, {1, 0x34}, {2, 0x56}, {3, 0x78}})});
    EXPECT_EQ(buffer.values[0], 0x12);
    EXPECT_EQ(buffer.values[1], 0x34);
    EXPECT_EQ(buffer.values[2], 0x56);
    EXPECT_EQ(buffer.values[3], 0x78);
    buffer = renderLayers(position, {layerWith({{0, 0x80}, {1, 0x01}}, 4096)});
    EXPECT_EQ(buffer.values[0], 0x40);
    EXPECT_EQ(buffer.values[1], 0x00);
}

TEST(ControlRender, ChannelsPastTheFrameAreNeverWritten) {
    // A base address that pushes an offset past 8191 renders nothing instead of
    // writing outside the buffer.
    FaderControl fader;
    ASSERT_TRUE(fader.setChannelOffset(10));
    fader.setBaseAddress(8190);
    common::DmxFrame values{};
    values.fill(255);
    common::RenderBuffer buffer;
    fader.render(values, buffer, FULL_LEVEL, FULL_LEVEL);
    for (uint8_t v : buffer.values) ASSERT_EQ(v, 0);
}

}  // namespace
}  // namespace j4::show
