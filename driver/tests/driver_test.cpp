#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <fstream>

#include "driver/firmware_store.h"
#include "driver/interface_model.h"
#include "driver/packets.h"
#include "driver/tests/driver_fixture.h"

namespace j4::driver::testing {
namespace {

using sim::SimulatedDevice;

// The transcript without handle opens and closes (a thread closes its handle while
// the pipes are still being aborted), and how many of each there were.
struct Calls {
    std::vector<std::string> lines;
    int opens = 0;
    int closes = 0;
};
Calls calls(sim::SimulatedBus& bus) {
    Calls c;
    for (auto& line : bus.transcript().take()) {
        if (line.ends_with(" open")) {
            ++c.opens;
        } else if (line.ends_with(" close")) {
            ++c.closes;
        } else {
            c.lines.push_back(line);
        }
    }
    return c;
}

TEST_F(DriverFixture, WithoutAnInterfaceInitializeFailsButReportsTheVersion) {
    auto d = makeDriver();
    int32_t version = -1;
    EXPECT_EQ(d->initialize(&version), -1);
    EXPECT_EQ(version, DMX_DLL_VERSION);
    EXPECT_EQ(d->initialize(nullptr), -1);
    EXPECT_EQ(d->cleanup(), 0);
}

TEST_F(DriverFixture, TranscriptOfInitializeAndCleanup) {
    auto device = bus.addDevice(Model::J4, 0);
    auto d = makeDriver();
    bus.transcript().setRecording(true);
    start(*d, 0);
    const Calls init = calls(bus);
    EXPECT_EQ(init.lines, (std::vector<std::string>{
                              "CorvantaJ4-0 select 0 1",
                              "CorvantaJ4-0 cpu 0x7F92 1",
                              "CorvantaJ4-0 firmware 0x0000 31",
                              "CorvantaJ4-0 firmware 0x0213 2468",
                              "CorvantaJ4-0 cpu 0x7F92 0",
                              "CorvantaJ4-0 abort 0",
                              "CorvantaJ4-0 reset 0",
                              "CorvantaJ4-0 abort 1",
                              "CorvantaJ4-0 reset 1",
                              "CorvantaJ4-0 abort 2",
                              "CorvantaJ4-0 reset 2",
                              "CorvantaJ4-0 write 2 config 16 16 16 16 base 1",
                              "CorvantaJ4-0 write 2 transport 1 3 00:00:00:00 rate 1",
                          }));
    EXPECT_EQ(device->runningFirmware(), 101);
    frame(*device);  // the frame thread has its own handle now
    EXPECT_EQ(init.opens + calls(bus).opens, 2);

    EXPECT_EQ(d->cleanup(), 0);
    const Calls down = calls(bus);
    EXPECT_EQ(down.closes, 2);
    EXPECT_EQ(down.lines, (std::vector<std::string>{
                              "CorvantaJ4-0 abort 0",
                              "CorvantaJ4-0 abort 1",
                              "CorvantaJ4-0 abort 2",
                              "CorvantaJ4-0 reset 0",
                              "CorvantaJ4-0 reset 1",
                              "CorvantaJ4-0 reset 2",
                              "CorvantaJ4-0 cpu 0x7F92 1",
                              "CorvantaJ4-0 firmware 0x0000 72",
                              "CorvantaJ4-0 cpu 0x7F92 0",
                          }));
    EXPECT_EQ(device->runningFirmware(), 102);
    EXPECT_EQ(device->openHandles(), 0);
}

TEST_F(DriverFixture, SlotsModelsAndPairingDecideTheUniversesServed) {
    struct Case {
        const char* name;
        Model model;
        std::vector<int> slots;
        std::optional<uint32_t> pairing;
        int heldElsewhere;  // a slot another owner holds, or -1
        int32_t mask;
        int checkSlot;  // this slot's interface receives frame bytes from `from`
        size_t from;
    };
    const std::vector<Case> cases = {
        {"J4 0+2", Model::J4, {0, 2}, std::nullopt, -1, 0x0F0F, 2, 4096},
        {"R2 0+1", Model::R2, {0, 1}, std::nullopt, -1, 0x0003, 1, 512},
        {"R2 slot 3", Model::R2, {0, 3}, std::nullopt, -1, 0x0009, 3, 1536},
        {"T6 0+1", Model::T6, {0, 1}, std::nullopt, -1, 0x0003, 1, 512},
        {"paired J4", Model::J4, {0, 1}, 1u, -1, 0x000F, 1, 0},
        {"slot 2 owned", Model::J4, {0, 1, 2, 3}, std::nullopt, 2, 0xF0FF, 3, 6144},
    };
    const auto image = pattern();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        sim::SimulatedBus caseBus;
        for (int s : c.slots) caseBus.addDevice(c.model, s);
        platform::LockFile other;
        if (c.heldElsewhere >= 0)
            other.tryLock(platform::LockFile::runtimeFolder() + "/" +
                          slotLockName(c.heldElsewhere));
        DriverEnvironment env;
        env.bus = &caseBus;
        env.lockFolder = platform::LockFile::runtimeFolder();
        env.readPairing = [p = c.pairing] { return p; };
        env.threadStartDelayMs = 0;
        Driver d(std::move(env));
        int32_t version = -1;
        ASSERT_EQ(d.initialize(&version), 0);
        int32_t mask = 0;
        d.getUniverseMask(&mask);
        EXPECT_EQ(mask, c.mask);
        ASSERT_EQ(d.setChannels(1, DMX_DLL_FRAME_BYTES, image.data()), 0);
        const auto got = caseBus.device(c.checkSlot)->transmitted(1);
        ASSERT_EQ(got.size(), 512u);
        EXPECT_TRUE(std::equal(got.begin(), got.end(), image.begin() + c.from));
        if (c.pairing) {
            EXPECT_EQ(caseBus.device(0)->lastConfig(), caseBus.device(1)->lastConfig());
        }
        if (c.heldElsewhere >= 0) {
            EXPECT_EQ(caseBus.device(c.heldElsewhere)->runningFirmware(), 0);
        }
        d.cleanup();
    }
}

TEST_F(DriverFixture, MaximumChannelBecomesBlocksInTheConfiguration) {
    auto device = bus.addDevice(Model::J4, 0);
    auto d = makeDriver();
    start(*d);
    EXPECT_EQ(d->setMaximumChannel(1, 33), 0);
    EXPECT_EQ(d->setMaximumChannel(2, 512), 0);
    EXPECT_EQ(d->setMaximumChannel(3, 1), 0);
    EXPECT_EQ(d->setInputBase(300), 0);
    const auto expected = configPacket({2, 16, 1, 16}, 300);
    EXPECT_EQ(device->lastConfig(), expected);
    for (auto [u, c] : {std::pair{0, 100}, {17, 100}, {1, 0}, {1, 513}})
        EXPECT_EQ(d->setMaximumChannel(u, c), -1) << u << " " << c;
    EXPECT_EQ(d->setInputBase(0), -1);
    EXPECT_EQ(d->setInputBase(513), -1);
    EXPECT_EQ(device->lastConfig(), expected);

    const auto image = pattern();
    EXPECT_EQ(d->setChannels(1, 8191, image.data()), 0);
    EXPECT_EQ(device->dataFramesReceived(), 0);
    EXPECT_EQ(d->setChannels(1, DMX_DLL_FRAME_BYTES, image.data()), 0);
    EXPECT_EQ(device->transmitted(1).size(), 64u);
    EXPECT_EQ(device->transmitted(3),
              std::vector<uint8_t>(image.begin() + 1024, image.begin() + 1056));
}

TEST_F(DriverFixture, InternalModeFollowsTheGeneratedTimecodeAndStopsAtTheStopTime) {
    auto device = bus.addDevice(Model::J4, 0);
    auto d = makeDriver();
    start(*d);
    d->setTime(60'000, 61'000);
    d->setState(1);
    EXPECT_EQ((*device->lastTransport())[2], 0);  // running
    int32_t t, mode, state, status;
    frame(*device);
    d->getTime(&t, &mode, &state, &status);
    EXPECT_EQ(t, 60'000);
    EXPECT_EQ(status, 1);
    for (int i = 0; i < 29; ++i) frame(*device);
    d->getTime(&t, &mode, &state, &status);
    EXPECT_EQ(t, 60'967);
    EXPECT_EQ(state, 1);
    frame(*device);
    d->getTime(&t, &mode, &state, &status);
    EXPECT_EQ(t, 61'000);
    EXPECT_EQ(state, 0);
    EXPECT_EQ((*device->lastTransport())[2], 3);  // the stop went to the interface
}

TEST_F(DriverFixture, TimecodeModeReadsInjectedTimecodeWithOffsetAndLoss) {
    auto device = bus.addDevice(Model::J4, 0);
    auto d = makeDriver();
    start(*d);
    d->setTimecodeOffset(2000);
    d->setTime(5000, -1);
    d->setMode(1);
    d->setState(1);
    int32_t t, mode, state, status;
    d->getTime(&t, &mode, &state, &status);
    EXPECT_EQ(t, 0);
    EXPECT_EQ(mode, 1);
    device->setTimecodeInput(sim::TimecodeInput{FLAG_RATE_25, {0, 10, 0, 0}, true});
    frame(*device);
    d->getTime(&t, &mode, &state, &status);
    EXPECT_EQ(t, 602'000);
    EXPECT_EQ(status, 1);
    int32_t rate = 0;
    d->getFrameRate(&rate);
    EXPECT_EQ(rate, 3);
    for (int i = 0; i < 29; ++i) frame(*device);
    d->getTime(&t, &mode, &state, &status);
    EXPECT_EQ(t, 602'960);  // 24 frames of 25 after 29 steps of 1/30 s

    // Lost with the switch off: four frames free, then the clock holds.
    device->setTimecodeInput(std::nullopt);
    for (int i = 0; i < 4; ++i) frame(*device);
    d->getTime(&t, &mode, &state, &status);
    EXPECT_EQ(t, 602'960 + 4 * 40);
    const int32_t held = t;
    frame(*device);
    frame(*device);
    d->getTime(&t, &mode, &state, &status);
    EXPECT_EQ(t, held);
    EXPECT_EQ(status, 0);

    // The switch on: after the loss the clock runs free for good (status 2).
    d->setTimecodeAuto(1);
    device->setTimecodeInput(sim::TimecodeInput{FLAG_RATE_30, {0, 0, 1, 0}, false});
    frame(*device);
    d->getTime(&t, &mode, &state, &status);
    EXPECT_EQ(t, 1000);
    device->setTimecodeInput(std::nullopt);
    for (int i = 0; i < 5; ++i) frame(*device);
    d->getTime(&t, &mode, &state, &status);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(t, 1000 + 34 + 33 + 33 + 34 + 33);
}

TEST_F(DriverFixture, InputRaisesTheEventWithChangeMasks) {
    auto device = bus.addDevice(Model::J4, 0);
    auto d = makeDriver();
    start(*d);
    platform::Event input;
    const auto s = eventSignal(input);
    d->registerInput(&s);
    uint32_t masks[2];
    uint8_t levels[48];
    ASSERT_EQ(d->getChannels(masks, levels), 0);
    EXPECT_EQ(masks[0], 0xFFFFFFFFu);
    EXPECT_EQ(masks[1], 0xFFFFFFFFu);
    d->getChannels(masks, levels);
    EXPECT_EQ(masks[0], 0u);
    EXPECT_EQ(masks[1], 0u);

    const uint8_t in[] = {10, 20};
    device->setDmxInput(2, in);
    ASSERT_TRUE(input.wait(SIGNAL_TIMEOUT_MS));
    d->getChannels(masks, levels);
    EXPECT_EQ(masks[0], 0b110u);
    EXPECT_EQ(masks[1], 0u);
    EXPECT_EQ(levels[1], 10);
    EXPECT_EQ(levels[2], 20);

    // From base 3 channel 3 is byte 0 and channel 36 is byte 33 (second mask).
    const uint8_t far[] = {99};
    device->setDmxInput(36, far);
    ASSERT_TRUE(input.wait(SIGNAL_TIMEOUT_MS));
    EXPECT_EQ(d->setInputBase(3), 0);
    ASSERT_TRUE(input.wait(SIGNAL_TIMEOUT_MS));
    d->getChannels(masks, levels);
    EXPECT_EQ(levels[0], 20);
    EXPECT_EQ(levels[33], 99);
    EXPECT_EQ(masks[1], 0b10u);
    EXPECT_EQ(d->getChannels(nullptr, levels), -1);
}

TEST_F(DriverFixture, ABadFirmwareImageFailsBeforeTheInterfaceIsTouched) {
    const std::string folder = usePrivateFolders() + "/bad-firmware";
    ::mkdir(folder.c_str(), 0700);
    std::string text(embeddedFirmware(101));
    text[text.size() / 2] = text[text.size() / 2] == 'A' ? 'B' : 'A';
    std::ofstream(folder + "/101.hex", std::ios::binary) << text;

    auto device = bus.addDevice(Model::J4, 0);
    auto d = makeDriver(FirmwareStore(folder));
    bus.transcript().setRecording(true);
    int32_t version = 0;
    EXPECT_EQ(d->initialize(&version), -1);
    const Calls c = calls(bus);
    EXPECT_EQ(c.lines, (std::vector<std::string>{"CorvantaJ4-0 select 0 1"}));
    EXPECT_FALSE(device->cpuHeld());
    EXPECT_EQ(device->openHandles(), 0);
}

TEST_F(DriverFixture, UnpluggedInterfaceSignalsOnceMoreAndReportsLoss) {
    auto device = bus.addDevice(Model::J4, 0);
    auto d = makeDriver();
    start(*d);
    frame(*device);
    const auto image = pattern();
    EXPECT_EQ(d->setChannels(1, DMX_DLL_FRAME_BYTES, image.data()), 0);
    device->unplug();
    ASSERT_TRUE(frames.wait(SIGNAL_TIMEOUT_MS));  // the last release
    EXPECT_TRUE(d->lost());
    EXPECT_EQ(d->setChannels(1, DMX_DLL_FRAME_BYTES, image.data()), -1);
    EXPECT_EQ(d->setMaximumChannel(1, 100), -1);
    EXPECT_EQ(d->cleanup(), 0);
}

TEST_F(DriverFixture, FailedWritesAreReported) {
    auto device = bus.addDevice(Model::J4, 0);
    auto d = makeDriver();
    start(*d);
    const auto image = pattern();
    device->setFailWrites(true);
    EXPECT_EQ(d->setChannels(1, DMX_DLL_FRAME_BYTES, image.data()), -1);
    device->setFailWrites(false);
    EXPECT_EQ(d->setChannels(1, DMX_DLL_FRAME_BYTES, image.data()), 0);
}

TEST_F(DriverFixture, CleanupNeverHangsOnAPendingRead) {
    auto device = bus.addDevice(Model::J4, 0);
    {
        auto d = makeDriver();
        start(*d);
        platform::Event input;
        const auto s = eventSignal(input);
        d->registerInput(&s);
        frame(*device);
        device->setStalled(true);  // reads now wait for ever
        EXPECT_EQ(d->cleanup(), 0);
    }
    // Cleanup at once after initialize, while the threads are still in their start delay.
    device->setStalled(false);
    DriverEnvironment env;
    env.bus = &bus;
    env.lockFolder = platform::LockFile::runtimeFolder();
    env.threadStartDelayMs = 60'000;
    Driver slow(std::move(env));
    int32_t version = 0;
    ASSERT_EQ(slow.initialize(&version), 0);
    EXPECT_EQ(slow.cleanup(), 0);
    EXPECT_EQ(device->openHandles(), 0);
}

TEST_F(DriverFixture, NoSignalAfterUnregisterReturns) {
    auto device = bus.addDevice(Model::J4, 0);
    auto d = makeDriver();
    start(*d);
    std::atomic<int> late{0};
    std::atomic<bool> unregistered{false};
    struct Probe {
        std::atomic<int>* late;
        std::atomic<bool>* unregistered;
    } probe{&late, &unregistered};
    const DMXDllSignal counting{&probe, [](void* c) {
                                    auto* p = static_cast<Probe*>(c);
                                    if (p->unregistered->load()) ++*p->late;
                                }};
    d->registerFrameSignal(&counting);
    std::atomic<bool> run{true};
    std::thread stepper([&] {
        while (run) device->step(1);
    });
    for (int i = 0; i < 200; ++i) {
        d->registerFrameSignal(&counting);
        d->unregisterFrameSignal();
        unregistered = true;
        const auto s = semaphoreSignal(frames);
        d->registerFrameSignal(&s);
        unregistered = false;
    }
    run = false;
    stepper.join();
    EXPECT_EQ(late.load(), 0);
}

TEST_F(DriverFixture, ASlotOwnedElsewhereIsInUse) {
    bus.addDevice(Model::J4, 0);
    auto first = makeDriver();
    start(*first);
    auto second = makeDriver();
    int32_t version = 0;
    EXPECT_EQ(second->initialize(&version), -2);
    EXPECT_EQ(version, DMX_DLL_VERSION);
    EXPECT_EQ(first->initialize(&version), -2);
    first->cleanup();
    version = 0;
    EXPECT_EQ(second->initialize(&version), 0);
}

TEST_F(DriverFixture, ClockArgumentsOutOfRangeChangeNothing) {
    auto d = makeDriver();
    EXPECT_EQ(d->setTime(1000, 5000), 0);
    EXPECT_EQ(d->setTime(86'400'000, 7), -1);
    EXPECT_EQ(d->setTime(-1, 3000), 0);
    EXPECT_EQ(d->setState(3), -1);
    EXPECT_EQ(d->setMode(-1), -1);
    EXPECT_EQ(d->setFrameRate(5), -1);
    int32_t t, mode, state, status;
    d->getTime(&t, &mode, &state, &status);
    EXPECT_EQ(t, 1000);
    EXPECT_EQ(mode, 0);
    EXPECT_EQ(d->getTime(nullptr, &mode, &state, &status), -1);
}

}  // namespace
}  // namespace j4::driver::testing
