#pragma once
// One Event List: a time-ordered list of Events played against the show clock. Crossing
// an Event's time puts its Cue on one of the list's two Mixer layers (X 28 + k, Y 32 + k)
// and cross-fades from the previous Cue on the other layer.
//
// Locks: the list's own lock guards the Events, the cursor and the X/Y levels. The
// engine tick holds the engine lock and takes this lock; the layer calls inside take
// the mixer lock (engine lock, then list lock, then mixer lock). Deleting Events and
// making or removing loops take the engine lock first, because they relocate the
// cursor as the tick would.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/clock_fields.h"
#include "engine/clock.h"
#include "engine/event.h"
#include "engine/event_structure.h"
#include "engine/layer_target.h"
#include "engine/playback_cursor.h"
#include "engine/show_changes.h"

namespace j4::engine {

using EngineLock = std::recursive_mutex;

struct Markers {
    int32_t current = 0;
    int32_t next = -1;
};

// Results of insertEvent besides an index.
inline constexpr int32_t EVENT_TIME_TAKEN = -1;  // an Event has that TimeValue (message 538)
inline constexpr int32_t EVENT_REFUSED = -2;     // a field out of range

class EventList {
  public:
    EventList(int index, EngineLock& engineLock, LayerTarget& layers, Clock& clock,
              const ShowChanges& changes);

    int index() const { return index_; }

    // --- playback (engine thread, engine lock held) ---
    // One tick at clock time t with the next stop time, mode and state.
    void tick(common::ShowTime t, common::ShowTime nextStop, common::ClockMode mode,
              common::ClockState state);
    // Locates t, forces both levels to be sent, assigns both Cues and sends the levels.
    void apply(common::ShowTime t);
    // Time of the first stop-flag Event after t, or -1 (also when disabled).
    common::ShowTime firstStopAfter(common::ShowTime t) const;
    bool hasNextEvent() const;

    // --- state ---
    bool enabled() const;
    void setEnabled(bool enabled);
    bool isCurrent() const;
    void setIsCurrent(bool current);
    std::string name() const;
    void setName(std::string name);
    bool xCarriesCurrent() const;
    PlaybackCursor cursor() const;

    // --- Events ---
    int32_t eventCount() const;
    std::optional<Event> event(int32_t index) const;
    std::vector<Event> events() const;
    // The absolute time of an Event (relative loop times plus their loop's start).
    std::optional<common::ShowTime> absoluteEventTime(int32_t index) const;
    // Replaces every Event (loading a show); refuses an unsound list and keeps the old
    // one. The cursor goes back to Event 0 (the loader then resets playback).
    bool replaceEvents(std::vector<Event> events, std::string* error = nullptr);
    // Only Event 0 remains (reset), the cursor at it, enabled, X carries current.
    void clear();

    // Inserts at the Event's absolute time (a loop Event when it falls inside a loop).
    // Returns the new index, EVENT_TIME_TAKEN or EVENT_REFUSED.
    int32_t insertEvent(Event event);
    // Deletes first..last (Event 0 never), repairs loops and relocates. False when the
    // range lies outside the list.
    bool deleteEvents(int32_t first, int32_t last);
    // Changes Cue, fades, stop flag, split flag and comment of an Event (not its time or
    // role). False for a bad index or a field out of range.
    bool updateEvent(int32_t index, const Event& fields);
    // Moves an Event (not Event 0) to a new time, clamped between its neighbours one
    // frame apart. Returns whether the time changed.
    bool setEventTime(int32_t index, common::TimeValue time);
    // Every run of three or more ordinary Events inside first..last becomes a loop.
    bool makeLoops(int32_t first, int32_t last);
    // The loop holding the Event becomes ordinary Events. False when it is in none.
    bool removeLoop(int32_t index);

    // --- markers ---
    bool setNextMarker(int32_t index);
    bool setCurrentMarker(int32_t index);
    // Current and next index if they changed since the last read (clears the flag).
    std::optional<Markers> readMarkers();
    Markers markers() const;
    // Whether an Event at or after `from` has the same TimeValue as t.
    bool eventAtTime(common::ShowTime t, int32_t from) const;

  private:
    EventView view() const { return {events_, structure_}; }
    void applyLocked(common::ShowTime t);
    void progress(common::ShowTime t, common::ShowTime nextStop);
    void crossFade();
    void assignBoth();
    void sendLevels(FadeLevels levels);
    // After a structural edit: repairs, rebuilds the maps, relocates and applies.
    void afterEdit(bool relocate);
    int32_t findTimeValue(common::TimeValue tv, int32_t from) const;

    const int index_;
    EngineLock& engineLock_;
    LayerTarget& layers_;
    Clock& clock_;
    const ShowChanges& changes_;

    mutable std::mutex lock_;
    std::string name_;
    std::vector<Event> events_;
    EventStructure structure_;
    PlaybackCursor cursor_;
    bool enabled_ = true;
    bool isCurrent_ = false;
    bool xCarriesCurrent_ = true;
    common::Level lastX_ = 0;
    common::Level lastY_ = 0;
};

}  // namespace j4::engine
