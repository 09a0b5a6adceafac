#pragma once
// What an Event List derives from its Events after every edit: which loop each Event
// belongs to, the Events with absolute times (for locating by binary search), and the
// checks and repairs that keep loops sound. A loop of length 0 or with decreasing
// relative times would make the cursor divide by zero or spin, so such a loop never
// enters a list: a list from outside is refused, and edits repair what they break.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/event.h"

namespace j4::engine {

class EventStructure {
  public:
    // Rebuilds the maps from a list whose loops are sound (see repairLoops).
    void rebuild(std::span<const Event> events);

    // The LoopStart of the loop holding Event i, or -1 for an ordinary Event.
    int32_t loopStartOf(int32_t i) const { return loopStart_[i]; }
    // The LoopEnd row of the loop holding Event i, or -1.
    int32_t loopEndOf(int32_t i) const { return loopEnd_[i]; }
    // Whether the loop holding Event i plays an Event with a stop flag.
    bool loopHasStop(int32_t i) const { return loopStart_[i] >= 0 && loopStop_[loopStart_[i]]; }
    // Indexes of the Events with absolute times, in list order (times non-decreasing).
    std::span<const int32_t> anchors() const { return anchors_; }

  private:
    std::vector<int32_t> loopStart_;
    std::vector<int32_t> loopEnd_;
    std::vector<uint8_t> loopStop_;
    std::vector<int32_t> anchors_;
};

// Absolute time of Event i (relative times plus their loop start's time).
common::ShowTime absoluteTime(std::span<const Event> events, const EventStructure& s, int32_t i);

// Why a list from outside (a show file, a paste) cannot be taken, or nothing when it
// is sound: at least Event 0; roles 0..3; fades >= 0; Cue numbers 0..1 000 000;
// absolute times within 0..MAX_EVENT_TIME and never decreasing; every loop a LoopStart,
// at least one LoopMember and a LoopEnd row, relative times >= 0 and never decreasing,
// length > 0.
std::optional<std::string> validateEvents(std::span<const Event> events);

// The safety net after an edit: a loop that is not closed, too short or of length 0
// becomes ordinary Events at their absolute times; decreasing relative times are
// raised; absolute times are clamped from the end backwards so that none exceeds the
// next one (ceiling MAX_EVENT_TIME). Returns whether anything changed.
bool repairLoops(std::vector<Event>& events);
// Only the final clamp of absolute times.
bool clampAbsoluteTimes(std::vector<Event>& events);

}  // namespace j4::engine
