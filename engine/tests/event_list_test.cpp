#include "engine/event_list.h"

#include <gtest/gtest.h>

#include "engine/event_lists.h"
#include "engine/manual_clock.h"
#include "engine/tests/recording_layers.h"

namespace j4::engine {
namespace {

using common::ClockMode;
using common::ClockReading;
using common::ClockState;
using common::ShowTime;
using common::TimeValue;
using testing::RecordingLayers;

Event ev(ShowTime time, common::CueNumber cue, int32_t fadeIn = 0, int32_t fadeOut = 0,
         bool stop = false) {
    Event e;
    e.time = time;
    e.cue = cue;
    e.fadeIn = fadeIn;
    e.fadeOut = fadeOut;
    e.stop = stop;
    return e;
}

class EventListTest : public ::testing::Test {
  protected:
    EngineLock engineLock;
    RecordingLayers layers;
    ManualClock clock;
    ShowChanges changes;
    EventLists lists{engineLock, layers, clock, changes};
    EventList& list0 = *lists.list(0);

    // A tick at a given time without the clock (the engine passes what it read).
    void tickAt(ShowTime t, ClockState state = ClockState::Playing,
                ClockMode mode = ClockMode::Internal) {
        lists.tick(ClockReading{t, mode, state, common::TimecodeStatus::None});
    }
    // Runs ticks every `step` ms from `from` to `to` inclusive, calling `check` at each.
    template <typename F>
    void run(ShowTime from, ShowTime to, ShowTime step, F check) {
        for (ShowTime t = from; t <= to; t += step) {
            tickAt(t);
            check(t);
        }
    }
    // One frame of the real clock followed by the engine's tick of the lists.
    void frame() {
        clock.advanceFrame();
        ClockReading r;
        ASSERT_TRUE(clock.read(r));
        lists.tick(r);
    }
    common::CueNumber currentCue(int k = 0) const {
        const EventList& l = *lists.list(k);
        return layers.cue[l.xCarriesCurrent() ? common::xLayer(k) : common::yLayer(k)];
    }
    void setEvent0Cue(common::CueNumber cue) {
        Event e = *list0.event(0);
        e.cue = cue;
        ASSERT_TRUE(list0.updateEvent(0, e));
    }
};

TEST_F(EventListTest, CrossFadeLevelsAtGivenTimes) {
    setEvent0Cue(1);
    ASSERT_EQ(list0.insertEvent(ev(10000, 2, 2000, 4000)), 1);
    struct Row {
        ShowTime t;
        common::Level cue2, cue1;
    };
    const Row rows[] = {
        {9000, -1, 8192},    {10000, 0, 8192},    {11000, 4096, 6144},
        {11500, 6144, 5120}, {12000, 8192, 4096}, {14000, 8192, 0},
    };
    size_t row = 0;
    run(0, 15000, 100, [&](ShowTime t) {
        if (row < std::size(rows) && rows[row].t == t) {
            EXPECT_EQ(layers.levelOf(2), rows[row].cue2) << "at " << t;
            EXPECT_EQ(layers.levelOf(1), rows[row].cue1) << "at " << t;
            ++row;
        }
    });
    EXPECT_EQ(row, std::size(rows));
}

TEST_F(EventListTest, JumpsRelocateAsIfTheEventStartedAtItsTime) {
    setEvent0Cue(1);
    list0.insertEvent(ev(10000, 2));
    list0.insertEvent(ev(15000, 3, 10000));
    tickAt(0);
    tickAt(5000);  // a jump of more than 500 ms also relocates
    EXPECT_EQ(currentCue(), 1);
    tickAt(20000);
    EXPECT_EQ(currentCue(), 3);
    EXPECT_EQ(layers.levelOf(3), 4096);  // half-way through its 10 s fade
    EXPECT_EQ(layers.levelOf(2), 0);     // the predecessor, no fade-out
    tickAt(12000);                       // backwards
    EXPECT_EQ(currentCue(), 2);
    EXPECT_EQ(layers.levelOf(1), 0);
}

TEST_F(EventListTest, OneEventCrossedPerTick) {
    list0.insertEvent(ev(1000, 5));
    list0.insertEvent(ev(1100, 6));
    tickAt(0);
    tickAt(900);
    tickAt(1100);  // passes both
    EXPECT_EQ(currentCue(), 5);
    EXPECT_EQ(list0.markers().next, 2);
    tickAt(1133);
    EXPECT_EQ(currentCue(), 6);
}

// Loop at 10 s (Cue 3), +2 s (Cue 4), end row +4 s, then an Event at 30 s (Cue 5).
TEST_F(EventListTest, LoopsRepeatAndExitBeforeTheNextEvent) {
    struct Row {
        int32_t memberFadeIn;
        ShowTime t;
        common::CueNumber current;
    };
    const Row rows[] = {
        {0, 9900, 0},
        {0, 10000, 3},
        {0, 12000, 4},
        {0, 14000, 3},
        {0, 16000, 4},
        {0, 26000, 3},
        {0, 28000, 4},
        {0, 29900, 4},
        {0, 30000, 5},
        {0, 40000, 5},
        // With a 2.5 s fade-in on Cue 4, its crossing at 28 s would not complete
        // before 30 s: that repetition is not started.
        {2500, 24000, 4},
        {2500, 26000, 3},
        {2500, 28000, 3},
        {2500, 30000, 5},
    };
    int32_t built = -1;
    size_t row = 0;
    while (row < std::size(rows)) {
        const int32_t fade = rows[row].memberFadeIn;
        if (fade != built) {
            list0.clear();
            list0.insertEvent(ev(10000, 3));
            list0.insertEvent(ev(12000, 4, fade));
            list0.insertEvent(ev(14000, 0));
            list0.insertEvent(ev(30000, 5));
            ASSERT_TRUE(list0.makeLoops(1, 3));
            ASSERT_EQ(list0.event(3)->role, EventRole::LoopEnd);
            ASSERT_EQ(list0.event(3)->time, 4000);
            built = fade;
            tickAt(0);
            ShowTime t = 0;
            while (t < 40000 && row < std::size(rows) && rows[row].memberFadeIn == fade) {
                t += 100;
                tickAt(t);
                if (rows[row].t == t) {
                    EXPECT_EQ(currentCue(), rows[row].current) << "fade " << fade << " at " << t;
                    ++row;
                }
            }
        }
    }
}

TEST_F(EventListTest, LocateInsideALoopFindsTheRepetition) {
    list0.insertEvent(ev(10000, 3));
    list0.insertEvent(ev(12000, 4, 1000));
    list0.insertEvent(ev(14000, 0));
    list0.insertEvent(ev(60000, 5));
    ASSERT_TRUE(list0.makeLoops(1, 3));
    tickAt(0);
    tickAt(20500);  // Cue 4's repetition that started at 20 s
    EXPECT_EQ(currentCue(), 4);
    EXPECT_EQ(layers.levelOf(4), 4096);
    EXPECT_EQ(layers.levelOf(3), 0);
    EXPECT_TRUE(list0.cursor().inLoop);
    EXPECT_EQ(list0.cursor().segmentEnd, 22000);
    tickAt(22500);
    EXPECT_EQ(currentCue(), 3);
}

TEST_F(EventListTest, StopFlagStopsTheClockWithoutCrossing) {
    list0.insertEvent(ev(55000, 2));
    list0.insertEvent(ev(60000, 3, 0, 0, true));
    list0.insertEvent(ev(70000, 4));
    ASSERT_TRUE(lists.play(50000));
    EXPECT_EQ(clock.stopTime(), 60000);
    ClockReading r;
    for (int i = 0; i < 400 && clock.read(r) && r.state != ClockState::Stopped; ++i) frame();
    ASSERT_EQ(r.state, ClockState::Stopped);
    EXPECT_GE(r.time, 60000);
    EXPECT_LT(r.time, 60000 + 34);
    frame();
    EXPECT_EQ(currentCue(), 2) << "the stop Event must not be crossed";
    // Play crosses it at once: the state change relocates with it as current.
    ASSERT_TRUE(lists.play());
    EXPECT_EQ(clock.stopTime(), common::NO_TIME);
    frame();
    EXPECT_EQ(currentCue(), 3);
    EXPECT_EQ(layers.levelOf(3), common::FULL_LEVEL);
}

TEST_F(EventListTest, StopSearchAcrossListsAndLoops) {
    EventList& list1 = *lists.list(1);
    list0.insertEvent(ev(80000, 2, 0, 0, true));
    list1.insertEvent(ev(70000, 2, 0, 0, true));
    EXPECT_EQ(lists.nextStop(0), 70000);
    list1.setEnabled(false);
    EXPECT_EQ(lists.nextStop(0), 80000);
    EXPECT_EQ(lists.nextStop(80000), common::NO_TIME);  // at its time: current, not ahead
    // A stop flag on a loop member stops at that member's next repetition.
    list0.clear();
    list0.insertEvent(ev(10000, 3));
    list0.insertEvent(ev(12000, 4, 0, 0, true));
    list0.insertEvent(ev(14000, 0));
    ASSERT_TRUE(list0.makeLoops(1, 3));
    EXPECT_EQ(lists.nextStop(0), 12000);
    EXPECT_EQ(lists.nextStop(12500), 16000);
}

TEST_F(EventListTest, StepModeFiresTheNextEventAndRunsOnlyForItsFade) {
    setEvent0Cue(1);
    list0.insertEvent(ev(5000, 2, 1000, 2000));
    list0.insertEvent(ev(6500, 3));
    EventList& list1 = *lists.list(1);
    list1.insertEvent(ev(1000, 9));
    ASSERT_TRUE(lists.resetPlayback());
    ASSERT_TRUE(clock.setMode(ClockMode::Step));
    frame();
    ASSERT_TRUE(lists.play());
    frame();
    EXPECT_EQ(currentCue(), 2);
    EXPECT_EQ(clock.stopTime(), 6500) << "the longer fade, cut at the next Event";
    ClockReading r;
    for (int i = 0; i < 200 && clock.read(r) && r.state != ClockState::Stopped; ++i) frame();
    frame();
    EXPECT_GE(r.time, 6500);
    EXPECT_EQ(layers.levelOf(2), common::FULL_LEVEL);
    EXPECT_EQ(layers.levelOf(1), 2048) << "its 2 s fade-out was cut at 6.5 s";
    EXPECT_EQ(currentCue(), 2) << "Step mode does not cross by time";
    EXPECT_EQ(layers.cue[common::xLayer(1)], 0) << "other lists do not move";
    EXPECT_EQ(layers.cue[common::yLayer(1)], 0);
    // A disabled current list refuses Play.
    list0.setEnabled(false);
    EXPECT_FALSE(lists.play());
}

TEST_F(EventListTest, ModeChangesRelocateAtTheNextTick) {
    setEvent0Cue(1);
    list0.insertEvent(ev(10000, 2));
    list0.insertEvent(ev(30000, 3));
    ASSERT_TRUE(clock.setMode(ClockMode::Timecode));
    frame();
    EXPECT_EQ(currentCue(), 1) << "Timecode locates at 0";
    ASSERT_TRUE(clock.setTime(20000, common::NO_TIME));
    ASSERT_TRUE(lists.setModeWhenStopped(ClockMode::Internal));
    frame();
    EXPECT_EQ(currentCue(), 2) << "Internal relocates at the clock time";
    // A typed start time and Play: the clock starts there.
    ASSERT_TRUE(lists.play(60000));
    ClockReading r;
    ASSERT_TRUE(clock.read(r));
    EXPECT_EQ(r.time, 60000);
    EXPECT_EQ(r.state, ClockState::Playing);
    frame();
    EXPECT_EQ(currentCue(), 3);
}

TEST_F(EventListTest, TimecodePlaybackIsNotHeldByAnOlderStopTime) {
    list0.insertEvent(ev(20000, 2, 0, 0, true));
    list0.insertEvent(ev(30000, 3));
    ASSERT_TRUE(lists.play(0));
    EXPECT_EQ(lists.nextStopTime(), 20000);
    lists.stop();
    ASSERT_TRUE(clock.setMode(ClockMode::Timecode));
    ASSERT_TRUE(lists.play());
    EXPECT_EQ(lists.nextStopTime(), common::NO_TIME);
    for (ShowTime t = 29000; t <= 30100; t += 100) {
        clock.feedTimecode(t);
        ClockReading r;
        ASSERT_TRUE(clock.read(r));
        lists.tick(r);
    }
    EXPECT_EQ(currentCue(), 3);
}

TEST_F(EventListTest, InsertFindsItsPlaceAndRefusesATakenTime) {
    list0.insertEvent(ev(10000, 3));
    list0.insertEvent(ev(12000, 4));
    list0.insertEvent(ev(14000, 0));
    ASSERT_TRUE(list0.makeLoops(1, 3));
    struct Row {
        ShowTime t;
        int32_t result;
        EventRole role;
        ShowTime stored;
    } rows[] = {
        {9000, 1, EventRole::Ordinary, 9000},     // before the loop
        {9010, EVENT_TIME_TAKEN, {}, 0},          // the same thirtieth of a second
        {10000, EVENT_TIME_TAKEN, {}, 0},         // the loop's start
        {13000, 4, EventRole::LoopMember, 3000},  // inside the loop: relative
        {20000, 6, EventRole::Ordinary, 20000},   // after the end row
        {-5, EVENT_REFUSED, {}, 0},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(list0.insertEvent(ev(r.t, 7)), r.result) << r.t;
        if (r.result >= 0) {
            EXPECT_EQ(list0.event(r.result)->role, r.role) << r.t;
            EXPECT_EQ(list0.event(r.result)->time, r.stored) << r.t;
        }
    }
    EXPECT_TRUE(list0.eventAtTime(13010, 0));
    EXPECT_FALSE(list0.eventAtTime(13100, 0));
    Event bad = ev(50000, 7);
    bad.cue = 1'000'001;
    EXPECT_EQ(list0.insertEvent(bad), EVENT_REFUSED);
}

TEST_F(EventListTest, DeletingTheLoopStartKeepsAbsoluteTimes) {
    list0.insertEvent(ev(10000, 3));
    list0.insertEvent(ev(12000, 4));
    list0.insertEvent(ev(13000, 5));
    list0.insertEvent(ev(16000, 0));
    ASSERT_TRUE(list0.makeLoops(1, 4));
    ASSERT_TRUE(list0.deleteEvents(1, 1));
    ASSERT_EQ(list0.eventCount(), 4);
    EXPECT_EQ(list0.event(1)->role, EventRole::LoopStart);
    EXPECT_EQ(list0.event(1)->time, 12000);
    EXPECT_EQ(list0.event(2)->role, EventRole::LoopMember);
    EXPECT_EQ(*list0.absoluteEventTime(2), 13000);
    EXPECT_EQ(*list0.absoluteEventTime(3), 16000);
    EXPECT_FALSE(list0.deleteEvents(2, 9));
    // Deleting the only member dissolves the loop.
    ASSERT_TRUE(list0.deleteEvents(2, 2));
    EXPECT_EQ(list0.event(1)->role, EventRole::Ordinary);
    EXPECT_EQ(list0.event(2)->role, EventRole::Ordinary);
    EXPECT_EQ(list0.event(2)->time, 16000);
    EXPECT_TRUE(list0.deleteEvents(0, 2));  // Event 0 stays
    EXPECT_EQ(list0.eventCount(), 1);
}

// Loop 10 s (Cue 1), +2 s, +3 s, end row +4 s, then 20 s: each deletion leaves sound
// loops and every remaining Event at its absolute time.
TEST_F(EventListTest, DeletionRepairsLoops) {
    using R = EventRole;
    struct Row {
        int32_t first, last;
        std::vector<std::pair<R, ShowTime>> after;  // role and absolute time, Events 1..
    };
    const Row rows[] = {
        {1,
         1,
         {{R::LoopStart, 12000},
          {R::LoopMember, 13000},
          {R::LoopEnd, 14000},
          {R::Ordinary, 20000}}},
        {1, 2, {{R::Ordinary, 13000}, {R::Ordinary, 14000}, {R::Ordinary, 20000}}},
        {1, 3, {{R::Ordinary, 14000}, {R::Ordinary, 20000}}},
        {2, 3, {{R::Ordinary, 10000}, {R::Ordinary, 14000}, {R::Ordinary, 20000}}},
        {4,
         4,
         {{R::LoopStart, 10000},
          {R::LoopMember, 12000},
          {R::LoopEnd, 13000},
          {R::Ordinary, 20000}}},
        {3, 4, {{R::Ordinary, 10000}, {R::Ordinary, 12000}, {R::Ordinary, 20000}}},
        {2, 4, {{R::Ordinary, 10000}, {R::Ordinary, 20000}}},
    };
    for (const auto& r : rows) {
        list0.clear();
        for (ShowTime t : {10000, 12000, 13000, 14000, 20000}) list0.insertEvent(ev(t, 1));
        ASSERT_TRUE(list0.makeLoops(1, 4));
        ASSERT_TRUE(list0.deleteEvents(r.first, r.last));
        ASSERT_EQ(list0.eventCount(), static_cast<int32_t>(r.after.size()) + 1) << r.first;
        for (size_t i = 0; i < r.after.size(); ++i) {
            const auto idx = static_cast<int32_t>(i) + 1;
            EXPECT_EQ(list0.event(idx)->role, r.after[i].first)
                << r.first << "-" << r.last << " #" << idx;
            EXPECT_EQ(*list0.absoluteEventTime(idx), r.after[i].second)
                << r.first << "-" << r.last << " #" << idx;
        }
        EXPECT_FALSE(validateEvents(list0.events())) << r.first << "-" << r.last;
    }
}

TEST_F(EventListTest, SetEventTimeClampsBetweenNeighbours) {
    list0.insertEvent(ev(10000, 1));  // 1
    list0.insertEvent(ev(20000, 2));  // 2 loop start
    list0.insertEvent(ev(22000, 3));  // 3
    list0.insertEvent(ev(24000, 0));  // 4 end row
    list0.insertEvent(ev(30000, 4));  // 5
    ASSERT_TRUE(list0.makeLoops(2, 4));
    struct Row {
        int32_t index;
        TimeValue asked;
        bool changed;
        ShowTime stored;
    } rows[] = {
        {1, {5, 0}, true, 5000},
        {1, {25, 0}, true, 19967},  // before the loop start, one frame apart
        {2, {27, 0}, true, 25967},  // loop start + 4 s length stays before 30 s
        {3, {0, 0}, true, 33},      // relative, later than the loop start
        {4, {3, 0}, true, 3000},    // the end row (loop length)
        {4, {6, 0}, true, 4000},    // loop start + length stays before 30 s
        {5, {0, 0}, false, 30000},  // after the loop's end 29967: already there
        {0, {1, 0}, false, 0},      // Event 0 keeps its time
    };
    for (const auto& r : rows) {
        const bool changed = list0.setEventTime(r.index, r.asked);
        EXPECT_EQ(changed, r.changed) << r.index;
        EXPECT_EQ(list0.event(r.index)->time, r.stored) << r.index;
    }
}

TEST_F(EventListTest, DamagedLoopsAreRefusedAndNeverSpin) {
    auto loop = [](ShowTime member, ShowTime length) {
        std::vector<Event> e{ev(0, 0), ev(1000, 1), ev(member, 2), ev(length, 0)};
        e[1].role = EventRole::LoopStart;
        e[2].role = EventRole::LoopMember;
        e[3].role = EventRole::LoopEnd;
        return e;
    };
    struct Row {
        const char* what;
        std::vector<Event> events;
        bool ok;
    };
    std::vector<Row> rows;
    rows.push_back({"sound", loop(500, 1000), true});
    rows.push_back({"length 0", loop(0, 0), false});
    rows.push_back({"decreasing", loop(800, 400), false});
    auto open = loop(500, 1000);
    open.pop_back();
    rows.push_back({"not closed", open, false});
    auto stray = loop(500, 1000);
    stray[1].role = EventRole::Ordinary;
    rows.push_back({"member outside a loop", stray, false});
    auto fade = loop(500, 1000);
    fade[2].fadeIn = -1;
    rows.push_back({"negative fade", fade, false});
    auto order = loop(500, 1000);
    order[1].time = 0;
    order[0].time = 10;
    rows.push_back({"absolute times decrease", order, false});
    rows.push_back({"empty", {}, false});
    for (const auto& r : rows) {
        const auto before = list0.events();
        std::string why;
        EXPECT_EQ(list0.replaceEvents(r.events, &why), r.ok) << r.what;
        if (!r.ok) {
            EXPECT_FALSE(why.empty()) << r.what;
            EXPECT_EQ(list0.events(), before) << r.what;
        }
    }
    // The repair net dissolves what an edit could leave behind.
    auto zero = loop(0, 0);
    EXPECT_TRUE(repairLoops(zero));
    for (const auto& e : zero) EXPECT_EQ(e.role, EventRole::Ordinary);
    EXPECT_EQ(zero[3].time, 1000);
    EXPECT_FALSE(validateEvents(zero).has_value());
}

TEST_F(EventListTest, MarkersAndRangesAreChecked) {
    list0.insertEvent(ev(10000, 2));
    list0.insertEvent(ev(20000, 3));
    tickAt(0, ClockState::Stopped);
    EXPECT_TRUE(list0.setCurrentMarker(2));
    ClockReading r;
    ASSERT_TRUE(clock.read(r));
    EXPECT_EQ(r.time, 20000);
    EXPECT_FALSE(list0.setNextMarker(2)) << "only in Step mode";
    EXPECT_FALSE(list0.setCurrentMarker(3));
    EXPECT_FALSE(list0.setCurrentMarker(-1));
    EXPECT_EQ(lists.list(4), nullptr);
    EXPECT_EQ(lists.list(-1), nullptr);
    EXPECT_FALSE(lists.setCurrentList(4));
    EXPECT_FALSE(lists.applyAtClockTime(-1));
    EXPECT_FALSE(lists.play(common::MS_PER_DAY));
    EXPECT_TRUE(lists.setCurrentList(2));
    EXPECT_TRUE(lists.list(2)->isCurrent());
    EXPECT_FALSE(list0.isCurrent());
    EXPECT_FALSE(lists.setModeWhenStopped(static_cast<ClockMode>(3)));
    ASSERT_TRUE(lists.play());
    EXPECT_FALSE(lists.setModeWhenStopped(ClockMode::Step)) << "not while running";
    lists.stop();
    EXPECT_TRUE(lists.setModeWhenStopped(ClockMode::Step));
    clock.setFailing(true);
    EXPECT_FALSE(lists.play());
    EXPECT_FALSE(lists.record());
}

}  // namespace
}  // namespace j4::engine
