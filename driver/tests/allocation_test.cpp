// The per-frame paths allocate nothing: counted by replacing operator new in this
// test program (per thread, so other threads' allocations do not count).

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <vector>

#include "driver/driver.h"
#include "driver/driver_clock.h"
#include "driver/packets.h"
#include "driver/tests/passive_bus.h"
#include "driver/tests/private_folders.h"
#include "links/binding/software_clock.h"

namespace {
thread_local long allocations = 0;
}

void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace j4::driver::testing {
namespace {

TEST(PerFrameAllocations, DriverOutputAndClockUpdateAllocateNothing) {
    usePrivateFolders();
    PassiveBus bus;
    DriverEnvironment env;
    env.bus = &bus;
    env.lockFolder = platform::LockFile::runtimeFolder();
    env.threadStartDelayMs = 0;
    Driver d(std::move(env));
    int32_t version = 0;
    ASSERT_EQ(d.initialize(&version), 0);
    std::vector<uint8_t> frame(DMX_DLL_FRAME_BYTES, 5);
    int32_t t, mode, state, status;

    const long before = allocations;
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(d.setChannels(1, DMX_DLL_FRAME_BYTES, frame.data()), 0);
        d.getTime(&t, &mode, &state, &status);
    }
    DriverClock clock;
    clock.mode = 1;
    clock.changeState(1);
    Packet packet{};
    packet[0] = FLAG_TIMECODE;
    encodeTimecodeDigits(packet, 1, 2, 3, 4);
    for (int i = 0; i < 100; ++i) clock.onStatusPacket(packet, true);
    links::SoftwareClock software;
    software.setState(1);
    for (int i = 0; i < 100; ++i) software.tick();
    EXPECT_EQ(allocations - before, 0);
    d.cleanup();
}

}  // namespace
}  // namespace j4::driver::testing
