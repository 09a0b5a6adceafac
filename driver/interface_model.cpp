#include "driver/interface_model.h"

namespace j4::driver {

namespace {
// First-generation parts have 8 KB of program memory, the second generation 16 KB.
constexpr ModelInfo MODELS[] = {
    {"J4", 4, FIRMWARE_OPERATING_J4, 0x7F92, 3, 0, 1, 2048, 0x2000},
    {"R2", 1, FIRMWARE_OPERATING_J4, 0x7F92, 3, 0, 1, 2048, 0x2000},
    {"T6", 1, FIRMWARE_OPERATING_T6, 0xE600, 6, 1, 4, 512, 0x4000},
};
}  // namespace

const ModelInfo& modelInfo(Model model) {
    return MODELS[static_cast<int>(model)];
}

std::string deviceName(Model model, int slot) {
    return std::string("\\\\.\\Corvanta") + modelInfo(model).name + "-" + std::to_string(slot);
}

std::string slotLockName(int slot) {
    return "Corvanta J4 DLL Semaphore " + std::to_string(slot) + ".lock";
}

uint32_t slotUniverseMask(Model model, int slot) {
    if (modelInfo(model).universes == 4) return 0x000Fu << (4 * slot);
    return 1u << slot;
}

}  // namespace j4::driver
