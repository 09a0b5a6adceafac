#include "engine/mixer.h"

#include <gtest/gtest.h>

#include "common/testing/allocation_counter.h"
#include "engine/tests/show_rig.h"

namespace j4::engine {
namespace {

using common::FULL_LEVEL;
using common::Level;
using testing::ShowRig;

struct RecordingSink final : common::FrameSink {
    std::vector<int>* order = nullptr;
    int id = 0;
    int calls = 0;
    int first = 0, length = 0;
    common::DmxFrame last{};
    int sendFrame(int firstChannel, int len, const uint8_t* bytes) override {
        ++calls;
        first = firstChannel;
        length = len;
        std::copy(bytes, bytes + common::FRAME_CHANNELS, last.begin());
        if (order) order->push_back(id);
        return 0;
    }
};

class MixerTest : public ::testing::Test {
  protected:
    ShowRig rig;
    EngineLock engineLock;
    Mixer mixer{rig.cues, engineLock};

    void SetUp() override {
        mixer.initialise();
        mixer.setGrandMaster(FULL_LEVEL);
        for (int x = common::FIRST_X_LAYER; x < common::FIRST_Y_LAYER; ++x)
            mixer.setLayerLevel(x, 0);
    }
    uint8_t out(int channel) const { return mixer.outputFrame()[channel]; }
};

TEST_F(MixerTest, MergeRulesAcrossLayers) {
    show::Device* sel = rig.select(0);
    show::Device* fad = rig.fader(10);
    show::Device* fadNoGm = rig.fader(11, 0, 255, false, false);
    show::Device* rev = rig.fader(12, 0, 255, true);
    show::Device* pos = rig.position(20);
    show::Device* mode = rig.mode(30);
    struct Layer {
        int layer;
        Level level;
        uint8_t value;  // stored on every channel the row reads
    };
    struct Row {
        const char* what;
        show::Device* device;
        int channel;
        Level grandMaster;
        std::vector<Layer> layers;
        uint8_t expected;
    };
    const Row rows[] = {
        {"nothing up", sel, 0, FULL_LEVEL, {{0, 0, 10}, {1, 0, 20}}, 0},
        {"select at level 1 beats nothing", sel, 0, FULL_LEVEL, {{0, 1, 10}}, 10},
        {"select: higher level first", sel, 0, FULL_LEVEL, {{0, 100, 10}, {1, 200, 20}}, 20},
        {"select: ties go to the higher layer",
         sel,
         0,
         FULL_LEVEL,
         {{3, 8192, 10}, {30, 8192, 20}},
         20},
        {"select: zero leaves it free", sel, 0, FULL_LEVEL, {{3, 8192, 0}, {2, 100, 7}}, 7},
        {"fader adds and clamps", fad, 10, FULL_LEVEL, {{0, 8192, 200}, {1, 8192, 100}}, 255},
        {"fader at half", fad, 10, FULL_LEVEL, {{0, 4096, 200}}, 100},
        {"fader under the grand master", fad, 10, 4096, {{0, 8192, 200}}, 100},
        {"fader not grand-master controlled", fadNoGm, 11, 4096, {{0, 8192, 200}}, 200},
        {"reverse fader subtracts", rev, 12, FULL_LEVEL, {{0, 4096, 255}, {1, 4096, 255}}, 1},
        {"position adds, no grand master", pos, 20, 0, {{0, 8192, 0x40}, {1, 8192, 0x20}}, 0x60},
        {"position at half rounds", pos, 20, FULL_LEVEL, {{0, 4096, 0x80}}, 0x40},
        {"active mode: first layer owns the page",
         mode,
         31,
         FULL_LEVEL,
         {{0, 8192, 1}, {1, 100, 2}},
         1},
    };
    common::CueNumber next = 1;
    for (const auto& r : rows) {
        mixer.clear();
        mixer.setGrandMaster(r.grandMaster);
        for (const auto& l : r.layers) {
            show::Cue* c = rig.cue(next, {r.device});
            c->values().fill(l.value);
            ASSERT_TRUE(mixer.setLayerCue(l.layer, next++));
            ASSERT_TRUE(mixer.setLayerLevel(l.layer, l.level));
        }
        mixer.run();
        EXPECT_EQ(out(r.channel), r.expected) << r.what;
    }
}

TEST_F(MixerTest, RendersOnlyWhenDirtyOrAlwaysRendering) {
    show::Device* d = rig.fader(0);
    show::Cue* c = rig.cue(1, {d}, {{0, 100}});
    mixer.setLayerCue(0, 1);
    mixer.setLayerLevel(0, FULL_LEVEL);
    mixer.run();
    EXPECT_EQ(out(0), 100);
    c->values()[0] = 50;  // edited in place: nothing marked
    mixer.run();
    EXPECT_EQ(out(0), 100);
    mixer.markDirty();
    mixer.run();
    EXPECT_EQ(out(0), 50);
    mixer.setAlwaysRender(true);
    c->values()[0] = 60;
    mixer.run();
    EXPECT_EQ(out(0), 60);
    EXPECT_EQ(mixer.tickCounter(), 4);
}

TEST_F(MixerTest, LayerOperationsRefuseIndexesOutOfRange) {
    for (int bad : {-1, common::LAYER_COUNT, 1000}) {
        EXPECT_FALSE(mixer.setLayerCue(bad, 1)) << bad;
        EXPECT_FALSE(mixer.setLayerLevel(bad, 10)) << bad;
        EXPECT_FALSE(mixer.layerLevel(bad)) << bad;
        EXPECT_FALSE(mixer.layerCueNumber(bad)) << bad;
    }
    const Level levels[3] = {1, 2, 3};
    EXPECT_FALSE(mixer.setSubmasterLevels(35, 3, levels, false, 0));
    EXPECT_FALSE(mixer.setSubmasterLevels(0, 3, levels, true, 37));
    for (int bad : {-1, common::PRESET_COUNT}) {
        EXPECT_FALSE(mixer.savePreset(bad));
        EXPECT_FALSE(mixer.loadPreset(bad));
        EXPECT_FALSE(mixer.preset(bad));
        EXPECT_FALSE(mixer.setPreset(bad, {}));
    }
    EXPECT_FALSE(mixer.pollChanges() && false);
}

TEST_F(MixerTest, MissingCuesPlayTheNoneCue) {
    show::Device* d = rig.fader(0);
    rig.cue(7, {d}, {{0, 200}});
    ASSERT_TRUE(mixer.setLayerCue(2, 5));
    EXPECT_EQ(*mixer.layerCueNumber(2), 0);
    mixer.setLayerCue(2, 7);
    mixer.setLayerCue(30, 7);
    mixer.setLayerLevel(2, FULL_LEVEL);
    mixer.run();
    EXPECT_EQ(out(0), 200);
    rig.cues.deleteRange(rig.cues.indexOf(7), 1);
    EXPECT_EQ(*mixer.layerCueNumber(2), 0);
    EXPECT_EQ(*mixer.layerCueNumber(30), 0);
    mixer.run();
    EXPECT_EQ(out(0), 0);
}

TEST_F(MixerTest, ChangeRecord) {
    mixer.pollChanges();
    EXPECT_FALSE(mixer.pollChanges());
    struct Row {
        std::function<void()> act;
        bool xy;
        uint32_t cues, levels;
    };
    const Row rows[] = {
        {[&] { mixer.setLayerLevel(3, 0); }, false, 0, 1u << 3},  // same value still counts
        {[&] { mixer.setLayerCue(23, 0); }, false, 1u << 23, 0},
        {[&] { mixer.setLayerLevel(30, 5); }, true, 0, 0},
        {[&] { mixer.setGrandMaster(5); }, false, 0, GRAND_MASTER_BIT},
        {[&] { mixer.loadPreset(0); }, false, ALL_SUBMASTER_BITS, 0},
        {[&] { mixer.replaceCue(0, nullptr); }, true, ALL_SUBMASTER_BITS, 0},
    };
    for (const auto& r : rows) {
        r.act();
        auto c = mixer.pollChanges();
        ASSERT_TRUE(c);
        EXPECT_EQ(c->xyChanged, r.xy);
        EXPECT_EQ(c->cueMask, r.cues);
        EXPECT_EQ(c->levelMask, r.levels);
    }
    mixer.setLayerLevel(25, 9);  // auxiliary layers and the spare are not reported
    mixer.setLayerCue(36, 1);
    EXPECT_FALSE(mixer.pollChanges());
}

TEST_F(MixerTest, OutputsGetTheFrameInRegistrationOrder) {
    std::vector<int> order;
    RecordingSink a, b, c;
    a.id = 1, b.id = 2, c.id = 3;
    a.order = b.order = c.order = &order;
    ASSERT_TRUE(mixer.addOutput(&b));
    ASSERT_TRUE(mixer.addOutput(&a));
    ASSERT_TRUE(mixer.addOutput(&c));
    EXPECT_FALSE(mixer.addOutput(&a));
    EXPECT_FALSE(mixer.addOutput(nullptr));
    show::Device* d = rig.fader(8191);
    rig.cue(1, {d}, {{8191, 77}});
    mixer.setLayerCue(0, 1);
    mixer.setLayerLevel(0, FULL_LEVEL);
    mixer.run();
    EXPECT_EQ(order, (std::vector<int>{2, 1, 3}));
    EXPECT_EQ(a.first, 1);
    EXPECT_EQ(a.length, common::FRAME_CHANNELS);
    EXPECT_EQ(a.last[8191], 77);
    ASSERT_TRUE(mixer.removeOutput(&a));
    mixer.run();
    EXPECT_EQ(a.calls, 1);
    EXPECT_EQ(b.calls, 2);
}

TEST_F(MixerTest, EffectsCombineSpeedsAndRotationsAcrossLayers) {
    show::Device* head = rig.position(100, true);
    show::PositionControl* pc = ShowRig::positionOf(head);
    const auto* ramp = rig.ramp();
    const auto* unit = rig.shape(1000, 0);
    struct Entry {
        int layer;
        Level level;
        int32_t speed, rotation, gain;
        const show::EffectShape* shape;
    };
    struct Row {
        const char* what;
        std::vector<Entry> entries;
        int runs;
        int32_t position;   // after the runs
        int32_t pan, tilt;  // 16-bit output of the last run (rendered at 0x8000)
    };
    const Row rows[] = {
        {"speeds add",
         {{0, FULL_LEVEL, 15, 0, 1024, ramp}, {1, FULL_LEVEL, 30, 0, 1024, ramp}},
         2,
         90,
         0x8000 + 2 * 45,
         0x8000},
        // At half level the head renders at 0x4000 and the gain halves: x = 30 -> +15.
        {"speed weighted by level", {{0, 4096, 30, 0, 1024, ramp}}, 3, 45, 0x4000 + 15, 0x4000},
        {"rotations add",
         {{0, FULL_LEVEL, 15, 450, 1024, unit}, {1, FULL_LEVEL, 15, 450, 0, unit}},
         1,
         30,
         0x8000 + 0,
         0x8000 + 1000},  // 90 degrees: x' = 0, y' = -1000
        {"gain 0 still advances", {{0, FULL_LEVEL, 20, 0, 0, unit}}, 2, 40, 0x8000, 0x8000},
    };
    common::CueNumber number = 1;
    for (const auto& r : rows) {
        mixer.clear();
        mixer.run();  // no effect runs: the next one starts from point 0
        for (const auto& e : r.entries) {
            show::Cue* c = rig.cue(number, {head}, {{100, 0x80}, {102, 0x80}});
            ASSERT_TRUE(c->addEffectEntry(pc, e.shape));
            auto* entry = c->effectEntryOf(pc);
            entry->settings.speed = e.speed;
            entry->settings.rotation = e.rotation;
            entry->settings.gain = e.gain;
            mixer.setLayerCue(e.layer, number++);
            mixer.setLayerLevel(e.layer, e.level);
        }
        // Position values are additive, so each row's first layer alone sets 0x8000.
        for (size_t i = 1; i < r.entries.size(); ++i)
            rig.cues.find(number - static_cast<int>(r.entries.size()) + static_cast<int>(i))
                ->values()
                .fill(0);
        mixer.markDirty();
        for (int i = 0; i < r.runs; ++i) mixer.run();
        const auto f = mixer.outputFrame();
        EXPECT_EQ(pc->effectState().position, r.position) << r.what;
        EXPECT_EQ(f[100] * 256 + f[101], r.pan) << r.what;
        EXPECT_EQ(f[102] * 256 + f[103], r.tilt) << r.what;
    }
}

TEST_F(MixerTest, EffectRestartsWhenItsLayerComesBackUp) {
    show::Device* head = rig.position(0);
    show::PositionControl* pc = ShowRig::positionOf(head);
    show::Cue* c = rig.cue(1, {head});
    ASSERT_TRUE(c->addEffectEntry(pc, rig.ramp()));
    mixer.setLayerCue(0, 1);
    mixer.setLayerLevel(0, FULL_LEVEL);
    for (int i = 0; i < 3; ++i) mixer.run();
    EXPECT_EQ(pc->effectState().position, 45);
    mixer.setLayerLevel(0, 0);
    mixer.run();
    EXPECT_EQ(pc->effectState().position, 45) << "level 0: the effect does nothing";
    mixer.setLayerLevel(0, FULL_LEVEL);
    mixer.run();
    EXPECT_EQ(pc->effectState().position, 15);
}

TEST_F(MixerTest, SnapshotStoresTheMovedOutputAndTheDevices) {
    show::Device* head = rig.position(0);
    show::Device* dimmer = rig.fader(10, 0, 255, true);
    show::Device* aux = rig.fader(20);
    show::Cue* c = rig.cue(1, {head, dimmer}, {{0, 0x80}, {1, 0x80}, {10, 55}});
    ASSERT_TRUE(c->addEffectEntry(ShowRig::positionOf(head), rig.shape(0x1000, 0)));
    c->effectEntryOf(ShowRig::positionOf(head))->settings.gain = 1024;
    rig.cue(2, {aux}, {{20, 9}});
    mixer.setLayerCue(0, 1);
    mixer.setLayerLevel(0, FULL_LEVEL);
    mixer.setLayerCue(24, 2);  // auxiliary layers add no Devices
    mixer.setLayerLevel(24, FULL_LEVEL);
    mixer.run();
    show::Cue snap(0);
    mixer.snapshot(snap);
    EXPECT_EQ(snap.values()[0], 0x90) << "pan moved by the effect";
    EXPECT_EQ(snap.values()[10], 55) << "reverse fader stored as its position";
    EXPECT_EQ(snap.values()[20], 9);
    EXPECT_EQ(snap.devices(), (std::vector<show::Device*>{head, dimmer}));
}

TEST_F(MixerTest, RunAllocatesNothing) {
    show::Device* head = rig.position(0, true);
    show::Device* sel = rig.select(10);
    show::Device* fad = rig.fader(11, 0, 65535, false, true, true);
    show::Device* mode = rig.mode(20);
    for (int n = 1; n <= common::LAYER_COUNT; ++n) {
        show::Cue* c = rig.cue(n, {head, sel, fad, mode}, {{0, 1}, {10, 2}, {11, 3}, {20, 1}});
        c->addEffectEntry(ShowRig::positionOf(head), rig.ramp());
        mixer.setLayerCue(n - 1, n);
        mixer.setLayerLevel(n - 1, n * 200);
    }
    RecordingSink sink;
    mixer.addOutput(&sink);
    mixer.run();
    common::testing::CountAllocations count;
    for (int i = 0; i < 10; ++i) {
        mixer.markDirty();
        mixer.run();
    }
    EXPECT_EQ(count.count(), 0);
}

}  // namespace
}  // namespace j4::engine
