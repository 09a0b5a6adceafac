// The exported DMXDll functions: each forwards to the process's one Driver. The driver
// runs on the simulated interface when the settings ask for it, otherwise on the bus of
// real interfaces (none yet on Linux: every open fails, so DMXDllInitialize reports
// that no interface was found).

#include "driver/dmx_dll.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "driver/driver.h"
#include "driver/driver_settings.h"
#include "driver/sim/simulated_bus.h"
#include "driver/sim/simulation_control.h"
#include "platform/lock_file.h"

namespace j4::driver {
namespace {

void debugTrace(const char* text) {
    // Debug output only: nothing reaches a user unless asked for.
    if (std::getenv("J4_DEBUG_TRACE")) std::fprintf(stderr, "%s\n", text);
}

class ProcessDriver {
  public:
    ProcessDriver() : settings_(readDriverSettings()) {
        DriverEnvironment env;
        if (settings_.simulation) {
            simulation_ = std::make_unique<sim::SimulatedBus>();
            for (int slot = 0; slot < SLOTS; ++slot)
                if (settings_.simulationSlots & (1u << slot))
                    simulation_->addDevice(settings_.simulationModel, slot);
            env.bus = simulation_.get();
        } else {
            env.bus = &noInterfaces_;
        }
        env.firmware = FirmwareStore(settings_.firmwareFolder);
        env.lockFolder = platform::LockFile::runtimeFolder();
        env.readPairing = readPairingSetting;
        env.trace = debugTrace;
        driver_ = std::make_unique<Driver>(std::move(env));
    }

    ~ProcessDriver() { cleanup(); }

    Driver& driver() { return *driver_; }

    int32_t initialize(int32_t* version) {
        const int32_t result = driver_->initialize(version);
        if (result == 0 && simulation_) {
            const std::string path =
                sim::simulationSocketPath(platform::LockFile::runtimeFolder(), driver_->mainSlot());
            if (!control_.start(path, simulation_->device(driver_->mainSlot())))
                debugTrace("Simulation control socket not available");
            if (!settings_.manualPacing) simulation_->startRealTime();
        }
        return result;
    }

    int32_t cleanup() {
        if (simulation_) simulation_->stopRealTime();
        control_.stop();
        return driver_->cleanup();
    }

  private:
    DriverSettings settings_;
    EmptyBus noInterfaces_;
    std::unique_ptr<sim::SimulatedBus> simulation_;
    sim::SimulationControl control_;
    std::unique_ptr<Driver> driver_;
};

ProcessDriver& process() {
    static ProcessDriver instance;
    return instance;
}

Driver& drv() {
    return process().driver();
}

}  // namespace
}  // namespace j4::driver

using j4::driver::drv;

extern "C" {

int32_t DMXDllInitialize(int32_t* version) {
    return j4::driver::process().initialize(version);
}
int32_t DMXDllCleanup(void) {
    return j4::driver::process().cleanup();
}
int32_t DMXDllRegister(const DMXDllSignal* s) {
    return drv().registerFrameSignal(s);
}
int32_t DMXDllUnregister(void) {
    return drv().unregisterFrameSignal();
}
int32_t DMXDllRegisterInput(const DMXDllSignal* s) {
    return drv().registerInput(s);
}
void DMXDllUnregisterInput(void) {
    drv().unregisterInput();
}
int32_t DMXDllSetMaximumChannel(int32_t u, int32_t c) {
    return drv().setMaximumChannel(u, c);
}
int32_t DMXDllSetChannels(int32_t reserved, int32_t length, const uint8_t* frame) {
    return drv().setChannels(reserved, length, frame);
}
int32_t DMXDllGetChannels(uint32_t* masks, uint8_t* input) {
    return drv().getChannels(masks, input);
}
int32_t DMXDllSetTime(int32_t t, int32_t stop) {
    return drv().setTime(t, stop);
}
int32_t DMXDllGetTime(int32_t* t, int32_t* mode, int32_t* state, int32_t* status) {
    return drv().getTime(t, mode, state, status);
}
int32_t DMXDllSetTimecodeAuto(int32_t v) {
    return drv().setTimecodeAuto(v);
}
int32_t DMXDllGetTimecodeAuto(uint8_t* v) {
    return drv().getTimecodeAuto(v);
}
int32_t DMXDllSetState(int32_t s) {
    return drv().setState(s);
}
int32_t DMXDllSetMode(int32_t m) {
    return drv().setMode(m);
}
int32_t DMXDllSetInputBase(int32_t c) {
    return drv().setInputBase(c);
}
int32_t DMXDllSetTimecodeOffset(int32_t o) {
    return drv().setTimecodeOffset(o);
}
int32_t DMXDllGetTimecodeOffset(int32_t* o) {
    return drv().getTimecodeOffset(o);
}
int32_t DMXDllGetInputBase(int32_t* c) {
    return drv().getInputBase(c);
}
int32_t DMXDllSetSync(const uint8_t* frame) {
    return drv().setChannels(1, DMX_DLL_FRAME_BYTES, frame);
}
int32_t DMXDllSetFrameRate(int32_t code) {
    return drv().setFrameRate(code);
}
int32_t DMXDllGetFrameRate(int32_t* code) {
    return drv().getFrameRate(code);
}
// Nothing is settled about what an interface should do across a power suspend.
int32_t DMXDllHybernate(void) {
    return 0;
}
int32_t DMXDllResume(void) {
    return 0;
}
int32_t DMXDllSetAutomationTime(int32_t stop) {
    return drv().setAutomationTime(stop);
}
int32_t DMXDllGetUniverseMask(int32_t* mask) {
    return drv().getUniverseMask(mask);
}

}  // extern "C"
