#pragma once
// Names in the settings store (platform/settings_store.h) of the console: the key path
// and every value and sub-key name. Each is also a text of the string table (the ids
// are in the comments) and common/string_table.cpp takes its texts from here.
//
// Machine scope (installation-wide): TemplatePath, EffectPath, LogoPath, CreatorID and
// LastOpenFile under SETTINGS_KEY. A normal user cannot write the machine scope, so
// LastOpenFile may live in the user scope instead.
// User scope: the window placements under SETTINGS_KEY_WINDOW_POS and the record keys
// under SETTINGS_KEY_KEY_ASSIGNMENTS.

namespace j4::common {

inline constexpr const char* SETTINGS_KEY = "Software\\Corvanta\\Corvanta J4";  // 120

// Values of SETTINGS_KEY in the machine scope.
inline constexpr const char* SETTING_TEMPLATE_PATH = "TemplatePath";   // 131, string
inline constexpr const char* SETTING_LOGO_PATH = "LogoPath";           // 132, string
inline constexpr const char* SETTING_CREATOR_ID = "CreatorID";         // 133, number
inline constexpr const char* SETTING_EFFECT_PATH = "EffectPath";       // 134, string
inline constexpr const char* SETTING_LAST_OPEN_FILE = "LastOpenFile";  // 135, string

// Sub-keys of SETTINGS_KEY in the user scope: the bare names and the full key paths.
inline constexpr const char* SETTINGS_WINDOW_POS = "WindowPos";            // 127
inline constexpr const char* SETTINGS_KEY_ASSIGNMENTS = "KeyAssignments";  // 128
inline constexpr const char* SETTINGS_KEY_WINDOW_POS = "Software\\Corvanta\\Corvanta J4\\WindowPos";
inline constexpr const char* SETTINGS_KEY_KEY_ASSIGNMENTS =
    "Software\\Corvanta\\Corvanta J4\\KeyAssignments";

// Values of SETTINGS_KEY_WINDOW_POS: 44-byte window placement records (binary).
inline constexpr const char* SETTING_POS_MAIN_WINDOW = "MainWindow";          // 121
inline constexpr const char* SETTING_POS_DEVICE_WINDOW = "DeviceWindow";      // 122
inline constexpr const char* SETTING_POS_TEMPLATE_WINDOW = "TemplateWindow";  // 123
inline constexpr const char* SETTING_POS_EVENT_LIST = "EventList";            // 124
inline constexpr const char* SETTING_POS_CUE_LIST = "CueList";                // 125
inline constexpr const char* SETTING_POS_CUE_EDITOR = "CueEditor";            // 126
inline constexpr int WINDOW_PLACEMENT_BYTES = 44;

// Values of SETTINGS_KEY_KEY_ASSIGNMENTS.
inline constexpr const char* SETTING_ASSIGNMENTS = "Assignments";  // 129, binary pairs
inline constexpr const char* SETTING_USE_CHAR = "UseChar";         // 130, number
inline constexpr int MAX_KEY_ASSIGNMENTS = 100;

}  // namespace j4::common
