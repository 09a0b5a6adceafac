#pragma once
// The three interface models, their properties, and the device and lock names of the
// four slots.

#include <cstdint>
#include <string>

namespace j4::driver {

enum class Model { J4, R2, T6 };

struct ModelInfo {
    const char* name;      // the model part of the device name
    int universes;         // per interface
    int firmwareId;        // operating image
    uint16_t cpuRegister;  // CPU control register
    uint32_t pipeCount;
    uint32_t statusPipe;
    uint32_t inputPipe;
    int transferBytes;     // channel data per transfer
    uint32_t memoryBytes;  // program memory a firmware image may fill
};

const ModelInfo& modelInfo(Model model);

inline constexpr uint32_t OUTPUT_PIPE = 2;
inline constexpr int SLOTS = 4;
inline constexpr int FIRMWARE_OPERATING_J4 = 101;
inline constexpr int FIRMWARE_IDLE = 102;
inline constexpr int FIRMWARE_OPERATING_T6 = 103;

// "\\.\CorvantaJ4-0": the name under which the kernel driver offers slot k.
std::string deviceName(Model model, int slot);
// The lock file that marks slot k as owned by a process.
std::string slotLockName(int slot);

// Universe-mask bits an interface in `slot` adds (the main one is slot 0).
uint32_t slotUniverseMask(Model model, int slot);

}  // namespace j4::driver
