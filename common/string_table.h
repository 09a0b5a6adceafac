#pragma once
// The console's numbered string table: every user-visible text, window class name,
// storage and stream name and settings name the console uses, under its fixed number.
// Message boxes show MSG_* texts with the caption STR_APP_CAPTION (through the prompt
// service, common/prompt.h); file formats name their storages and streams with STR_*
// texts. The texts are exact, spelling included, because files and peers rely on them.
//
// The performance panel has a table of its own (panelStringText, PANEL_STR_*): its
// numbers overlap the console's.

namespace j4::common {

// The text of string `id`, or nullptr when the table has no such string.
const char* stringText(int id);
// The same for the performance panel's table.
const char* panelStringText(int id);

// Window class names.
inline constexpr int STR_CLASS_MAIN_WINDOW = 1;
inline constexpr int STR_CLASS_SUBMASTER_CONTROL = 2;
inline constexpr int STR_CLASS_EVENT_LIST_WINDOW = 3;
inline constexpr int STR_CLASS_CUE_LIST_WINDOW = 4;
inline constexpr int STR_CLASS_CUE_WINDOW = 5;
inline constexpr int STR_CLASS_DEVICE_WINDOW = 6;
inline constexpr int STR_CLASS_RADIO_BUTTON_CONTROL = 7;
inline constexpr int STR_CLASS_XY_FADER = 8;
inline constexpr int STR_CLASS_EVENT_LIST_TABLE = 9;
inline constexpr int STR_CLASS_EVENT_LIST_HEADER = 10;
inline constexpr int STR_CLASS_TIME_CONTROL = 12;
inline constexpr int STR_CLASS_BUTTON = 13;
inline constexpr int STR_CLASS_DEVICE_VIEW = 14;
inline constexpr int STR_CLASS_TEMPLATE_WINDOW = 15;
inline constexpr int STR_CLASS_CUE_CONTROL_VIEW = 16;
inline constexpr int STR_CLASS_UI_POSITION_CONTROL = 17;
inline constexpr int STR_CLASS_UI_FADER_CONTROL = 18;
inline constexpr int STR_CLASS_UI_SELECT_CONTROL = 19;
inline constexpr int STR_CLASS_UI_SWITCH_CONTROL = 20;
inline constexpr int STR_CLASS_UI_MODE_CONTROL = 21;
inline constexpr int STR_CLASS_ANIMATION_CONTROL = 23;
inline constexpr int STR_CLASS_MODE_CONTROL = 24;
inline constexpr int STR_CLASS_TEMPLATE_CONTROL_VIEW = 26;
inline constexpr int STR_CLASS_EDIT_CONTROL_LIST_VIEW = 27;
inline constexpr int STR_CLASS_UI_EFFECT_FADER_CONTROL = 29;
inline constexpr int STR_CLASS_UI_EFFECT_SELECT_CONTROL = 30;
inline constexpr int STR_CLASS_UI_EFFECT_SWITCH_CONTROL = 31;
inline constexpr int STR_CLASS_CHECKBOX_EX = 40;
inline constexpr int STR_CLASS_LIST_BOX_EX = 41;
inline constexpr int STR_CLASS_EDIT_CONTROL_EX = 42;
inline constexpr int STR_CLASS_LIST_VIEW_EX = 43;
inline constexpr int STR_CLASS_TREE_CONTROL_EX = 44;

// Names and labels.
inline constexpr int STR_CLIPBOARD_EVENT_LIST = 50;  // clipboard format of copied Events
inline constexpr int STR_TEMP_DATA_FOLDER = 60;
inline constexpr int STR_UNIVERSE_TAB = 61;  // "Out %d "
inline constexpr int STR_DEVICE_TREE_ROOT = 62;
inline constexpr int STR_CUE_COLUMN_NUMBER = 70;
inline constexpr int STR_CUE_COLUMN_NAME = 71;
inline constexpr int STR_CUE_COLUMN_DESCRIPTION = 72;
inline constexpr int STR_MIXED_TEMPLATES = 73;
inline constexpr int STR_SUBMASTER_NUMBER = 80;  // "%d"
inline constexpr int STR_GRAND_MASTER = 81;
inline constexpr int STR_XY_LABEL_X = 82;
inline constexpr int STR_XY_LABEL_Y = 83;
inline constexpr int STR_XY_STATUS = 84;  // "%d - %d%%": Cue number, level in percent

// Settings names (see common/settings_names.h).
inline constexpr int STR_SETTINGS_KEY = 120;
inline constexpr int STR_SETTING_POS_MAIN_WINDOW = 121;
inline constexpr int STR_SETTING_POS_DEVICE_WINDOW = 122;
inline constexpr int STR_SETTING_POS_TEMPLATE_WINDOW = 123;
inline constexpr int STR_SETTING_POS_EVENT_LIST = 124;
inline constexpr int STR_SETTING_POS_CUE_LIST = 125;
inline constexpr int STR_SETTING_POS_CUE_EDITOR = 126;
inline constexpr int STR_SETTINGS_WINDOW_POS = 127;
inline constexpr int STR_SETTINGS_KEY_ASSIGNMENTS = 128;
inline constexpr int STR_SETTING_ASSIGNMENTS = 129;
inline constexpr int STR_SETTING_USE_CHAR = 130;
inline constexpr int STR_SETTING_TEMPLATE_PATH = 131;
inline constexpr int STR_SETTING_LOGO_PATH = 132;
inline constexpr int STR_SETTING_CREATOR_ID = 133;
inline constexpr int STR_SETTING_EFFECT_PATH = 134;
inline constexpr int STR_SETTING_LAST_OPEN_FILE = 135;

// Live controls, Event List and Cue Editor labels.
inline constexpr int STR_BUMP_FLASH = 152;
inline constexpr int STR_BUMP_LATCH = 153;
inline constexpr int STR_BUMP_SOLO = 154;
inline constexpr int STR_EVENT_COLUMN_TIME = 160;
inline constexpr int STR_EVENT_COLUMN_FADE = 161;
inline constexpr int STR_EVENT_COLUMN_CUE_NUMBER = 162;
inline constexpr int STR_EVENT_COLUMN_CUE_NAME = 163;
inline constexpr int STR_EVENT_COLUMN_COMMENT = 164;
inline constexpr int STR_EVENT_LIST_TAB = 166;  // "Event List %d"
inline constexpr int STR_EVENT_LIST_DISABLED = 168;
inline constexpr int STR_EFFECT_SPEED = 180;
inline constexpr int STR_EFFECT_GAIN = 181;
inline constexpr int STR_EFFECT_ROTATION = 182;
inline constexpr int STR_NO_EFFECT = 183;
inline constexpr int STR_EFFECT_REVERSE = 184;

// Template and effect files: stream names.
inline constexpr int STR_TEMPLATE_VERSION_STREAM = 220;
inline constexpr int STR_TEMPLATE_INFO_STREAM = 221;
inline constexpr int STR_TEMPLATE_CONTROLS_STREAM = 222;
inline constexpr int STR_TEMPLATE_LOGO_STREAM = 223;
inline constexpr int STR_EFFECT_VERSION_STREAM = 230;
inline constexpr int STR_EFFECT_INFO_STREAM = 231;
inline constexpr int STR_EFFECT_POINTS_STREAM = 232;

// Template Editor.
inline constexpr int STR_SELECT_COLUMN_VALUE = 240;
inline constexpr int STR_SELECT_COLUMN_DESCRIPTION = 241;
inline constexpr int STR_MODE_COLUMN_TAB_TEXT = 242;
inline constexpr int STR_MODE_COLUMN_CHANNEL_VALUE = 243;
inline constexpr int STR_MODE_COLUMN_RANGE_LOW = 244;
inline constexpr int STR_MODE_COLUMN_RANGE_HIGH = 245;
inline constexpr int STR_FIRST_MODE_PAGE = 246;    // "Page 1"
inline constexpr int STR_NEW_FOLDER_NAME = 250;    // "Folder %d"
inline constexpr int STR_NEW_TEMPLATE_NAME = 251;  // "Template %d"

// Window titles: the show name followed by a suffix.
inline constexpr int STR_TITLE_MAIN = 260;
inline constexpr int STR_TITLE_EVENT_LIST = 261;
inline constexpr int STR_TITLE_DEVICE_MANAGER = 262;
inline constexpr int STR_TITLE_CUE_LIST = 263;
inline constexpr int STR_TITLE_TEMPLATE_EDITOR = 265;
inline constexpr int STR_TITLE_CUE_NAMED = 266;  // " - Cue #%d [%s]"
inline constexpr int STR_TITLE_CUE = 267;        // " - Cue #%d"
inline constexpr int STR_UNTITLED_SHOW = 268;

// Show file: storage and stream names.
inline constexpr int STR_SHOW_VERSION_STREAM = 300;
inline constexpr int STR_SHOW_EVENT_LISTS = 301;
inline constexpr int STR_SHOW_EVENT_LIST_INFO = 302;
inline constexpr int STR_SHOW_EVENTS = 303;
inline constexpr int STR_SHOW_EVENT_LIST_SETTINGS = 304;
inline constexpr int STR_SHOW_DEVICES = 310;
inline constexpr int STR_SHOW_GROUPS = 311;
inline constexpr int STR_SHOW_DEVICE_INFO = 312;
inline constexpr int STR_SHOW_DEVICE_CONTROLS = 313;
inline constexpr int STR_SHOW_CUES = 320;
inline constexpr int STR_SHOW_CUE_INFO = 321;
inline constexpr int STR_SHOW_CUE_DEVICES = 322;
inline constexpr int STR_SHOW_CUE_EFFECTS = 323;
inline constexpr int STR_SHOW_CUE_DATA = 324;
inline constexpr int STR_SHOW_PRESETS = 330;
inline constexpr int STR_SHOW_PRESETS_INFO = 331;
inline constexpr int STR_SHOW_PRESETS_DATA = 332;
inline constexpr int STR_SHOW_INPUT = 340;
inline constexpr int STR_SHOW_INPUT_INFO = 341;

// Position widget readouts.
inline constexpr int STR_PAN_READOUT = 350;   // "Pan: %1.1f%%"
inline constexpr int STR_TILT_READOUT = 351;  // "Tilt: %1.1f%%"
inline constexpr int STR_PAN_NONE = 352;
inline constexpr int STR_TILT_NONE = 353;

// The caption of every message box, and the messages.
inline constexpr int STR_APP_CAPTION = 500;
inline constexpr int MSG_DEVICE_OVERLAP = 501;
inline constexpr int MSG_SHOW_OPEN_FAILED = 503;
inline constexpr int MSG_SHOW_SAVE_FAILED = 504;
inline constexpr int MSG_SAVE_CHANGES = 505;
inline constexpr int MSG_CONTINUE_WITHOUT_HARDWARE = 506;
inline constexpr int MSG_RENDERING_INIT_FAILED = 507;
inline constexpr int MSG_SELECT_VALUE_INVALID = 508;
inline constexpr int MSG_DELETE_MODE_PAGE = 509;
inline constexpr int MSG_MODE_VALUE_INVALID = 510;
inline constexpr int MSG_SAVE_TEMPLATE_CHANGES = 511;
inline constexpr int MSG_TEMPLATE_SAVE_FAILED = 512;
inline constexpr int MSG_TEMPLATE_PATH_MISSING = 513;
inline constexpr int MSG_TEMPLATE_FOLDER_NOT_FOUND = 514;
inline constexpr int MSG_FOLDER_CREATE_FAILED = 515;
inline constexpr int MSG_DELETE_FOLDER = 516;
inline constexpr int MSG_DELETE_TEMPLATE = 517;
inline constexpr int MSG_FOLDER_DELETE_FAILED = 518;
inline constexpr int MSG_TEMPLATE_DELETE_FAILED = 519;
inline constexpr int MSG_TEMPLATE_CREATE_FAILED = 520;
inline constexpr int MSG_TEMPLATES_NOT_LOADED = 521;
inline constexpr int MSG_FOLDER_RENAME_FAILED = 522;
inline constexpr int MSG_TEMPLATE_RENAME_FAILED = 523;
inline constexpr int MSG_TEMPLATE_DATA_LOAD_FAILED = 524;
inline constexpr int MSG_TEMPLATE_WITHOUT_CHANNELS = 525;
inline constexpr int MSG_EFFECT_PATH_MISSING = 526;
inline constexpr int MSG_EFFECT_FOLDER_NOT_FOUND = 527;
inline constexpr int MSG_CUE_NUMBER_INVALID = 530;
inline constexpr int MSG_CUE_NOT_FOUND = 531;
inline constexpr int MSG_RENDERING_RESET_FAILED = 532;
inline constexpr int MSG_WINDOW_OPEN_FAILED = 533;
inline constexpr int MSG_CONTROLS_SHARE_CHANNEL = 534;
inline constexpr int MSG_DRIVER_VERSION_WRONG = 535;
inline constexpr int MSG_HARDWARE_IN_USE = 536;
inline constexpr int MSG_INPUT_ADDRESS_INVALID = 537;
inline constexpr int MSG_EVENT_TIME_IN_USE = 538;
inline constexpr int MSG_PASTE_OVERLAP = 539;
inline constexpr int MSG_HARDWARE_LOST = 540;
inline constexpr int MSG_CONTROL_NO_SPACE = 541;
inline constexpr int MSG_DEVICE_EXCEEDS_UNIVERSE = 542;
inline constexpr int MSG_SHOW_RUNNING_NO_PREVIEW = 543;
inline constexpr int MSG_TEMPLATE_READ_ONLY = 544;
inline constexpr int MSG_TEMPLATE_EXISTS = 545;
inline constexpr int MSG_TEMPLATE_CERTIFIED_OVERWRITE = 546;
inline constexpr int MSG_DEVICES_USED_IN_CUES = 547;
inline constexpr int MSG_TEMPLATE_CERTIFIED_DELETE = 548;
inline constexpr int MSG_FOLDER_HAS_CERTIFIED = 549;
inline constexpr int MSG_TEMPLATE_CERTIFIED_RENAME = 550;
inline constexpr int MSG_EXIT_APPLICATION = 551;
inline constexpr int MSG_CLOSE_SHOW = 552;
inline constexpr int MSG_FILE_VERSION_INCOMPATIBLE = 554;
inline constexpr int MSG_OUTPUT_ACTIVE_NO_SLEEP = 583;

// Toolbar tooltips (numbered like their commands).
inline constexpr int STR_TIP_NEW_SHOW = 40020;
inline constexpr int STR_TIP_OPEN_SHOW = 40021;
inline constexpr int STR_TIP_SAVE_SHOW = 40023;
inline constexpr int STR_TIP_EVENT_LIST = 40044;
inline constexpr int STR_TIP_DEVICE_MANAGER = 40045;
inline constexpr int STR_TIP_CUE_LIST = 40046;

// Network links: peer-search questions and their caption.
inline constexpr int MSG_ARKAOS_NOT_FOUND = 40131;
inline constexpr int STR_ARTNET_ERROR_CAPTION = 40132;
inline constexpr int MSG_ARTNET_NOT_FOUND = 40133;

// The performance panel's own table.
inline constexpr const char* PANEL_CAPTION = "Quelvo";
inline constexpr int PANEL_STR_SELECT_BITMAP = 200;
inline constexpr int PANEL_STR_STORAGE = 300;          // "Quelvo"
inline constexpr int PANEL_STR_PAGE = 301;             // "Page %d"
inline constexpr int PANEL_STR_SEQUENCE = 302;         // "Sequence %d"
inline constexpr int PANEL_STR_SEQUENCE_DATA = 310;    // "Data"
inline constexpr int PANEL_STR_SEQUENCE_BITMAP = 311;  // "Bitmap"
inline constexpr int PANEL_STR_TEMP_FOLDER = 400;
inline constexpr int PANEL_STR_SUBMASTERS = 61204;

}  // namespace j4::common
