// Cues and the CueStore: ordering, numbers, duplication, deletion with layer fallback,
// rendering of listed Devices only, effect entries, concurrent lookups.
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "show/cue_store.h"
#include "show/device_store.h"
#include "show/effect_shape.h"
#include "show_test_fixtures.h"

namespace j4::show {
namespace {

using common::FULL_LEVEL;

void fill(CueStore& store, std::initializer_list<int> numbers) {
    // Filled out of order: the store keeps them sorted.
    for (auto it = std::rbegin(numbers); it != std::rend(numbers); ++it) store.create(*it);
}

TEST(CueStore, FindsInOrderAndFallsBackToTheNoneCue) {
    CueStore store;
    for (int n : {5, 1, 3}) ASSERT_TRUE(store.create(n));
    EXPECT_EQ(store.numbers(), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(store.find(3)->number(), 3);
    EXPECT_EQ(store.find(4), store.noneCue());
    EXPECT_EQ(store.find(0), store.noneCue());
    EXPECT_EQ(store.indexOf(5), 2);
    EXPECT_EQ(store.indexOf(4), -1);
    EXPECT_FALSE(store.create(3)) << "taken";
    EXPECT_FALSE(store.create(0));
    EXPECT_FALSE(store.create(1'000'001));
    EXPECT_TRUE(store.validNewNumber(1'000'000));
    EXPECT_FALSE(store.validNewNumber(5));
}

TEST(CueStore, NextFreeNumber) {
    struct Case {
        std::vector<int> cues;
        int from;
        int expected;
    } cases[] = {
        {{}, 0, 1},
        {{1, 2, 5}, 0, 3},
        {{1, 2, 5}, 5, 6},
        {{1, 2, 5}, 2, 3},
        {{3, 4}, 0, 1},
        {{1, 2, 3}, 0, 4},
        {{1, 2, 5, 6, 9}, 7, 8},  // a number without a Cue: the first gap above it
        {{1, 999'999, 1'000'000}, 999'999, 2},
        {{2, 1'000'000}, 1'000'000, 1},
    };
    for (const Case& c : cases) {
        CueStore store;
        for (int n : c.cues) store.create(n);
        EXPECT_EQ(store.nextFreeNumber(c.from), c.expected)
            << "from " << c.from << " with " << c.cues.size() << " Cues";
    }
}

TEST(CueStore, DuplicateIsIndependent) {
    CueStore store;
    Cue* original = store.create(1);
    original->setName("Warm");
    original->values()[10] = 99;
    Cue* copy = store.duplicate(1, 2);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->name(), "Warm");
    copy->values()[10] = 1;
    EXPECT_EQ(store.find(1)->values()[10], 99);
    EXPECT_FALSE(store.duplicate(7, 3)) << "no source";
    EXPECT_FALSE(store.duplicate(1, 2)) << "number taken";
}

class RecordingMixer : public CueDeletionListener {
  public:
    explicit RecordingMixer(CueStore& store) : store_(store) {}
    void cueDeleted(const Cue* cue) override {
        // By the time a layer lets go, no lookup finds the Cue any more.
        EXPECT_EQ(store_.find(cue->number()), store_.noneCue());
        deleted.push_back(cue->number());
    }
    std::vector<int> deleted;

  private:
    CueStore& store_;
};

TEST(CueStore, DeleteRangeTellsTheListenerAndClosesUp) {
    CueStore store;
    fill(store, {1, 2, 3, 4, 5});
    RecordingMixer mixer(store);
    store.addDeletionListener(&mixer);
    store.deleteRange(1, 2);
    EXPECT_EQ(mixer.deleted, (std::vector<int>{2, 3}));
    EXPECT_EQ(store.numbers(), (std::vector<int>{1, 4, 5}));
    store.deleteRange(2, 100);  // clipped to the list
    store.deleteRange(-1, 2);   // only index 0 lies inside
    EXPECT_EQ(store.numbers(), (std::vector<int>{4}));
    store.clear();
    EXPECT_EQ(store.count(), 0);
    EXPECT_EQ(mixer.deleted, (std::vector<int>{2, 3, 5, 1, 4}));
}

TEST(CueRender, OnlyListedDevicesRender) {
    DeviceStore devices;
    const Template tpl = testing::faderTemplate("Dim", 1);
    devices.create(tpl, "A", 0);
    devices.create(tpl, "B", 1);
    Cue cue(1);
    cue.addDevice(devices.at(0));
    EXPECT_FALSE(cue.addDevice(devices.at(0))) << "each Device once";
    cue.values()[0] = 50;
    cue.values()[1] = 200;  // belongs to B, which is not in the Cue
    common::RenderBuffer buffer;
    cue.render(buffer, FULL_LEVEL, FULL_LEVEL);
    EXPECT_EQ(buffer.values[0], 50);
    EXPECT_EQ(buffer.values[1], 0);
}

TEST(CueEffects, EntriesNeedAPositionControlOfAListedDevice) {
    DeviceStore devices;
    const Template head = testing::headTemplate();
    devices.create(head, "H1", 0);
    devices.create(head, "H2", 3);
    Cue cue(1);
    cue.addDevice(devices.at(0));
    EffectShape shape;
    Control* dimmer = devices.at(0)->controls()[0].get();
    Control* position = devices.at(0)->controls()[1].get();
    Control* otherPosition = devices.at(1)->controls()[1].get();

    EXPECT_FALSE(cue.addEffectEntry(dimmer, &shape)) << "not a position control";
    EXPECT_FALSE(cue.addEffectEntry(otherPosition, &shape)) << "Device not in the Cue";
    EXPECT_FALSE(cue.addEffectEntry(position, nullptr)) << "no shape";
    EXPECT_FALSE(cue.addEffectEntry(position, &shape, {2000, 15, 0, 0})) << "gain out of range";
    ASSERT_TRUE(cue.addEffectEntry(position, &shape));
    EXPECT_FALSE(cue.addEffectEntry(position, &shape)) << "one entry per control";
    const EffectEntry* entry = cue.effectEntryOf(position);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->settings, (EffectSettings{102, 15, 0, 0}));

    auto copy = cue.duplicate(2);
    EXPECT_EQ(copy->effects().size(), 1u);
    EXPECT_TRUE(cue.removeEffectEntry(position));
    EXPECT_FALSE(cue.effectEntryOf(position));
    EXPECT_EQ(copy->effects().size(), 1u);
}

// The deletion protocol: another thread looks a Cue up and uses it under the mixer
// lock; the Mixer's listener takes the same lock, so a Cue is never destroyed while a
// lookup that found it is still using it.
class LockingMixer : public CueDeletionListener {
  public:
    void cueDeleted(const Cue*) override { std::lock_guard lock(mixerLock); }
    std::mutex mixerLock;
};

TEST(CueStore, LookupsFromAnotherThreadSeeAConsistentList) {
    CueStore store;
    LockingMixer mixer;
    store.addDeletionListener(&mixer);
    store.create(1);
    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    std::thread reader([&] {
        while (!stop) {
            {
                std::lock_guard lock(mixer.mixerLock);
                // Cue 1 is always there; 501 comes and goes.
                if (store.find(1)->number() != 1) ++bad;
                const Cue* c = store.find(501);
                if (c != store.noneCue() && c->number() != 501) ++bad;
            }
            std::this_thread::yield();
        }
    });
    for (int round = 0; round < 40; ++round) {
        for (int n = 2; n < 1000; n += 7) store.create(n);
        store.create(501);
        store.deleteRange(1, store.count() - 1);
    }
    stop = true;
    reader.join();
    EXPECT_EQ(bad, 0);
    EXPECT_EQ(store.numbers(), (std::vector<int>{1}));
}

}  // namespace
}  // namespace j4::show
