// Patch rules: overlap, series insertion, moving and deleting Devices, and the channel
// counts published to the outputs.
#include <gtest/gtest.h>

#include "show/cue_store.h"
#include "show/device_store.h"
#include "show/effect_shape.h"
#include "show/paged_mode_control.h"
#include "show_test_fixtures.h"

namespace j4::show {
namespace {

using testing::faderTemplate;

class RecordingListener : public common::SendLengthListener {
  public:
    void setSendLength(int universe, int highestChannel) override {
        calls.emplace_back(universe, highestChannel);
    }
    std::vector<std::pair<int, int>> calls;
};

TEST(DeviceOverlap, RuleAgainstOneDevice) {
    DeviceStore store;
    const Template tpl = faderTemplate("Par", 16);
    ASSERT_EQ(store.create(tpl, "A", 0), 0);
    struct Case {
        int32_t first, last;
        bool overlaps;
    } cases[] = {{16, 31, false}, {15, 20, true}, {0, 0, true}, {8, 15, true}};
    for (const Case& c : cases)
        EXPECT_EQ(store.overlaps(c.first, c.last), c.overlaps) << c.first << ".." << c.last;
    EXPECT_FALSE(store.overlaps(0, 15, store.at(0))) << "a Device does not overlap itself";
}

TEST(DeviceSeries, ChecksAndNames) {
    DeviceStore store;
    const Template twenty = faderTemplate("Wash", 20);
    const Template empty = faderTemplate("Nothing", 0);
    ASSERT_EQ(store.create(twenty, "Blocker", 600), 0);
    struct Case {
        const char* what;
        const Template* tpl;
        int count;
        int32_t address;
        MessageId expected;
    } cases[] = {
        {"template without channels", &empty, 1, 0, MessageId::TemplateWithoutChannels},
        {"4 x 20 at channel 450 crosses the universe", &twenty, 4, 449,
         MessageId::UniverseBoundary},
        {"overlap wins over the boundary", &twenty, 30, 590, MessageId::DeviceOverlap},
        {"overlap", &twenty, 1, 610, MessageId::DeviceOverlap},
        {"exactly fills to channel 512", &twenty, 3, 452, MessageId::None},
    };
    for (const Case& c : cases)
        EXPECT_EQ(store.checkSeries(*c.tpl, c.count, c.address), c.expected) << c.what;

    RecordingListener listener;
    store.addSendLengthListener(&listener);
    ASSERT_EQ(store.insertSeries(twenty, 3, 452, 7), MessageId::None);
    ASSERT_EQ(store.count(), 4);
    EXPECT_EQ(store.at(1)->name(), "Wash 007");
    EXPECT_EQ(store.at(3)->name(), "Wash 009");
    EXPECT_EQ(store.at(3)->baseAddress(), 492);
    EXPECT_EQ(store.at(3)->span(), 20);
    ASSERT_EQ(listener.calls.size(), 16u);
    EXPECT_EQ(listener.calls[0], std::make_pair(1, 512));
    EXPECT_EQ(listener.calls[1], std::make_pair(2, 108));  // 600 + 20 -> channel 108 of 2
    EXPECT_EQ(listener.calls[2], std::make_pair(3, 0));

    EXPECT_EQ(store.insertSeries(twenty, 4, common::channelIndex(3, 450)),
              MessageId::UniverseBoundary);
    EXPECT_EQ(store.count(), 4) << "a refused series creates nothing";
}

TEST(DeviceSeries, NextNumberContinuesExistingNames) {
    DeviceStore store;
    const Template tpl = faderTemplate("Par", 1);
    EXPECT_EQ(store.nextSeriesNumber("Par"), 1);
    for (const char* name : {"Par", "Par 003", "Par   12x", "Parcan 40", "Wash 99", "Par abc"})
        store.create(tpl, name, store.count());
    // "Par" itself is not longer than the prefix; "Parcan 40" continues it with no number.
    EXPECT_EQ(store.nextSeriesNumber("Par"), 13);
    EXPECT_EQ(store.nextSeriesNumber("Wash"), 100);
    EXPECT_EQ(store.nextSeriesNumber("Spot"), 1);
}

TEST(DeviceStore, ChannelCountsIncludeModeSubControlsButNotInactiveModeChannels) {
    Template tpl;
    ControlList controls;
    auto mode = std::make_unique<PagedModeControl>();
    mode->setActive(false);
    mode->setChannelOffset(30);
    std::vector<ModePage> pages(1);
    auto sub = std::make_unique<FaderControl>();
    sub->setChannelOffset(9);
    pages[0].controls.push_back(std::move(sub));
    mode->setPages(std::move(pages));
    controls.push_back(std::move(mode));
    tpl.setControls(std::move(controls));
    EXPECT_EQ(tpl.channelCount(), 10);

    DeviceStore store;
    ASSERT_EQ(store.create(tpl, "M", 512), 0);
    EXPECT_EQ(store.at(0)->span(), 10);
    const auto counts = store.channelCounts();
    EXPECT_EQ(counts[0], 0);
    EXPECT_EQ(counts[1], 10);
}

TEST(DeviceStore, RefusesDevicesPastTheLastChannel) {
    DeviceStore store;
    const Template tpl = faderTemplate("Par", 8);
    EXPECT_EQ(store.create(tpl, "late", 8190), -1);
    EXPECT_EQ(store.create(tpl, "last", 8184), 0);
    EXPECT_FALSE(store.at(0)->setBaseAddress(8185));
    EXPECT_EQ(store.at(0)->baseAddress(), 8184);
    CueStore cues;
    EXPECT_EQ(store.moveDevice(store.at(0), 8190, cues), MessageId::DeviceOverlap);
}

TEST(DeviceStore, MoveCarriesCueValuesAndOverlapsOnlyOthers) {
    DeviceStore store;
    CueStore cues;
    const Template tpl = faderTemplate("Par", 4);
    store.create(tpl, "A", 0);
    store.create(tpl, "B", 10);
    Device* a = store.at(0);
    Cue* cue = cues.create(1);
    cue->addDevice(a);
    for (int i = 0; i < 4; ++i) cue->values()[i] = static_cast<uint8_t>(10 + i);

    EXPECT_EQ(store.moveDevice(a, 8, cues), MessageId::DeviceOverlap);
    // One channel up overlaps only its own old range.
    ASSERT_EQ(store.moveDevice(a, 1, cues), MessageId::None);
    EXPECT_EQ(a->baseAddress(), 1);
    const std::vector<uint8_t> expected = {0, 10, 11, 12, 13, 0};
    EXPECT_EQ(std::vector<uint8_t>(cue->values().begin(), cue->values().begin() + 6), expected);
}

TEST(DeviceStore, DeleteRemovesDevicesFromCues) {
    DeviceStore store;
    CueStore cues;
    const Template tpl = testing::headTemplate();
    store.create(tpl, "H1", 0);
    store.create(tpl, "H2", 3);
    store.create(tpl, "H3", 6);
    Cue* cue = cues.create(5);
    cue->addDevice(store.at(0));
    cue->addDevice(store.at(2));
    cue->values().fill(7);
    EffectShape shape;
    ASSERT_TRUE(cue->addEffectEntry(store.at(2)->controls()[1].get(), &shape));

    EXPECT_FALSE(store.anyUsedInCues({1}, cues));
    EXPECT_TRUE(store.anyUsedInCues({1, 2}, cues));
    store.deleteDevices({2, 1}, cues);
    ASSERT_EQ(store.count(), 1);
    EXPECT_EQ(store.at(0)->name(), "H1");
    EXPECT_EQ(cue->devices().size(), 1u);
    EXPECT_TRUE(cue->effects().empty());
    EXPECT_EQ(cue->values()[5], 7) << "H2 was in no Cue";
    EXPECT_EQ(cue->values()[6], 0);
    EXPECT_EQ(cue->values()[8], 0);
    EXPECT_EQ(cue->values()[9], 7);
}

TEST(DeviceStore, LocatesControls) {
    DeviceStore store;
    const Template tpl = testing::headTemplate();
    store.create(tpl, "H1", 0);
    store.create(tpl, "H2", 3);
    const auto where = store.locateControl(store.at(1)->controls()[1].get());
    ASSERT_TRUE(where);
    EXPECT_EQ(where->device, 1);
    EXPECT_EQ(where->control, 1);
    EXPECT_FALSE(store.locateControl(tpl.controls()[0].get()));
}

}  // namespace
}  // namespace j4::show
