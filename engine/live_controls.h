#pragma once
// The operator's live controls in terms of the Mixer's layers: 24 submasters, four
// auxiliary submasters, the X/Y crossfader of the current Event List, the grand master
// and 24 presets of submaster Cue assignments. Numbers are those the operator sees:
// submasters and presets 1..24, auxiliary submasters 1..4; anything else is refused
// (false, nothing changed).
//
// It is also the Mixer's record hook: while the show is recording, a submaster brought
// to full (by fader, bump, DMX input or automation) logs its Cue as an Event at the
// clock time in the current Event List.

#include <array>

#include "engine/clock.h"
#include "engine/event_lists.h"
#include "engine/mixer.h"

namespace j4::engine {

class LiveControls final : public RecordHook {
  public:
    LiveControls(Mixer& mixer, EventLists& lists, Clock& clock);

    bool setSubmasterLevel(int submaster, common::Level level);
    // All 24 levels at once (Solo bumps); the record hook runs for `pressed` (1..24)
    // when `record` is set.
    bool setSubmasterLevels(const std::array<common::Level, common::SUBMASTER_COUNT>& levels,
                            bool record, int pressed);
    bool assignSubmasterCue(int submaster, common::CueNumber cue);
    void setGrandMaster(common::Level level);

    // The X/Y layers of the Event List current at the time of the call.
    void setXLevel(common::Level level);
    void setYLevel(common::Level level);
    void assignXCue(common::CueNumber cue);
    void assignYCue(common::CueNumber cue);

    bool setAuxLevel(int aux, common::Level level);
    bool assignAuxCue(int aux, common::CueNumber cue);

    bool savePreset(int preset);
    bool loadPreset(int preset);

    void clearSubmasterAssignments();
    // The X and Y layers of all four Event Lists.
    void clearXYAssignments();
    void clearAllAssignments();

    // The record hook (outside the mixer lock).
    void beforeLevelChange(int layer, common::Level newLevel) override;

  private:
    Mixer& mixer_;
    EventLists& lists_;
    Clock& clock_;
};

}  // namespace j4::engine
