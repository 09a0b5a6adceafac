#pragma once
// The driver's machine settings, read from the settings store under the console's
// key. Besides "HWPairing" (two interfaces in slots 0 and 1 act as one), the driver
// reads the choice of the simulated interface and where firmware images come from.
//
//   Simulation        number  1 = run against the simulated interface
//   SimulationModel   string  "J4" (default), "R2" or "T6"
//   SimulationSlots   number  bit k set = a simulated interface in slot k (default 1)
//   SimulationPacing  string  "RealTime" (default: a frame every 1/30 s) or "Manual"
//                             (frames only when stepped through the control socket)
//   FirmwareFolder    string  a folder holding 101.hex, 102.hex, 103.hex to use
//                             instead of the embedded images
//
// The environment variable J4_DRIVER_SIMULATION=1 turns the simulation on whatever
// the setting says (tests and demos).

#include <cstdint>
#include <optional>
#include <string>

#include "common/settings_names.h"
#include "driver/interface_model.h"

namespace j4::driver {

inline constexpr const char* SETTINGS_KEY = common::SETTINGS_KEY;
inline constexpr const char* SETTING_PAIRING = "HWPairing";
inline constexpr const char* SETTING_SIMULATION = "Simulation";
inline constexpr const char* SETTING_SIMULATION_MODEL = "SimulationModel";
inline constexpr const char* SETTING_SIMULATION_SLOTS = "SimulationSlots";
inline constexpr const char* SETTING_SIMULATION_PACING = "SimulationPacing";
inline constexpr const char* SETTING_FIRMWARE_FOLDER = "FirmwareFolder";
inline constexpr const char* SIMULATION_ENVIRONMENT = "J4_DRIVER_SIMULATION";

struct DriverSettings {
    bool simulation = false;
    Model simulationModel = Model::J4;
    uint32_t simulationSlots = 1;
    bool manualPacing = false;
    std::string firmwareFolder;
};

DriverSettings readDriverSettings();
std::optional<uint32_t> readPairingSetting();

}  // namespace j4::driver
