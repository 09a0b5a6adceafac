#include <gtest/gtest.h>

#include "driver/sim/simulation_control.h"
#include "driver/tests/driver_fixture.h"

namespace j4::driver::testing {
namespace {

TEST_F(DriverFixture, ControlSocketDrivesTheInterfaceAndRefusesBadCommands) {
    auto device = bus.addDevice(Model::J4, 0);
    auto d = makeDriver();
    start(*d);
    const std::string path = sim::simulationSocketPath(usePrivateFolders() + "/run", 0);
    sim::SimulationControl control;
    ASSERT_TRUE(control.start(path, device));

    for (const char* bad :
         {"", "step", "step 0", "step -1", "step 100001", "step 1x", "input 0 1", "input 513 1",
          "input 1 256", "input 1", "timecode 26 00:00:00:00", "timecode 25 00:00:00:25",
          "timecode 30 24:00:00:00", "timecode 30 00:00:00", "stall 2", "transmitted 5",
          "unplug now", "reboot"}) {
        EXPECT_EQ(sim::sendSimulationCommand(path, bad)->rfind("error", 0), 0u) << bad;
    }
    EXPECT_TRUE(device->plugged());

    EXPECT_EQ(sim::sendSimulationCommand(path, "step 1"), "ok");
    ASSERT_TRUE(frames.wait(SIGNAL_TIMEOUT_MS));
    EXPECT_EQ(sim::sendSimulationCommand(path, "unplug"), "ok");
    EXPECT_FALSE(device->plugged());
    control.stop();
    EXPECT_FALSE(sim::sendSimulationCommand(path, "step 1"));
}

TEST_F(DriverFixture, ModeChangeWhilePlayingRestartsTheTimecodeClock) {
    auto device = bus.addDevice(Model::T6, 0);
    auto d = makeDriver();
    start(*d);
    EXPECT_EQ(device->runningFirmware(), 103);
    d->setTime(9000, -1);
    d->setState(1);
    d->setMode(1);
    int32_t t, mode, state, status;
    d->getTime(&t, &mode, &state, &status);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(state, 1);
    const auto transport = device->lastTransport();
    ASSERT_TRUE(transport);
    EXPECT_EQ((*transport)[1], 2);  // reading timecode
    EXPECT_EQ((*transport)[2], 0);  // running
}

}  // namespace
}  // namespace j4::driver::testing
