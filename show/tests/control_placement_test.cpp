// Controls keep their absolute channels ready for rendering. These cases change the
// base address, offsets, width or range in every order and check that a render and a
// movement effect land on the channels the current settings name, and that a moved
// Device renders at its new place.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "show/device.h"
#include "show/effect_shape.h"
#include "show/fader_control.h"
#include "show/paged_mode_control.h"
#include "show/position_control.h"
#include "show/select_control.h"

namespace j4::show {
namespace {

using common::FULL_LEVEL;

// Channels a single full-level render writes when every stored value is 200.
std::vector<int> renderedChannels(const Control& control) {
    common::DmxFrame values;
    values.fill(200);
    common::RenderBuffer buffer;
    control.render(values, buffer, FULL_LEVEL, FULL_LEVEL);
    std::vector<int> written;
    for (int c = 0; c < common::FRAME_CHANNELS; ++c)
        if (buffer.values[c] != 0) written.push_back(c);
    return written;
}

TEST(ControlPlacement, RenderFollowsEveryChangeOfPlace) {
    struct Case {
        const char* what;
        std::function<std::unique_ptr<Control>()> make;
        std::vector<int> expected;
    } cases[] = {
        {"fader: offset set after the base",
         [] {
             auto f = std::make_unique<FaderControl>();
             f->setBaseAddress(100);
             f->setChannelOffset(5);
             return f;
         },
         {105}},
        {"fader: base set after the offset",
         [] {
             auto f = std::make_unique<FaderControl>();
             f->setChannelOffset(5);
             f->setBaseAddress(100);
             return f;
         },
         {105}},
        {"fader: made 16-bit after placing",
         [] {
             auto f = std::make_unique<FaderControl>();
             f->setBaseAddress(100);
             f->setChannelOffset(5);
             f->setHighChannelOffset(2);
             f->setTwoChannels(true);
             f->setRange(0, 65535);
             return f;
         },
         {102, 105}},
        {"fader: pushed past the frame renders nothing",
         [] {
             auto f = std::make_unique<FaderControl>();
             f->setChannelOffset(5);
             f->setBaseAddress(8190);
             return f;
         },
         {}},
        {"fader: a range above 255 on one channel still limits to 255",
         [] {
             auto f = std::make_unique<FaderControl>();
             f->setRange(300, 400);
             f->setBaseAddress(7);
             return f;
         },
         {7}},
        {"select: offset and base in either order",
         [] {
             auto s = std::make_unique<SelectControl>();
             s->setBaseAddress(512);
             s->setChannelOffset(3);
             return s;
         },
         {515}},
        {"position: four channels switched on after placing",
         [] {
             auto p = std::make_unique<PositionControl>();
             p->setBaseAddress(20);
             p->setOffsets(0, 1, 2, 3);
             p->setFourChannels(true);
             return p;
         },
         {20, 21, 22, 23}},
        {"position: fine channel past the frame stops the render",
         [] {
             auto p = std::make_unique<PositionControl>();
             p->setOffsets(0, 9, 1, 2);
             p->setFourChannels(true);
             p->setBaseAddress(8184);
             return p;
         },
         {}},
        {"mode: its page's fader follows the mode's base",
         [] {
             auto m = std::make_unique<PagedModeControl>();
             std::vector<ModePage> pages(1);
             pages[0].modeValue = 200;
             auto f = std::make_unique<FaderControl>();
             f->setChannelOffset(4);
             pages[0].controls.push_back(std::move(f));
             m->setPages(std::move(pages));
             m->setBaseAddress(300);
             m->setChannelOffset(1);
             return m;
         },
         {301, 304}},
    };
    for (const Case& c : cases) {
        const auto control = c.make();
        EXPECT_EQ(renderedChannels(*control), c.expected) << c.what;
        // A copy renders where the original does.
        EXPECT_EQ(renderedChannels(*control->clone()), c.expected) << c.what << " (clone)";
    }
}

TEST(ControlPlacement, EffectFollowsTheBase) {
    EffectShape shape;
    shape.points.fill({1000, 0});
    PositionControl p;
    ASSERT_TRUE(p.setOffsets(0, 1, 2, 3));
    p.setFourChannels(true);
    p.setBaseAddress(40);
    common::DmxFrame frame{};
    const EffectSettings settings{1024, 15, 0, 0};
    p.effectApply(frame, settings, shape, FULL_LEVEL);
    EXPECT_EQ(frame[40] * 256 + frame[41], 1000);  // pan moved at the new place
    EXPECT_EQ(frame[0] + frame[1], 0);
}

TEST(ControlPlacement, MovedDeviceRendersAtItsNewAddress) {
    ControlList controls;
    auto fader = std::make_unique<FaderControl>();
    fader->setChannelOffset(1);
    controls.push_back(std::move(fader));
    auto select = std::make_unique<SelectControl>();
    select->setChannelOffset(0);
    controls.push_back(std::move(select));
    auto device = Device::fromParts({}, "D", 10, std::move(controls));
    ASSERT_TRUE(device);
    ASSERT_TRUE(device->setBaseAddress(600));

    common::DmxFrame values;
    values.fill(90);
    common::RenderBuffer buffer;
    device->render(values, buffer, FULL_LEVEL, FULL_LEVEL);
    std::vector<int> written;
    for (int c = 0; c < common::FRAME_CHANNELS; ++c)
        if (buffer.values[c] != 0) written.push_back(c);
    EXPECT_EQ(written, (std::vector<int>{600, 601}));
}

TEST(ControlPlacement, DeviceRendersControlsAsChangedAfterItWasMade) {
    ControlList controls;
    controls.push_back(std::make_unique<FaderControl>());
    auto select = std::make_unique<SelectControl>();
    select->setChannelOffset(5);
    controls.push_back(std::move(select));
    auto position = std::make_unique<PositionControl>();
    position->setOffsets(6, 0, 7, 0);
    controls.push_back(std::move(position));
    auto device = Device::fromParts({}, "D", 100, std::move(controls));
    ASSERT_TRUE(device);
    common::DmxFrame values;
    values.fill(90);
    auto rendered = [&] {
        common::RenderBuffer buffer;
        device->render(values, buffer, FULL_LEVEL, 4096);
        return buffer;
    };
    EXPECT_EQ(rendered().values[100], 45);  // the fader at half grand master

    auto* fader = static_cast<FaderControl*>(device->controls()[0].get());
    fader->setGrandMasterControlled(false);
    fader->setChannelOffset(3);
    ASSERT_TRUE(static_cast<SelectControl*>(device->controls()[1].get())->setChannelOffset(8));
    ASSERT_TRUE(
        static_cast<PositionControl*>(device->controls()[2].get())->setOffsets(10, 0, 11, 0));
    auto buffer = rendered();
    const std::vector<int> written{103, 108, 110, 111};
    for (int c = 100; c < 112; ++c) {
        const bool expected = std::find(written.begin(), written.end(), c) != written.end();
        EXPECT_EQ(buffer.values[c], expected ? 90 : 0) << "channel " << c;
    }

    fader->setReverse(true);
    EXPECT_EQ(rendered().values[103], 255 - 90);
}

}  // namespace
}  // namespace j4::show
