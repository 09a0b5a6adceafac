#pragma once
// The console's binding to the driver library. At start-up it loads the library by
// name, looks its functions up and initialises it (hardware state); without a usable
// library or interface it asks the user whether to go on without hardware and then
// runs a software clock (no-hardware state). Every other part of the console reaches
// the driver through it: it is the engine's Clock, the first of the frame sinks and a
// send-length listener.
//
// Threads. load(), the registrations and shutdown() run on the main thread; the frame
// sink on the engine thread; the clock operations on the engine, input, automation and
// user-interface threads. The driver's locks (or the software clock's leaf lock) guard
// the clock. A failed frame hand-over marks communication as lost; the user-interface
// thread asks takeLostMessage() (or calls reportLostCommunication()) on its timer and
// shows message 540 once. The engine thread never shows a message: it holds the engine
// lock and paces the show.

#include <atomic>
#include <cstdint>
#include <string>

#include "common/clock_fields.h"
#include "common/frame_sink.h"
#include "common/prompt.h"
#include "engine/clock.h"
#include "links/binding/driver_functions.h"
#include "links/binding/software_clock.h"
#include "platform/event.h"
#include "platform/semaphore.h"
#include "platform/shared_library.h"

namespace j4::links {

// Results of load(): what the start-up code continues with.
inline constexpr int32_t BIND_HARDWARE = 0;
inline constexpr int32_t BIND_NO_HARDWARE = 1;
inline constexpr int32_t BIND_CANCELLED = -1;
inline constexpr int32_t BIND_IN_USE = -2;

inline constexpr const char* DRIVER_LIBRARY = "libCorvantaJ4Drv.so";

class DriverBinding : public engine::Clock,
                      public common::FrameSink,
                      public common::SendLengthListener {
  public:
    struct Options {
        // A bare name is looked for beside the program first, then the usual way.
        std::string library = DRIVER_LIBRARY;
        // Tests: the software clock ticks only when softwareClock().tick() is called.
        bool manualSoftwareClock = false;
    };

    DriverBinding();
    explicit DriverBinding(Options options);
    ~DriverBinding() override;
    DriverBinding(const DriverBinding&) = delete;
    DriverBinding& operator=(const DriverBinding&) = delete;

    // Once, on the start-up thread. `version` receives the driver's interface version
    // (0x30000 in the no-hardware state). Returns BIND_HARDWARE, BIND_NO_HARDWARE (the
    // user chose to go on; message 506), BIND_CANCELLED or BIND_IN_USE. The start-up
    // code shows 535 for a wrong version and 536 for BIND_IN_USE.
    int32_t load(common::Prompt& prompt, int32_t& version);
    // The same with the driver's functions given (tests).
    int32_t bind(const DriverFunctions& functions, common::Prompt& prompt, int32_t& version);
    bool noHardware() const { return noHardware_; }

    int32_t registerFrameSemaphore(platform::Semaphore& frames);
    int32_t unregisterFrameSemaphore();
    int32_t registerInput(platform::Event& input);
    void unregisterInput();
    int32_t setMaximumChannel(int32_t universe, int32_t channel);
    int32_t setInputBase(int32_t channel);
    int32_t inputBase();
    int32_t universeMask();
    // Two change masks and 48 input levels.
    int32_t getChannels(uint32_t* masks, uint8_t* input);
    int32_t hibernate();
    int32_t resume();

    // FrameSink: the engine thread's hand-over of each frame.
    int sendFrame(int firstChannel, int length, const uint8_t* bytes) override;
    // SendLengthListener: the driver transmits whole 32-channel blocks up to the
    // highest patched channel (at least one block).
    void setSendLength(int universe, int highestChannel) override;

    // engine::Clock
    bool read(common::ClockReading& out) override;
    bool setTime(common::ShowTime time, common::ShowTime stopTime) override;
    bool setState(common::ClockState state) override;
    bool setMode(common::ClockMode mode) override;
    bool setAutomationStop(common::ShowTime stopTime) override;
    bool setLostTimecodeSwitch(bool on) override;
    std::optional<bool> lostTimecodeSwitch() override;
    bool setTimecodeOffset(int32_t milliseconds) override;
    std::optional<int32_t> timecodeOffset() override;

    // True once after the frame hand-over failed: the caller (user-interface thread)
    // shows message 540. Every later call returns false.
    bool takeLostMessage();
    // Shows message 540 through `prompt` when takeLostMessage() says so.
    void reportLostCommunication(common::Prompt& prompt);
    bool communicationLost() const { return lost_; }

    // After the engine, input and automation threads have stopped and the semaphore
    // and event were unregistered: cleans the driver up and unloads it, stops the
    // software clock.
    void shutdown();

    SoftwareClock& softwareClock() { return software_; }

  private:
    bool hardware() const { return !noHardware_ && functions_.initialize; }

    Options options_;
    platform::SharedLibrary library_;
    DriverFunctions functions_;
    bool noHardware_ = false;
    bool firstFrame_ = true;  // engine thread only
    std::atomic<bool> lost_{false};
    std::atomic<bool> lostShown_{false};
    DMXDllSignal frameSignal_{nullptr, nullptr};
    DMXDllSignal inputSignal_{nullptr, nullptr};
    SoftwareClock software_;
};

}  // namespace j4::links
