#include "show/device.h"

#include <new>

#include "show/fader_control.h"
#include "show/paged_mode_control.h"
#include "show/position_control.h"
#include "show/select_control.h"
#include "show/template.h"

namespace j4::show {

std::unique_ptr<Device> Device::create(const Template& tpl, std::string name, int32_t baseAddress) {
    ControlList controls;
    if (!cloneControls(tpl.controls(), controls)) return nullptr;
    return fromParts(tpl.identity(), std::move(name), baseAddress, std::move(controls));
}

std::unique_ptr<Device> Device::fromParts(const common::Identity& identity, std::string name,
                                          int32_t baseAddress, ControlList controls) {
    std::unique_ptr<Device> device;
    try {
        device.reset(new Device());
        device->renderList_.reserve(controls.size());
        for (const auto& control : controls)
            device->renderList_.push_back({control.get(), control->kind()});
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    device->identity_ = identity;
    device->name_ = std::move(name);
    device->controls_ = std::move(controls);
    device->computeSpan();
    if (!device->setBaseAddress(baseAddress)) return nullptr;
    return device;
}

void Device::computeSpan() {
    // Offsets relative to base 0: the highest one + 1 is the span.
    for (auto& control : controls_) control->setBaseAddress(0);
    span_ = highestChannel(controls_) + 1;
    for (auto& control : controls_) control->setBaseAddress(baseAddress_);
}

bool Device::fitsAt(int32_t address) const {
    return address >= 0 && address < common::FRAME_CHANNELS &&
           int64_t{address} + span_ <= common::FRAME_CHANNELS;
}

bool Device::setBaseAddress(int32_t address) {
    if (!fitsAt(address)) return false;
    baseAddress_ = address;
    for (auto& control : controls_) control->setBaseAddress(address);
    return true;
}

void Device::render(const common::DmxFrame& values, common::RenderBuffer& buffer,
                    common::Level level, common::Level grandMasterLevel) const {
    // The control classes are final: the qualified calls below are direct and the
    // small ones are inlined.
    for (const RenderEntry& entry : renderList_) {
        switch (entry.kind) {
            case ControlKind::Fader:
                static_cast<const FaderControl*>(entry.control)
                    ->renderChannels(values, buffer, level, grandMasterLevel);
                break;
            case ControlKind::Select:
                static_cast<const SelectControl*>(entry.control)->renderChannels(values, buffer);
                break;
            case ControlKind::Position:
                static_cast<const PositionControl*>(entry.control)
                    ->renderChannels(values, buffer, level);
                break;
            case ControlKind::Mode:
                static_cast<const PagedModeControl*>(entry.control)
                    ->PagedModeControl::render(values, buffer, level, grandMasterLevel);
                break;
        }
    }
}

int Device::controlIndex(const Control* control) const {
    for (size_t i = 0; i < controls_.size(); ++i)
        if (controls_[i].get() == control) return static_cast<int>(i);
    return -1;
}

}  // namespace j4::show
