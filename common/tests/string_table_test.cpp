#include "common/string_table.h"

#include <gtest/gtest.h>

#include <string>

#include "common/settings_names.h"

namespace j4::common {
namespace {

TEST(StringTable, SpotChecks) {
    struct Case {
        int id;
        const char* text;
    } cases[] = {
        {STR_CLASS_MAIN_WINDOW, "MainWindow"},
        {STR_CLASS_TREE_CONTROL_EX, "TreeControlEx"},
        {STR_CLIPBOARD_EVENT_LIST, "CorvantaJ4EventListBinary_V11"},
        {STR_UNIVERSE_TAB, "Out %d "},
        {STR_XY_STATUS, "%d - %d%%"},
        {STR_SETTINGS_KEY, "Software\\Corvanta\\Corvanta J4"},
        {STR_SETTING_CREATOR_ID, "CreatorID"},
        {STR_EVENT_COLUMN_FADE, "Fade (out, in)"},
        {STR_EFFECT_ROTATION, "Rot."},
        {STR_TITLE_CUE_NAMED, " - Cue #%d [%s]"},
        {STR_UNTITLED_SHOW, "Untitled Show"},
        {STR_SHOW_VERSION_STREAM, "CorvantaJ4"},
        {STR_SHOW_INPUT_INFO, "Info"},
        {STR_TILT_NONE, "Tilt: --%"},
        {STR_APP_CAPTION, "Corvanta J4"},
        {MSG_SHOW_OPEN_FAILED, "An error occured opening the file."},  // spelling as shipped
        {MSG_SAVE_CHANGES, "Do you want to save the changes?"},
        {MSG_HARDWARE_IN_USE, "Corvanta J4 hardware already in use."},
        {MSG_FILE_VERSION_INCOMPATIBLE,
         "Incompatible file version. A software upgrade is required to load file."},
        {MSG_OUTPUT_ACTIVE_NO_SLEEP,
         "DMX output is currently active. You must exit the Corvanta J4 application before "
         "placing your system in hibernate or stand-by."},
        {STR_TIP_EVENT_LIST, "Show Event List (Ctrl+4)"},
        {STR_ARTNET_ERROR_CAPTION, "Art-Net Error"},
    };
    for (const auto& c : cases) {
        ASSERT_NE(stringText(c.id), nullptr) << c.id;
        EXPECT_STREQ(stringText(c.id), c.text) << c.id;
    }
    EXPECT_NE(std::string(stringText(MSG_CONTINUE_WITHOUT_HARDWARE)).find("continue"),
              std::string::npos);
}

TEST(StringTable, UnknownIdsHaveNoText) {
    for (int id : {0, -1, 11, 502, 528, 584, 40134, 1'000'000})
        EXPECT_EQ(stringText(id), nullptr) << id;
    EXPECT_EQ(panelStringText(500), nullptr);
}

TEST(StringTable, ThePanelHasItsOwnNumbers) {
    EXPECT_STREQ(stringText(300), "CorvantaJ4");
    EXPECT_STREQ(panelStringText(PANEL_STR_STORAGE), "Quelvo");
    EXPECT_STREQ(panelStringText(PANEL_STR_SEQUENCE), "Sequence %d");
    EXPECT_STREQ(panelStringText(PANEL_STR_SUBMASTERS), "Submasters");
    EXPECT_STREQ(PANEL_CAPTION, "Quelvo");
}

TEST(StringTable, SettingsNamesAreTheTableTexts) {
    EXPECT_STREQ(stringText(STR_SETTINGS_KEY), SETTINGS_KEY);
    EXPECT_EQ(std::string(SETTINGS_KEY) + "\\" + stringText(STR_SETTINGS_WINDOW_POS),
              SETTINGS_KEY_WINDOW_POS);
    EXPECT_EQ(std::string(SETTINGS_KEY) + "\\" + stringText(STR_SETTINGS_KEY_ASSIGNMENTS),
              SETTINGS_KEY_KEY_ASSIGNMENTS);
}

}  // namespace
}  // namespace j4::common
