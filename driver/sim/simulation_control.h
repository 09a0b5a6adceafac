#pragma once
// Driving the simulated interface from another process: while a driver runs on the
// simulation, it listens on a stream socket "simulation-<slot>.sock" in the user's
// runtime folder (the slot is the driver's main slot, owned by one process only). A
// client connects, sends one command line, reads one reply line ("ok" or
// "error: ..."), and the connection closes. Commands act on the interface of that slot:
//
//   step N                       N interface frames (1-100000)
//   input FIRST V1 V2 ...        DMX input levels from channel FIRST (1-512), 0-255 each
//   timecode RATE HH:MM:SS:FF [offset]
//                                timecode arrives from that label on; RATE is 24, 25,
//                                29.97df or 30; "offset" sets the add-offset flag
//   notimecode                   the timecode stops (a dropout)
//   stall 0|1, failwrites 0|1    stop sending status packets / refuse writes
//   unplug                       the interface goes away for good
//   transmitted U                what goes out for the interface's universe U (1-4):
//                                the reply is "ok" followed by the bytes in hex

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "driver/sim/simulated_device.h"
#include "platform/event.h"

namespace j4::driver::sim {

// The socket of `slot` in `runtimeFolder`.
std::string simulationSocketPath(const std::string& runtimeFolder, int slot);

// Executes one command on `device`; the reply line without its line feed.
std::string executeSimulationCommand(SimulatedDevice& device, const std::string& command);

class SimulationControl {
  public:
    SimulationControl() = default;
    ~SimulationControl();
    SimulationControl(const SimulationControl&) = delete;
    SimulationControl& operator=(const SimulationControl&) = delete;

    // Binds the socket (replacing a stale one) and starts serving; false on failure.
    bool start(const std::string& socketPath, std::shared_ptr<SimulatedDevice> device);
    void stop();

  private:
    void serve();

    int listenFd_ = -1;
    std::string path_;
    std::shared_ptr<SimulatedDevice> device_;
    platform::Event stop_{platform::Event::Reset::Manual};
    std::thread thread_;
};

// The client side: sends `command` to the socket and returns the reply, or nothing
// when no driver listens there.
std::optional<std::string> sendSimulationCommand(const std::string& socketPath,
                                                 const std::string& command);

}  // namespace j4::driver::sim
