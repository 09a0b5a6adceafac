#pragma once
// One simulated interface. It behaves like the hardware as far as the driver can
// tell: it starts without firmware, takes a firmware download only while its CPU is
// held and runs only an image it knows, emits one status packet per interface frame
// (step()), generates timecode in Internal mode and loops it back, reports injected
// timecode in Timecode mode, sends input packets of its DMX input from the configured
// base, and records what it was sent. A test or the pacing timer calls step(); the
// driver reaches it only through handles (DeviceIo).

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "driver/device_io.h"
#include "driver/interface_model.h"
#include "driver/packets.h"
#include "driver/sim/timecode_label.h"

namespace j4::driver::sim {

class Transcript;

struct TimecodeInput {
    uint8_t rateFlags = FLAG_RATE_30;  // FLAG_RATE_30, _30_DROP, _25 or _24
    TimecodeLabel start;
    bool addOffset = false;  // sets the status flag that asks for the timecode offset
};

class SimulatedDevice : public std::enable_shared_from_this<SimulatedDevice> {
  public:
    SimulatedDevice(Model model, std::string name, std::shared_ptr<Transcript> transcript);

    const std::string& name() const { return name_; }
    Model model() const { return model_; }

    // ---- Driving it
    // `frames` interface frames: one status packet each (none while unplugged, stalled
    // or not running its operating firmware).
    void step(int frames = 1);
    // Timecode arriving at the interface's input from now on (Timecode mode); nothing
    // = a dropout. The timecode runs in real time: one step is 1/30 s.
    void setTimecodeInput(std::optional<TimecodeInput> input);
    // The next step sends exactly these bytes instead of a generated status packet.
    void queueStatusPacket(const Packet& status);
    // Levels arriving at the DMX input from channel `firstChannel` (1-512); an input
    // packet of 48 channels from the configured base follows at once.
    void setDmxInput(int firstChannel, std::span<const uint8_t> levels);
    // Gone for good: every call fails, pending reads end, it cannot be opened again.
    void unplug();
    // Stalled: no status packets, reads wait; writes still work.
    void setStalled(bool stalled);
    void setFailWrites(bool fail);

    // ---- Looking at it
    bool plugged() const;
    bool cpuHeld() const;
    // Id of the image it runs (101, 102, 103), 0 for none or an unknown one.
    int runningFirmware() const;
    // What goes out on the wire for local universe 1-4: the configured number of
    // 32-channel blocks of the last channel data received.
    std::vector<uint8_t> transmitted(int localUniverse) const;
    int dataFramesReceived() const;
    std::optional<TransportPacket> lastTransport() const;
    std::optional<Packet> lastConfig() const;
    int openHandles() const;

    // ---- The device side of a handle
    std::unique_ptr<DeviceIo> openHandle();

  private:
    friend class SimulatedHandle;
    bool vendorRequest(const VendorRequestBytes& request);
    bool firmwareBlock(uint16_t start, std::span<const uint8_t> bytes);
    bool selectInterface(uint8_t interfaceNumber, uint8_t alternate);
    bool abortPipe(uint32_t pipe);
    bool resetPipe(uint32_t pipe);
    bool bulkRead(uint32_t pipe, Packet& packet, const bool& cancelled);
    bool bulkWrite(uint32_t pipe, std::span<const uint8_t> bytes);
    void cancelHandle(bool& cancelled);
    void closeHandle();

    void record(const std::string& line);
    Packet generateStatusLocked();
    void queueInputPacketLocked();
    void pushLocked(std::deque<Packet>& queue, const Packet& packet);
    int recogniseFirmwareLocked() const;
    std::string describeWrite(std::span<const uint8_t> bytes) const;

    const Model model_;
    const std::string name_;
    std::shared_ptr<Transcript> transcript_;

    mutable std::mutex mutex_;
    std::condition_variable readable_;
    bool plugged_ = true;
    bool stalled_ = false;
    bool failWrites_ = false;
    bool cpuHeld_ = false;
    int running_ = 0;
    std::vector<uint8_t> memory_;
    std::vector<bool> written_;
    int handles_ = 0;

    std::deque<Packet> statusQueue_;
    std::deque<Packet> inputQueue_;
    std::array<uint64_t, 8> abortCount_{};
    std::deque<Packet> rawStatus_;

    // Timecode generator (Internal mode) and input (Timecode mode).
    std::optional<TransportPacket> transport_;
    int64_t generatorStart_ = 0;
    int64_t generatorSteps_ = 0;
    uint8_t generatorRate_ = FLAG_RATE_30;
    std::optional<TimecodeInput> timecodeInput_;
    int64_t inputStart_ = 0;
    int64_t inputSteps_ = 0;

    std::array<uint8_t, 512> dmxInput_{};
    std::optional<Packet> config_;
    bool headerSeen_ = false;
    std::vector<uint8_t> received_;
    int dataFrames_ = 0;
};

}  // namespace j4::driver::sim
