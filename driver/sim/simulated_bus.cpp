#include "driver/sim/simulated_bus.h"

#include <vector>

namespace j4::driver::sim {

namespace {
constexpr int64_t FRAME_NS = 1'000'000'000 / 30;  // the 1 ns remainder is below any timer's grain
}

SimulatedBus::SimulatedBus() : transcript_(std::make_shared<Transcript>()) {}

SimulatedBus::~SimulatedBus() {
    stopRealTime();
}

std::shared_ptr<SimulatedDevice> SimulatedBus::addDevice(Model model, int slot) {
    auto device = std::make_shared<SimulatedDevice>(model, deviceName(model, slot), transcript_);
    std::lock_guard g(mutex_);
    devices_[slot] = device;
    return device;
}

std::shared_ptr<SimulatedDevice> SimulatedBus::device(int slot) const {
    std::lock_guard g(mutex_);
    const auto it = devices_.find(slot);
    return it == devices_.end() ? nullptr : it->second;
}

std::unique_ptr<DeviceIo> SimulatedBus::open(const std::string& name) {
    std::shared_ptr<SimulatedDevice> device;
    {
        std::lock_guard g(mutex_);
        for (const auto& [slot, d] : devices_)
            if (d->name() == name) device = d;
    }
    return device ? device->openHandle() : nullptr;
}

void SimulatedBus::stepAll(int frames) {
    std::vector<std::shared_ptr<SimulatedDevice>> all;
    {
        std::lock_guard g(mutex_);
        for (const auto& [slot, d] : devices_) all.push_back(d);
    }
    for (const auto& d : all) d->step(frames);
}

bool SimulatedBus::startRealTime() {
    return pacer_.start(FRAME_NS, [this] { stepAll(1); });
}

void SimulatedBus::stopRealTime() {
    pacer_.stop();
}

}  // namespace j4::driver::sim
