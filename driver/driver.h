#pragma once
// The driver: one instance serves one process (the library keeps one; tests make their
// own over a simulated bus). Its operations are the DMXDll functions.
//
// Threads and locks. Caller threads call the operations; the frame thread reads one
// status packet per interface frame, advances the clock and signals the frame
// semaphore; the input thread reads input packets into the snapshot and sets the
// input event. Locks, in the order they may be taken: the clock lock (re-entrant;
// the clock fields), the I/O lock (every write to an interface, the input snapshot,
// the start of the input thread, the open handles), then two leaf locks: the signal
// lock (the registered semaphore and event; held while signalling, so unregistering
// waits for a signal in progress and none follows) and the thread-handle lock.

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "driver/device_io.h"
#include "driver/dmx_dll.h"
#include "driver/driver_clock.h"
#include "driver/firmware_store.h"
#include "driver/interface_model.h"
#include "platform/lock_file.h"

namespace j4::driver {

struct DriverEnvironment {
    DeviceBus* bus = nullptr;
    FirmwareStore firmware;
    // Folder of the slots' lock files.
    std::string lockFolder;
    // The machine setting "HWPairing", read at every DMXDllInitialize for all slots.
    std::function<std::optional<uint32_t>()> readPairing;
    // Debug traces ("Pairing Requested", "U5-8 Opened", ...); may be empty.
    std::function<void(const char*)> trace;
    // The threads wait this long before opening their handles (the interface's
    // firmware starts up meanwhile); shutdown interrupts the wait.
    int threadStartDelayMs = 100;
};

class Driver {
  public:
    explicit Driver(DriverEnvironment environment);
    ~Driver();
    Driver(const Driver&) = delete;
    Driver& operator=(const Driver&) = delete;

    int32_t initialize(int32_t* version);
    int32_t cleanup();
    int32_t registerFrameSignal(const DMXDllSignal* signal);
    int32_t unregisterFrameSignal();
    int32_t registerInput(const DMXDllSignal* signal);
    void unregisterInput();
    int32_t setMaximumChannel(int32_t universe, int32_t channel);
    int32_t setChannels(int32_t reserved, int32_t length, const uint8_t* frame);
    int32_t getChannels(uint32_t* masks, uint8_t* input);
    int32_t setTime(int32_t timeMs, int32_t stopTimeMs);
    int32_t getTime(int32_t* timeMs, int32_t* mode, int32_t* state, int32_t* timecodeStatus);
    int32_t setTimecodeAuto(int32_t value);
    int32_t getTimecodeAuto(uint8_t* value);
    int32_t setState(int32_t state);
    int32_t setMode(int32_t mode);
    int32_t setInputBase(int32_t channel);
    int32_t setTimecodeOffset(int32_t offsetMs);
    int32_t getTimecodeOffset(int32_t* offsetMs);
    int32_t getInputBase(int32_t* channel);
    int32_t setFrameRate(int32_t code);
    int32_t getFrameRate(int32_t* code);
    int32_t setAutomationTime(int32_t stopTimeMs);
    int32_t getUniverseMask(int32_t* mask);

    // The main slot and model after a successful initialize.
    bool open() const;
    int mainSlot() const { return mainSlot_; }
    Model model() const { return model_; }
    // True once the interface stopped answering (a status read failed while running).
    bool lost() const { return lost_; }

  private:
    struct Interface {
        std::unique_ptr<DeviceIo> io;
        int slot = 0;  // 1-3 for additional interfaces
        bool additional = false;
    };
    template <typename F>
    void forEachInterface(F&& f);
    void closeAll();
    bool downloadFirmware(int imageId);
    bool sendConfigLocked();
    void sendTransportLocked();
    Packet configFor(const Interface& iface) const;
    void startInputThreadLocked();
    bool startDelay(const std::atomic<bool>& run);
    void frameThread();
    void inputThread();
    void signal(DMXDllSignal& which);
    bool publishThreadHandle(DeviceIo* io, DeviceIo*& slot);
    void unpublishThreadHandle(DeviceIo*& slot);
    void trace(const char* text) const;

    DriverEnvironment env_;
    Model model_ = Model::J4;
    int mainSlot_ = 0;
    std::string mainName_;

    // Guarded by ioLock_. interfaces_[0] is the main one.
    std::array<Interface, 5> interfaces_;
    platform::LockFile mainLock_;
    std::array<platform::LockFile, 3> additionalLocks_;
    platform::LockFile pairingLock_;

    std::atomic<uint32_t> universeMask_{0};
    std::array<std::atomic<uint8_t>, 16> maxBlocks_;
    std::atomic<int32_t> inputBase_{1};
    std::atomic<uint8_t> keepRunningWhenLost_{0};
    std::atomic<bool> lost_{false};

    std::recursive_mutex clockLock_;
    DriverClock clock_;

    std::mutex ioLock_;
    std::array<uint8_t, DMX_DLL_INPUT_CHANNELS> inputSnapshot_{};
    std::array<uint8_t, DMX_DLL_INPUT_CHANNELS> previousInput_{};
    bool reportAll_ = true;
    bool inputThreadStarted_ = false;

    std::mutex signalLock_;
    DMXDllSignal frameSignal_{nullptr, nullptr};
    DMXDllSignal inputSignal_{nullptr, nullptr};

    std::atomic<bool> frameRun_{false};
    std::atomic<bool> inputRun_{false};
    std::thread frameThread_;
    std::thread inputThread_;
    std::mutex delayLock_;
    std::condition_variable delayWake_;
    std::mutex threadHandleLock_;
    bool shuttingDown_ = false;
    DeviceIo* frameHandle_ = nullptr;
    DeviceIo* inputHandle_ = nullptr;
};

}  // namespace j4::driver
