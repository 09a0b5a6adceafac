#pragma once
// A Driver over a simulated bus, stepped by hand: the frame thread's start delay is 0
// and every frame is waited for on the registered semaphore.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "driver/dmx_dll_signal.h"
#include "driver/driver.h"
#include "driver/sim/simulated_bus.h"
#include "driver/tests/private_folders.h"
#include "platform/event.h"
#include "platform/semaphore.h"

namespace j4::driver::testing {

// Generous: only a broken driver ever waits this long.
inline constexpr int SIGNAL_TIMEOUT_MS = 5000;

class DriverFixture : public ::testing::Test {
  protected:
    void SetUp() override { usePrivateFolders(); }

    std::unique_ptr<Driver> makeDriver(FirmwareStore firmware = {},
                                       std::optional<uint32_t> pairing = std::nullopt) {
        DriverEnvironment env;
        env.bus = &bus;
        env.firmware = std::move(firmware);
        env.lockFolder = platform::LockFile::runtimeFolder();
        env.readPairing = [pairing] { return pairing; };
        env.threadStartDelayMs = 0;
        return std::make_unique<Driver>(std::move(env));
    }

    // Initializes `slot` (or -1) and registers the frame semaphore.
    void start(Driver& d, int32_t slot = 0) {
        int32_t version = slot;
        ASSERT_EQ(d.initialize(&version), 0);
        ASSERT_EQ(version, DMX_DLL_VERSION);
        const auto s = semaphoreSignal(frames);
        d.registerFrameSignal(&s);
    }

    // One interface frame of `device`, handled by the driver.
    void frame(sim::SimulatedDevice& device) {
        device.step(1);
        ASSERT_TRUE(frames.wait(SIGNAL_TIMEOUT_MS));
    }

    static std::vector<uint8_t> pattern() {
        std::vector<uint8_t> f(DMX_DLL_FRAME_BYTES);
        for (size_t i = 0; i < f.size(); ++i) f[i] = static_cast<uint8_t>(i * 7 + i / 512);
        return f;
    }

    sim::SimulatedBus bus;
    platform::Semaphore frames{0, 1000};
};

}  // namespace j4::driver::testing
