// The engine thread ticking while the user interface, DMX input and automation threads
// change layers, Events and presets: run under -DJ4_SANITIZE=thread this shows that the
// lock order holds and nothing is read unguarded. No timing is asserted.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "engine/engine.h"
#include "engine/manual_clock.h"
#include "engine/tests/show_rig.h"

namespace j4::engine {
namespace {

using testing::ShowRig;

TEST(EngineThreads, TickWhileOtherThreadsEdit) {
    ShowRig rig;
    show::Device* head = rig.position(0);
    show::Device* dimmer = rig.fader(2);
    for (int n = 1; n <= 8; ++n) {
        show::Cue* c = rig.cue(n, {head, dimmer}, {{0, 0x40}, {1, 0x40}, {2, 200}});
        c->addEffectEntry(ShowRig::positionOf(head), rig.ramp());
    }
    ManualClock clock;
    Engine engine(clock, rig.cues);
    ASSERT_TRUE(engine.initialise());
    EventList& list = *engine.eventLists().list(0);
    for (int i = 1; i <= 50; ++i) {
        Event e;
        e.time = i * 200;
        e.cue = i % 8 + 1;
        e.fadeIn = 150;
        list.insertEvent(e);
    }
    ASSERT_TRUE(engine.eventLists().resetPlayback());
    ASSERT_TRUE(engine.eventLists().record(0));

    constexpr int TICKS = 600;
    std::atomic<bool> done{false};
    std::thread engineThread([&] {
        for (int i = 0; i < TICKS; ++i) {
            clock.advanceFrame();
            engine.tick();
        }
        done = true;
    });
    std::thread input([&] {
        for (int i = 0; !done; ++i) {
            const int s = i % 24 + 1;
            engine.live().assignSubmasterCue(s, i % 8 + 1);
            engine.live().setSubmasterLevel(s, i % 2 ? common::FULL_LEVEL : 0);
            if (i % 50 == 0) engine.live().loadPreset(i % 24 + 1);
        }
    });
    std::thread automation([&] {
        for (int i = 0; !done; ++i) {
            engine.live().savePreset(i % 24 + 1);
            engine.live().setXLevel(i % 8192);
            engine.eventLists().reevaluateStop();
            engine.mixer().pollChanges();
        }
    });
    // The user interface: edits under the locks the operations take themselves.
    for (int i = 0; !done; ++i) {
        if (list.eventCount() > 30) list.deleteEvents(list.eventCount() - 2, list.eventCount() - 1);
        Event e;
        e.time = 5000 + (i % 400) * 33;
        e.cue = 3;
        list.insertEvent(e);
        if (i % 20 == 0) {
            show::Cue snap(0);
            engine.mixer().snapshot(snap);
        }
    }
    engineThread.join();
    input.join();
    automation.join();
    EXPECT_EQ(engine.mixer().tickCounter(), TICKS);
}

}  // namespace
}  // namespace j4::engine
