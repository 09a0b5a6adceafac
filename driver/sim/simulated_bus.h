#pragma once
// The simulated interfaces as a bus the driver opens devices on, with the pacing that
// steps them: in real time (one interface frame every 1/30 s, on a timer thread with
// absolute deadlines) or by hand.

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "driver/device_io.h"
#include "driver/interface_model.h"
#include "driver/sim/simulated_device.h"
#include "driver/sim/transcript.h"
#include "platform/periodic_timer.h"

namespace j4::driver::sim {

class SimulatedBus : public DeviceBus {
  public:
    SimulatedBus();
    ~SimulatedBus() override;

    // An interface of `model` in `slot`; replaces what was there.
    std::shared_ptr<SimulatedDevice> addDevice(Model model, int slot);
    // The interface in `slot`, whatever its model; null when there is none.
    std::shared_ptr<SimulatedDevice> device(int slot) const;

    std::unique_ptr<DeviceIo> open(const std::string& deviceName) override;

    // Every interface one frame on.
    void stepAll(int frames = 1);
    bool startRealTime();
    void stopRealTime();

    Transcript& transcript() { return *transcript_; }

  private:
    mutable std::mutex mutex_;
    std::map<int, std::shared_ptr<SimulatedDevice>> devices_;
    std::shared_ptr<Transcript> transcript_;
    platform::PeriodicTimer pacer_;
};

}  // namespace j4::driver::sim
