#pragma once
// Names of the storages and streams of a show file (texts of the string table).

#include "common/string_table.h"

namespace j4::show::layout {

inline const char* name(int id) {
    return common::stringText(id);
}

inline const char* versionStream() {
    return name(common::STR_SHOW_VERSION_STREAM);
}
inline const char* eventLists() {
    return name(common::STR_SHOW_EVENT_LISTS);
}
inline const char* eventListSettings() {
    return name(common::STR_SHOW_EVENT_LIST_SETTINGS);
}
inline const char* eventListInfo() {
    return name(common::STR_SHOW_EVENT_LIST_INFO);
}
inline const char* events() {
    return name(common::STR_SHOW_EVENTS);
}
inline const char* devices() {
    return name(common::STR_SHOW_DEVICES);
}
inline const char* groups() {
    return name(common::STR_SHOW_GROUPS);
}
inline const char* deviceInfo() {
    return name(common::STR_SHOW_DEVICE_INFO);
}
inline const char* deviceControls() {
    return name(common::STR_SHOW_DEVICE_CONTROLS);
}
inline const char* cues() {
    return name(common::STR_SHOW_CUES);
}
inline const char* cueInfo() {
    return name(common::STR_SHOW_CUE_INFO);
}
inline const char* cueDevices() {
    return name(common::STR_SHOW_CUE_DEVICES);
}
inline const char* cueEffects() {
    return name(common::STR_SHOW_CUE_EFFECTS);
}
inline const char* cueData() {
    return name(common::STR_SHOW_CUE_DATA);
}
inline const char* presets() {
    return name(common::STR_SHOW_PRESETS);
}
inline const char* presetsInfo() {
    return name(common::STR_SHOW_PRESETS_INFO);
}
inline const char* presetsData() {
    return name(common::STR_SHOW_PRESETS_DATA);
}
inline const char* input() {
    return name(common::STR_SHOW_INPUT);
}
inline const char* inputInfo() {
    return name(common::STR_SHOW_INPUT_INFO);
}

// The performance panel's storage; the show reader and writer leave it alone.
inline constexpr const char* EXTRA_DATA = "Extra Data";

// Bytes of the smallest Event record (empty comment), with and without the stop flag.
inline constexpr size_t EVENT_RECORD_MIN = 7 * 4 + 4;
inline constexpr size_t EVENT_RECORD_MIN_V80 = 6 * 4 + 4;
// Effect record: Device index, control index, four settings, shape identity.
inline constexpr size_t EFFECT_RECORD = 4 + 4 + 16 + 16;

}  // namespace j4::show::layout
