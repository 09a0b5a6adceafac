#pragma once
// The playback position of one Event List: which Event is current (faded in), which
// is crossed next, and where the cursor stands inside a loop. The same cursor serves
// the list's tick and the search for the next stop flag (on a private copy).
//
// Forward running costs O(1) per tick whatever the list's length; only a jump
// (locate) searches, by binary search over the Events with absolute times.

#include <cstdint>
#include <span>

#include "common/clock_fields.h"
#include "common/level.h"
#include "engine/event.h"
#include "engine/event_structure.h"

namespace j4::engine {

// The Events of a list with the maps derived from them.
struct EventView {
    std::span<const Event> events;
    const EventStructure& structure;

    int32_t size() const { return static_cast<int32_t>(events.size()); }
    common::ShowTime absolute(int32_t i) const { return absoluteTime(events, structure, i); }
};

struct FadeLevels {
    common::Level in = 0;   // the layer carrying the current Cue
    common::Level out = 0;  // the layer carrying the previous Cue
};

class PlaybackCursor {
  public:
    // Clock mode and transport state seen at the previous tick.
    common::ClockMode lastMode = common::ClockMode::Internal;
    common::ClockState lastState = common::ClockState::Stopped;
    bool changed = false;  // current or next changed; cleared by the marker poll
    int32_t current = 0;   // the Event faded in (or last faded in)
    int32_t next = -1;     // the Event crossed next; -1 at the end of the list
    common::ShowTime lastTime = 0;
    bool inLoop = false;
    common::ShowTime segmentStart = 0;  // this repetition's start of the current loop Event
    common::ShowTime segmentEnd = 0;    // when the next loop Event is due
    common::ShowTime relativeBase = 0;  // after leaving a loop: start of its last Event
    int32_t loopStart = -1;
    int32_t afterLoop = -1;  // the Event after the loop's end row, or -1

    // Back to Event 0 current, the next Event after it, no loop.
    void reset(const EventView& v);

    // Places the cursor at time t (a jump).
    void locate(const EventView& v, common::ShowTime t);
    // One Event crossed outside a loop (enters a loop at its LoopStart).
    void step(const EventView& v);
    // One Event crossed inside a loop (wraps at the end row, may leave the loop).
    void loopStep(const EventView& v);
    // Step mode: fires the next Event, skipping end rows (loops do not repeat).
    // Returns the time the clock is set to, or -1 when there is no next Event.
    common::ShowTime stepModeStep(const EventView& v);
    // End of the current Event's longer fade, not later than the next Event's time.
    common::ShowTime fadeEnd(const EventView& v, common::ShowTime t) const;

    // When the next Event is due on the clock, or -1.
    common::ShowTime nextDue(const EventView& v) const;
    // Fade levels of the current (in) and previous (out) Cue at time t.
    FadeLevels fadeLevels(const EventView& v, common::ShowTime t) const;
    // Cue of the Event before the current one (skipping one end row); 0 at Event 0.
    common::CueNumber previousCue(const EventView& v) const;

    // Keeps indexes pointing at the same Events after an insert at `index`.
    void shiftForInsert(int32_t index);

  private:
    void loopLocate(const EventView& v, common::ShowTime t, int32_t start, int32_t end);
    void enterLoop(const EventView& v);
    void exitCheck(const EventView& v);
    void leaveLoop();
    // A relative base of 0 is a real start time (a loop at 0), so it has its own flag.
    bool hasRelativeBase_ = false;
    int32_t following(const EventView& v, int32_t i) const { return i + 1 < v.size() ? i + 1 : -1; }
};

}  // namespace j4::engine
