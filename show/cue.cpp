#include "show/cue.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "show/device.h"
#include "show/position_control.h"

namespace j4::show {

bool Cue::addDevice(Device* device) {
    if (!device || containsDevice(device)) return false;
    devices_.push_back(device);
    return true;
}

bool Cue::containsDevice(const Device* device) const {
    return std::find(devices_.begin(), devices_.end(), device) != devices_.end();
}

bool Cue::removeDevice(const Device* device) {
    const auto it = std::find(devices_.begin(), devices_.end(), device);
    if (it == devices_.end()) return false;
    std::erase_if(effects_, [device](const EffectEntry& entry) {
        return device->controlIndex(entry.control) >= 0;
    });
    const int32_t base = device->baseAddress();
    const int32_t end = std::min<int64_t>(int64_t{base} + device->span(), common::FRAME_CHANNELS);
    if (base >= 0 && base < end) std::fill(values_.begin() + base, values_.begin() + end, 0);
    devices_.erase(it);
    return true;
}

void Cue::moveDeviceValues(const Device& device, int32_t oldBase, int32_t newBase) {
    const int32_t span = device.span();
    if (span <= 0 || oldBase < 0 || newBase < 0 || oldBase > common::FRAME_CHANNELS - span ||
        newBase > common::FRAME_CHANNELS - span)
        return;
    // Copied aside before the old range is cleared, so overlapping ranges keep their
    // values.
    uint8_t saved[common::FRAME_CHANNELS];
    std::memcpy(saved, values_.data() + oldBase, static_cast<size_t>(span));
    std::memset(values_.data() + oldBase, 0, static_cast<size_t>(span));
    std::memcpy(values_.data() + newBase, saved, static_cast<size_t>(span));
}

bool Cue::addEffectEntry(Control* control, const EffectShape* shape) {
    return addEffectEntry(control, shape, EffectSettings{});
}

bool Cue::addEffectEntry(Control* control, const EffectShape* shape,
                         const EffectSettings& settings) {
    if (!control || !shape || control->kind() != ControlKind::Position || !settings.valid())
        return false;
    if (effectEntryOf(control)) return false;
    const bool ownedByCueDevice =
        std::any_of(devices_.begin(), devices_.end(),
                    [control](const Device* d) { return d->controlIndex(control) >= 0; });
    if (!ownedByCueDevice) return false;
    try {
        effects_.push_back({static_cast<PositionControl*>(control), settings, shape});
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

bool Cue::removeEffectEntry(const Control* control) {
    return std::erase_if(effects_,
                         [control](const EffectEntry& e) { return e.control == control; }) > 0;
}

EffectEntry* Cue::effectEntryOf(const Control* control) {
    for (auto& entry : effects_)
        if (entry.control == control) return &entry;
    return nullptr;
}

const EffectEntry* Cue::effectEntryOf(const Control* control) const {
    return const_cast<Cue*>(this)->effectEntryOf(control);
}

void Cue::render(common::RenderBuffer& buffer, common::Level level,
                 common::Level grandMasterLevel) const {
    for (const Device* device : devices_) device->render(values_, buffer, level, grandMasterLevel);
}

std::unique_ptr<Cue> Cue::duplicate(common::CueNumber number) const {
    try {
        auto copy = std::make_unique<Cue>(*this);
        copy->number_ = number;
        return copy;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace j4::show
