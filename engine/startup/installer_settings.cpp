// j4_installer_settings TEMPLATE_FOLDER EFFECT_FOLDER: writes the machine settings an
// installation makes, "TemplatePath" and "EffectPath", into the settings store
// ($J4_SETTINGS_ROOT when set).

#include <iostream>

#include "common/settings_names.h"
#include "platform/settings_store.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: j4_installer_settings TEMPLATE_FOLDER EFFECT_FOLDER\n";
        return 2;
    }
    using namespace j4;
    platform::SettingsStore machine(platform::SettingsScope::Machine);
    if (!machine.writeString(common::SETTINGS_KEY, common::SETTING_TEMPLATE_PATH, argv[1]) ||
        !machine.writeString(common::SETTINGS_KEY, common::SETTING_EFFECT_PATH, argv[2])) {
        std::cerr << "j4_installer_settings: cannot write the settings in " << machine.folder()
                  << "\n";
        return 1;
    }
    return 0;
}
