#include "driver/driver_settings.h"

#include <cstdlib>
#include <cstring>

#include "platform/settings_store.h"

namespace j4::driver {

DriverSettings readDriverSettings() {
    const platform::SettingsStore store(platform::SettingsScope::Machine);
    DriverSettings s;
    s.simulation = store.readNumber(SETTINGS_KEY, SETTING_SIMULATION).value_or(0) == 1;
    if (const char* env = std::getenv(SIMULATION_ENVIRONMENT); env && std::strcmp(env, "1") == 0)
        s.simulation = true;
    const auto model = store.readString(SETTINGS_KEY, SETTING_SIMULATION_MODEL).value_or("J4");
    s.simulationModel = model == "R2" ? Model::R2 : model == "T6" ? Model::T6 : Model::J4;
    // Only the four slots exist; a mask without any of them means the default.
    s.simulationSlots = store.readNumber(SETTINGS_KEY, SETTING_SIMULATION_SLOTS).value_or(1) & 0xF;
    if (s.simulationSlots == 0) s.simulationSlots = 1;
    s.manualPacing =
        store.readString(SETTINGS_KEY, SETTING_SIMULATION_PACING).value_or("") == "Manual";
    s.firmwareFolder = store.readString(SETTINGS_KEY, SETTING_FIRMWARE_FOLDER).value_or("");
    return s;
}

std::optional<uint32_t> readPairingSetting() {
    const platform::SettingsStore store(platform::SettingsScope::Machine);
    return store.readNumber(SETTINGS_KEY, SETTING_PAIRING);
}

}  // namespace j4::driver
