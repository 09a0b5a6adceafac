#include "engine/live_controls.h"

namespace j4::engine {

using common::CueNumber;
using common::Level;

namespace {
bool isSubmaster(int s) {
    return s >= 1 && s <= common::SUBMASTER_COUNT;
}
bool isAux(int a) {
    return a >= 1 && a <= common::AUX_SUBMASTER_COUNT;
}
}  // namespace

LiveControls::LiveControls(Mixer& mixer, EventLists& lists, Clock& clock)
    : mixer_(mixer), lists_(lists), clock_(clock) {}

bool LiveControls::setSubmasterLevel(int submaster, Level level) {
    return isSubmaster(submaster) && mixer_.setLayerLevel(submaster - 1, level);
}

bool LiveControls::setSubmasterLevels(const std::array<Level, common::SUBMASTER_COUNT>& levels,
                                      bool record, int pressed) {
    if (record && !isSubmaster(pressed)) return false;
    return mixer_.setSubmasterLevels(0, common::SUBMASTER_COUNT, levels.data(), record,
                                     record ? pressed - 1 : 0);
}

bool LiveControls::assignSubmasterCue(int submaster, CueNumber cue) {
    return isSubmaster(submaster) && mixer_.setLayerCue(submaster - 1, cue);
}

void LiveControls::setGrandMaster(Level level) {
    mixer_.setGrandMaster(level);
}

void LiveControls::setXLevel(Level level) {
    mixer_.setLayerLevel(common::xLayer(lists_.currentList()), level);
}

void LiveControls::setYLevel(Level level) {
    mixer_.setLayerLevel(common::yLayer(lists_.currentList()), level);
}

void LiveControls::assignXCue(CueNumber cue) {
    mixer_.setLayerCue(common::xLayer(lists_.currentList()), cue);
}

void LiveControls::assignYCue(CueNumber cue) {
    mixer_.setLayerCue(common::yLayer(lists_.currentList()), cue);
}

bool LiveControls::setAuxLevel(int aux, Level level) {
    return isAux(aux) && mixer_.setLayerLevel(common::auxSubmasterLayer(aux - 1), level);
}

bool LiveControls::assignAuxCue(int aux, CueNumber cue) {
    return isAux(aux) && mixer_.setLayerCue(common::auxSubmasterLayer(aux - 1), cue);
}

bool LiveControls::savePreset(int preset) {
    return preset >= 1 && preset <= common::PRESET_COUNT && mixer_.savePreset(preset - 1);
}

bool LiveControls::loadPreset(int preset) {
    return preset >= 1 && preset <= common::PRESET_COUNT && mixer_.loadPreset(preset - 1);
}

void LiveControls::clearSubmasterAssignments() {
    for (int s = 1; s <= common::SUBMASTER_COUNT; ++s) assignSubmasterCue(s, common::NONE_CUE);
}

void LiveControls::clearXYAssignments() {
    for (int k = 0; k < common::EVENT_LIST_COUNT; ++k) {
        mixer_.setLayerCue(common::xLayer(k), common::NONE_CUE);
        mixer_.setLayerCue(common::yLayer(k), common::NONE_CUE);
    }
}

void LiveControls::clearAllAssignments() {
    clearSubmasterAssignments();
    clearXYAssignments();
}

void LiveControls::beforeLevelChange(int layer, Level newLevel) {
    if (layer < 0 || layer >= common::SUBMASTER_COUNT || newLevel != common::FULL_LEVEL) return;
    const auto level = mixer_.layerLevel(layer);
    if (!level || *level >= common::FULL_LEVEL) return;
    common::ClockReading r;
    if (!clock_.read(r) || r.state != common::ClockState::Recording) return;
    EventList* list = lists_.list(lists_.currentList());
    const auto cue = mixer_.layerCueNumber(layer);
    if (!list || !cue) return;
    Event e;
    e.time = r.time;
    e.cue = *cue;
    // An Event already at that thirtieth of a second keeps its place: nothing logged.
    // A logged Event marks the show changed (the insert reports it).
    list->insertEvent(std::move(e));
}

}  // namespace j4::engine
