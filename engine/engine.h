#pragma once
// The engine as one object the console owns: the engine lock, the Mixer, the four
// Event Lists and the live controls, wired to the show clock and the CueStore. The
// engine thread calls tick() once per frame; every other thread changes show data
// through the operations of these objects.
//
// Lock order everywhere: engine lock, then an Event List's lock, then the mixer lock
// (the CueStore's and the clock's own locks are leaves). The engine lock is recursive
// so that an operation that takes it (deleting Events, snapshot) may be called by a
// user-interface handler that already holds it.

#include <functional>

#include "engine/clock.h"
#include "engine/event_lists.h"
#include "engine/live_controls.h"
#include "engine/mixer.h"
#include "engine/show_changes.h"
#include "show/cue_store.h"

namespace j4::engine {

class Engine {
  public:
    Engine(Clock& clock, show::CueStore& cues);
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    EngineLock& lock() { return lock_; }
    Mixer& mixer() { return mixer_; }
    EventLists& eventLists() { return lists_; }
    LiveControls& live() { return live_; }
    ShowChanges& showChanges() { return changes_; }
    Clock& clock() { return clock_; }

    // Mixer and Event Lists at start-up: none Cues, X layers full, list 0 current,
    // timecode auto-switch off and offset 0.
    bool initialise();

    // Receives every clock reading before the lists advance (the automation library's
    // time export). Set before the engine thread starts.
    void setTimePublisher(std::function<void(const common::ClockReading&)> publisher);

    // One engine tick: under the engine lock, read the clock, publish it, advance the
    // four Event Lists and run the Mixer (which hands the frame to the outputs). False
    // when the clock could not be read (the frame is skipped).
    bool tick();

    // Discards the show's live state (New, before Open): every layer empty, all Event
    // Lists cleared, timecode settings reset. Takes the engine lock.
    void clearShow();

  private:
    Clock& clock_;
    EngineLock lock_;
    ShowChanges changes_;
    Mixer mixer_;
    EventLists lists_;
    LiveControls live_;
    std::function<void(const common::ClockReading&)> publish_;
};

}  // namespace j4::engine
