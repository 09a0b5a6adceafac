#include "common/string_table.h"

#include <algorithm>
#include <iterator>

#include "common/settings_names.h"

namespace j4::common {

namespace {

struct Entry {
    int id;
    const char* text;
};

// Sorted by id (checked by the tests); looked up by binary search.
constexpr Entry CONSOLE_STRINGS[] = {
    {STR_CLASS_MAIN_WINDOW, "MainWindow"},
    {STR_CLASS_SUBMASTER_CONTROL, "SubmasterControlWindow"},
    {STR_CLASS_EVENT_LIST_WINDOW, "EventListWindow"},
    {STR_CLASS_CUE_LIST_WINDOW, "CueListWindow"},
    {STR_CLASS_CUE_WINDOW, "CueWindow"},
    {STR_CLASS_DEVICE_WINDOW, "DeviceWindow"},
    {STR_CLASS_RADIO_BUTTON_CONTROL, "RadioButtonControlWindow"},
    {STR_CLASS_XY_FADER, "XYFaderWindow"},
    {STR_CLASS_EVENT_LIST_TABLE, "EventListTableWindow"},
    {STR_CLASS_EVENT_LIST_HEADER, "EventListHeaderWindow"},
    {STR_CLASS_TIME_CONTROL, "TimeControlWindow"},
    {STR_CLASS_BUTTON, "ButtonWindow"},
    {STR_CLASS_DEVICE_VIEW, "DeviceViewWindow"},
    {STR_CLASS_TEMPLATE_WINDOW, "TemplateWindow"},
    {STR_CLASS_CUE_CONTROL_VIEW, "CueControlView"},
    {STR_CLASS_UI_POSITION_CONTROL, "UIPositionControl"},
    {STR_CLASS_UI_FADER_CONTROL, "UIFaderControl"},
    {STR_CLASS_UI_SELECT_CONTROL, "UISelectControl"},
    {STR_CLASS_UI_SWITCH_CONTROL, "UISwitchControl"},
    {STR_CLASS_UI_MODE_CONTROL, "UIModeControl"},
    {STR_CLASS_ANIMATION_CONTROL, "AnimationControl"},
    {STR_CLASS_MODE_CONTROL, "ModeControl"},
    {STR_CLASS_TEMPLATE_CONTROL_VIEW, "TemplateControlView"},
    {STR_CLASS_EDIT_CONTROL_LIST_VIEW, "EditControlListView"},
    {STR_CLASS_UI_EFFECT_FADER_CONTROL, "UIEffectFaderControl"},
    {STR_CLASS_UI_EFFECT_SELECT_CONTROL, "UIEffectSelectControl"},
    {STR_CLASS_UI_EFFECT_SWITCH_CONTROL, "UIEffectSwitchControl"},
    {STR_CLASS_CHECKBOX_EX, "CheckboxEx"},
    {STR_CLASS_LIST_BOX_EX, "ListBoxEx"},
    {STR_CLASS_EDIT_CONTROL_EX, "EditControlEx"},
    {STR_CLASS_LIST_VIEW_EX, "ListViewEx"},
    {STR_CLASS_TREE_CONTROL_EX, "TreeControlEx"},
    {STR_CLIPBOARD_EVENT_LIST, "CorvantaJ4EventListBinary_V11"},
    {STR_TEMP_DATA_FOLDER, "Corvanta J4 Data"},
    {STR_UNIVERSE_TAB, "Out %d "},
    {STR_DEVICE_TREE_ROOT, "DMX Devices"},
    {STR_CUE_COLUMN_NUMBER, "Cue#"},
    {STR_CUE_COLUMN_NAME, "Cue Name"},
    {STR_CUE_COLUMN_DESCRIPTION, "Description"},
    {STR_MIXED_TEMPLATES, "Only Devices based on the same Template can be simultaneously edited."},
    {STR_SUBMASTER_NUMBER, "%d"},
    {STR_GRAND_MASTER, "GM"},
    {STR_XY_LABEL_X, "X"},
    {STR_XY_LABEL_Y, "Y"},
    {STR_XY_STATUS, "%d - %d%%"},
    {STR_SETTINGS_KEY, SETTINGS_KEY},
    {STR_SETTING_POS_MAIN_WINDOW, SETTING_POS_MAIN_WINDOW},
    {STR_SETTING_POS_DEVICE_WINDOW, SETTING_POS_DEVICE_WINDOW},
    {STR_SETTING_POS_TEMPLATE_WINDOW, SETTING_POS_TEMPLATE_WINDOW},
    {STR_SETTING_POS_EVENT_LIST, SETTING_POS_EVENT_LIST},
    {STR_SETTING_POS_CUE_LIST, SETTING_POS_CUE_LIST},
    {STR_SETTING_POS_CUE_EDITOR, SETTING_POS_CUE_EDITOR},
    {STR_SETTINGS_WINDOW_POS, SETTINGS_WINDOW_POS},
    {STR_SETTINGS_KEY_ASSIGNMENTS, SETTINGS_KEY_ASSIGNMENTS},
    {STR_SETTING_ASSIGNMENTS, SETTING_ASSIGNMENTS},
    {STR_SETTING_USE_CHAR, SETTING_USE_CHAR},
    {STR_SETTING_TEMPLATE_PATH, SETTING_TEMPLATE_PATH},
    {STR_SETTING_LOGO_PATH, SETTING_LOGO_PATH},
    {STR_SETTING_CREATOR_ID, SETTING_CREATOR_ID},
    {STR_SETTING_EFFECT_PATH, SETTING_EFFECT_PATH},
    {STR_SETTING_LAST_OPEN_FILE, SETTING_LAST_OPEN_FILE},
    {STR_BUMP_FLASH, "Flash"},
    {STR_BUMP_LATCH, "Latch"},
    {STR_BUMP_SOLO, "Solo"},
    {STR_EVENT_COLUMN_TIME, "Time"},
    {STR_EVENT_COLUMN_FADE, "Fade (out, in)"},
    {STR_EVENT_COLUMN_CUE_NUMBER, "Cue#"},
    {STR_EVENT_COLUMN_CUE_NAME, "Cue Name"},
    {STR_EVENT_COLUMN_COMMENT, "Comment"},
    {STR_EVENT_LIST_TAB, "Event List %d"},
    {STR_EVENT_LIST_DISABLED, "disabled"},
    {STR_EFFECT_SPEED, "Speed"},
    {STR_EFFECT_GAIN, "Gain"},
    {STR_EFFECT_ROTATION, "Rot."},
    {STR_NO_EFFECT, "<No Effect>"},
    {STR_EFFECT_REVERSE, "Reverse"},
    {STR_TEMPLATE_VERSION_STREAM, "TemplateJ4"},
    {STR_TEMPLATE_INFO_STREAM, "Info"},
    {STR_TEMPLATE_CONTROLS_STREAM, "Controls"},
    {STR_TEMPLATE_LOGO_STREAM, "Logo"},
    {STR_EFFECT_VERSION_STREAM, "EffectJ4"},
    {STR_EFFECT_INFO_STREAM, "Info"},
    {STR_EFFECT_POINTS_STREAM, "Points"},
    {STR_SELECT_COLUMN_VALUE, "Value"},
    {STR_SELECT_COLUMN_DESCRIPTION, "Description"},
    {STR_MODE_COLUMN_TAB_TEXT, "Page Tab Text"},
    {STR_MODE_COLUMN_CHANNEL_VALUE, "Mode Channel Value"},
    {STR_MODE_COLUMN_RANGE_LOW, "Range Low"},
    {STR_MODE_COLUMN_RANGE_HIGH, "Range High"},
    {STR_FIRST_MODE_PAGE, "Page 1"},
    {STR_NEW_FOLDER_NAME, "Folder %d"},
    {STR_NEW_TEMPLATE_NAME, "Template %d"},
    {STR_TITLE_MAIN, " - Corvanta J4"},
    {STR_TITLE_EVENT_LIST, " - Event List"},
    {STR_TITLE_DEVICE_MANAGER, " - Device Manager"},
    {STR_TITLE_CUE_LIST, " - Cue List"},
    {STR_TITLE_TEMPLATE_EDITOR, " - Template Editor"},
    {STR_TITLE_CUE_NAMED, " - Cue #%d [%s]"},
    {STR_TITLE_CUE, " - Cue #%d"},
    {STR_UNTITLED_SHOW, "Untitled Show"},
    {STR_SHOW_VERSION_STREAM, "CorvantaJ4"},
    {STR_SHOW_EVENT_LISTS, "EventLists"},
    {STR_SHOW_EVENT_LIST_INFO, "Info"},
    {STR_SHOW_EVENTS, "Events"},
    {STR_SHOW_EVENT_LIST_SETTINGS, "Settings"},
    {STR_SHOW_DEVICES, "Devices"},
    {STR_SHOW_GROUPS, "Groups"},
    {STR_SHOW_DEVICE_INFO, "Info"},
    {STR_SHOW_DEVICE_CONTROLS, "Controls"},
    {STR_SHOW_CUES, "Cues"},
    {STR_SHOW_CUE_INFO, "Info"},
    {STR_SHOW_CUE_DEVICES, "Devices"},
    {STR_SHOW_CUE_EFFECTS, "Effects"},
    {STR_SHOW_CUE_DATA, "Data"},
    {STR_SHOW_PRESETS, "Presets"},
    {STR_SHOW_PRESETS_INFO, "Info"},
    {STR_SHOW_PRESETS_DATA, "Data"},
    {STR_SHOW_INPUT, "Input"},
    {STR_SHOW_INPUT_INFO, "Info"},
    {STR_PAN_READOUT, "Pan: %1.1f%%"},
    {STR_TILT_READOUT, "Tilt: %1.1f%%"},
    {STR_PAN_NONE, "Pan: --%"},
    {STR_TILT_NONE, "Tilt: --%"},
    {STR_APP_CAPTION, "Corvanta J4"},
    {MSG_DEVICE_OVERLAP,
     "Device cannot be inserted because of potential overlap with an existing Device."},
    {MSG_SHOW_OPEN_FAILED, "An error occured opening the file."},
    {MSG_SHOW_SAVE_FAILED, "An error occured while saving the file."},
    {MSG_SAVE_CHANGES, "Do you want to save the changes?"},
    // The only message whose wording is not fixed elsewhere: the question asked when
    // no interface answers, with OK to go on without hardware and Cancel to quit.
    {MSG_CONTINUE_WITHOUT_HARDWARE,
     "No Corvanta J4 hardware was detected. Select 'OK' to continue without hardware or "
     "'Cancel' to exit."},
    {MSG_RENDERING_INIT_FAILED,
     "Cannot initialize DirectX. DirectX 8.1 or higher must be installed and your Display "
     "settings must be set to 16-bit or 32-bit color for this application to run."},
    {MSG_SELECT_VALUE_INVALID,
     "Cannot convert values. Please enter a number from 0 to 255 (or 0% to 100%)."},
    {MSG_DELETE_MODE_PAGE,
     "Are you sure you want to delete the Mode Page and all the sub controls contained in it?"},
    {MSG_MODE_VALUE_INVALID,
     "Cannot convert values. The Mode channel and Range values must be a number from 0 to 255 "
     "(or 0% to 100%)."},
    {MSG_SAVE_TEMPLATE_CHANGES, "Save changes made to this Template?"},
    {MSG_TEMPLATE_SAVE_FAILED, "An error occured while saving the Template."},
    {MSG_TEMPLATE_PATH_MISSING,
     "Cannot access registry keys created during installation. Make sure that the installation "
     "was completed successfully."},
    {MSG_TEMPLATE_FOLDER_NOT_FOUND, "Cannot find the Template folder."},
    {MSG_FOLDER_CREATE_FAILED, "An error occured while creating the Template Folder."},
    {MSG_DELETE_FOLDER,
     "Do you really want to delete the selected Template Folder and all the Templates in it?"},
    {MSG_DELETE_TEMPLATE, "Do you really want to delete the selected Template?"},
    {MSG_FOLDER_DELETE_FAILED, "An error occured while deleting the Template Folder."},
    {MSG_TEMPLATE_DELETE_FAILED, "An error occured while deleting the Template."},
    {MSG_TEMPLATE_CREATE_FAILED, "An error occured while creating the Template."},
    {MSG_TEMPLATES_NOT_LOADED,
     "Some Templates could not be loaded. Please check your J4 installation."},
    {MSG_FOLDER_RENAME_FAILED,
     "An error occured while renaming the Template Folder. A folder with the same name may "
     "already exist."},
    {MSG_TEMPLATE_RENAME_FAILED,
     "An error occured while renaming the Template. A template with the same name may already "
     "exist."},
    {MSG_TEMPLATE_DATA_LOAD_FAILED,
     "An error occured while trying to load required Template data."},
    {MSG_TEMPLATE_WITHOUT_CHANNELS,
     "The selected Template does not use any DMX channels. A Template needs to use at least one "
     "DMX channel in order for it to create a Device."},
    {MSG_EFFECT_PATH_MISSING,
     "Cannot access registry keys created during installation. Make sure the installation was "
     "completed successfully."},
    {MSG_EFFECT_FOLDER_NOT_FOUND, "Cannot find the Effects folder."},
    {MSG_CUE_NUMBER_INVALID,
     "Cannot create new Cue. Either the Cue Number is already in use or invalid. (Cue Numbers "
     "must be a value from 1 to 1000000.)"},
    {MSG_CUE_NOT_FOUND,
     "No Cue with that number exists. Please enter the number of an existing Cue."},
    {MSG_RENDERING_RESET_FAILED,
     "Cannot reset DirectX. Please make sure that your Display Adapter is set to 16-bit or "
     "32-bit color mode."},
    {MSG_WINDOW_OPEN_FAILED,
     "An error occured opening the window. This can occur if your Display Adapter is running "
     "out of video memory. Try closing other applications or selecting a lower screen "
     "resolution."},
    {MSG_CONTROLS_SHARE_CHANNEL,
     "One or more Controls are assigned to the same DMX channel. This can cause unpredictable "
     "behaviour. Save the Template anyway?"},
    {MSG_DRIVER_VERSION_WRONG, "Incorrect hardware device driver version detected."},
    {MSG_HARDWARE_IN_USE, "Corvanta J4 hardware already in use."},
    {MSG_INPUT_ADDRESS_INVALID,
     "An error occured setting the DMX input base address. The base address must be a value "
     "from 1 to 512."},
    {MSG_EVENT_TIME_IN_USE, "An Event with that time already exists. Please enter a unique time."},
    {MSG_PASTE_OVERLAP,
     "Cannot paste Events because of overlapping Event times. Either delete the conflicting "
     "existing events or paste at another location."},
    {MSG_HARDWARE_LOST,
     "Communication has been lost to the J4 hardware. You will need to restart the "
     "application."},
    {MSG_CONTROL_NO_SPACE, "Cannot insert Control because of insufficient space."},
    {MSG_DEVICE_EXCEEDS_UNIVERSE,
     "Cannot insert Device because it exceeds the boundary of the current DMX Universe."},
    {MSG_SHOW_RUNNING_NO_PREVIEW,
     "The show is currently running (Play or Record). The selected Cue will not be "
     "automatically assigned to an X or Y Crossfader for display."},
    {MSG_TEMPLATE_READ_ONLY, "The Template cannot be saved because it is read only."},
    {MSG_TEMPLATE_EXISTS,
     "A Template with the given name already exists. Do you want to overwrite the existing "
     "Template?"},
    {MSG_TEMPLATE_CERTIFIED_OVERWRITE,
     "The Template is certified and can't be overwritten. Save changes to a different name."},
    {MSG_DEVICES_USED_IN_CUES,
     "One or more Devices are currently used in a Cue. Deleting the device(s) will remove them "
     "from the cue(s). Continue?"},
    {MSG_TEMPLATE_CERTIFIED_DELETE, "The selected Template is certified and cannot be deleted."},
    {MSG_FOLDER_HAS_CERTIFIED,
     "The selected Folder contains certified Templates and cannot be deleted."},
    {MSG_TEMPLATE_CERTIFIED_RENAME, "The selected Template is certified and cannot be renamed."},
    {MSG_EXIT_APPLICATION,
     "Do you really want to exit the application and close the current show?"},
    {MSG_CLOSE_SHOW, "Do you really want to close the current show?"},
    {MSG_FILE_VERSION_INCOMPATIBLE,
     "Incompatible file version. A software upgrade is required to load file."},
    {MSG_OUTPUT_ACTIVE_NO_SLEEP,
     "DMX output is currently active. You must exit the Corvanta J4 application before placing "
     "your system in hibernate or stand-by."},
    {STR_TIP_NEW_SHOW, "Create New Show File (Ctrl+N)"},
    {STR_TIP_OPEN_SHOW, "Open Show File (Ctrl+O)"},
    {STR_TIP_SAVE_SHOW, "Save current Show to File (Ctrl+S)"},
    {STR_TIP_EVENT_LIST, "Show Event List (Ctrl+4)"},
    {STR_TIP_DEVICE_MANAGER, "Show Device Manager (Ctrl+2)"},
    {STR_TIP_CUE_LIST, "Show Cue List (Ctrl+3)"},
    {MSG_ARKAOS_NOT_FOUND,
     "'ArKaos VJ' not found on LAN. Select 'Yes' to continue searching. Select 'No' to "
     "broadcast directly to local machine (Art-Net Subnet 0, Universe 15)."},
    {STR_ARTNET_ERROR_CAPTION, "Art-Net Error"},
    {MSG_ARTNET_NOT_FOUND,
     "No ArtNet devices found on LAN. Select 'Yes' to continue searching. Select 'No' to "
     "broadcast directly to local machine (Art-Net Subnet 0)."},
};

constexpr Entry PANEL_STRINGS[] = {
    {PANEL_STR_SELECT_BITMAP, "Select Bitmap for Sequence"},
    {PANEL_STR_STORAGE, "Quelvo"},
    {PANEL_STR_PAGE, "Page %d"},
    {PANEL_STR_SEQUENCE, "Sequence %d"},
    {PANEL_STR_SEQUENCE_DATA, "Data"},
    {PANEL_STR_SEQUENCE_BITMAP, "Bitmap"},
    {PANEL_STR_TEMP_FOLDER, "Corvanta J4 Quelvo Data"},
    {PANEL_STR_SUBMASTERS, "Submasters"},
};

constexpr bool sortedById(const Entry* begin, const Entry* end) {
    for (const Entry* e = begin; e + 1 < end; ++e)
        if (e->id >= (e + 1)->id) return false;
    return true;
}
static_assert(sortedById(std::begin(CONSOLE_STRINGS), std::end(CONSOLE_STRINGS)),
              "the console's string table must be sorted by id, without duplicates");
static_assert(sortedById(std::begin(PANEL_STRINGS), std::end(PANEL_STRINGS)),
              "the panel's string table must be sorted by id, without duplicates");

template <size_t N>
const char* lookUp(const Entry (&table)[N], int id) {
    const Entry* it = std::lower_bound(std::begin(table), std::end(table), id,
                                       [](const Entry& e, int key) { return e.id < key; });
    return it != std::end(table) && it->id == id ? it->text : nullptr;
}

}  // namespace

const char* stringText(int id) {
    return lookUp(CONSOLE_STRINGS, id);
}

const char* panelStringText(int id) {
    return lookUp(PANEL_STRINGS, id);
}

}  // namespace j4::common
