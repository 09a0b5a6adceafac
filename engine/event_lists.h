#pragma once
// The four Event Lists of the show and the transport operations that steer the clock
// from them (play, record, stop, stop-flag search), with the three run modes:
// Internal (the clock runs in real time from a start time, stopping at stop flags),
// Timecode (the clock follows received timecode from 0) and Step (Play fires the
// current list's next Event and runs the clock for its fade only).
//
// The tick runs on the engine thread with the engine lock held; the transport
// operations are called from the user-interface, DMX input and automation threads and
// take only the lists' locks and the clock's own.

#include <array>
#include <atomic>
#include <memory>

#include "common/layers.h"
#include "engine/event_list.h"

namespace j4::engine {

class EventLists {
  public:
    EventLists(EngineLock& engineLock, LayerTarget& layers, Clock& clock,
               const ShowChanges& changes);

    // List k (0..3), or nullptr for any other k.
    EventList* list(int k);
    const EventList* list(int k) const;

    // Timecode auto-switch off and offset 0; list 0 current.
    bool initialise();
    // Advances lists 0..3 in order from one clock reading (engine lock held).
    void tick(const common::ClockReading& reading);

    // `time` -1 plays from the clock's current time. False when the clock cannot be
    // read, the time is out of range, or (Step mode) the current list is disabled or
    // has no next Event.
    bool play(common::ShowTime time = common::NO_TIME);
    // Record is not available in Step mode.
    bool record(common::ShowTime time = common::NO_TIME);
    bool stop();
    // Internal mode while running: the stop time follows an edit of stop flags, loops,
    // times or enabled lists.
    bool reevaluateStop();
    // The earliest stop-flag time after t over all enabled lists, or -1; stored as the
    // next stop time.
    common::ShowTime nextStop(common::ShowTime t);
    common::ShowTime nextStopTime() const { return nextStop_.load(); }

    // Changes the run mode only while the clock is stopped (a request while the show
    // runs is ignored, as from the DMX input and automation). False when refused.
    bool setModeWhenStopped(common::ClockMode mode);

    int currentList() const { return current_.load(); }
    bool setCurrentList(int k);

    // Reads the clock and applies its time on list k (after edits).
    bool applyAtClockTime(int k);
    // Applies the clock time on all four lists (after a show was loaded).
    bool resetPlayback();
    // Clears all four lists; timecode auto-switch off and offset 0.
    void clearAll();

    // The timecode settings kept with the show; the setters report a change of the show
    // only when the value differs.
    bool setLostTimecodeSwitch(bool on);
    bool setTimecodeOffset(int32_t milliseconds);

  private:
    // Play or record from `time` (-1: the clock's own) in the clock's mode.
    bool start(common::ShowTime time, common::ClockState state);

    Clock& clock_;
    const ShowChanges& changes_;
    std::array<std::unique_ptr<EventList>, common::EVENT_LIST_COUNT> lists_;
    std::atomic<int> current_{0};
    std::atomic<common::ShowTime> nextStop_{common::NO_TIME};
};

}  // namespace j4::engine
