// The Mixer renders Cues 37 times a frame: rendering and the effect hooks must not
// allocate. The engine's allocation counter (a replaced global operator new) counts.
#include <gtest/gtest.h>

#include "common/testing/allocation_counter.h"
#include "show/cue.h"
#include "show/device_store.h"
#include "show/effect_shape.h"
#include "show/paged_mode_control.h"
#include "show/position_control.h"
#include "show/select_control.h"
#include "show_test_fixtures.h"

namespace j4::show {
namespace {

TEST(RenderAllocation, CueRenderAndEffectHooksAllocateNothing) {
    Template tpl = testing::headTemplate();
    ControlList controls;
    ASSERT_TRUE(cloneControls(tpl.controls(), controls));
    auto mode = std::make_unique<PagedModeControl>();
    mode->setChannelOffset(3);
    std::vector<ModePage> pages(1);
    pages[0].modeValue = 5;
    auto select = std::make_unique<SelectControl>();
    select->setChannelOffset(4);
    pages[0].controls.push_back(std::move(select));
    mode->setPages(std::move(pages));
    controls.push_back(std::move(mode));
    tpl.setControls(std::move(controls));

    DeviceStore devices;
    Cue cue(1);
    for (int i = 0; i < 100; ++i) {
        ASSERT_GE(devices.create(tpl, "D", i * 5), 0);
        cue.addDevice(devices.at(i));
    }
    cue.values().fill(5);
    EffectShape shape;
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(cue.addEffectEntry(devices.at(i)->controls()[1].get(), &shape));

    common::RenderBuffer buffer;
    common::DmxFrame frame{};
    long allocations = 0;
    {
        common::testing::CountAllocations count;
        for (int tick = 1; tick <= 3; ++tick) {
            buffer.clear();
            for (int layer = 0; layer < 37; ++layer) cue.render(buffer, 4096 + layer, 4000);
            for (const EffectEntry& e : cue.effects()) e.control->effectAdvance(e.settings, 8192);
            for (const EffectEntry& e : cue.effects())
                e.control->effectApply(frame, e.settings, *e.shape, 8192);
            for (const EffectEntry& e : cue.effects()) e.control->effectTick(tick);
            cue.values()[7] = static_cast<uint8_t>(tick);
        }
        allocations = count.count();
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_NE(buffer.values[4], 0);
}

}  // namespace
}  // namespace j4::show
