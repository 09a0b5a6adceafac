#include "show/device_store.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "show/cue_store.h"
#include "show/template.h"

namespace j4::show {

int DeviceStore::create(const Template& tpl, std::string name, int32_t baseAddress) {
    return append(Device::create(tpl, std::move(name), baseAddress));
}

int DeviceStore::append(std::unique_ptr<Device> device) {
    if (!device) return -1;
    try {
        devices_.push_back(std::move(device));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return static_cast<int>(devices_.size()) - 1;
}

bool DeviceStore::remove(int index) {
    if (index < 0 || index >= count()) return false;
    devices_.erase(devices_.begin() + index);
    return true;
}

void DeviceStore::clear() {
    devices_.clear();
}

Device* DeviceStore::at(int index) const {
    return index >= 0 && index < count() ? devices_[index].get() : nullptr;
}

int DeviceStore::indexOf(const Device* device) const {
    for (size_t i = 0; i < devices_.size(); ++i)
        if (devices_[i].get() == device) return static_cast<int>(i);
    return -1;
}

std::optional<ControlLocation> DeviceStore::locateControl(const Control* control) const {
    for (size_t i = 0; i < devices_.size(); ++i) {
        const int c = devices_[i]->controlIndex(control);
        if (c >= 0) return ControlLocation{static_cast<int>(i), c};
    }
    return std::nullopt;
}

bool DeviceStore::overlapsDevice(int32_t first, int32_t last, const Device& device) {
    // A Device of span 0 still counts here: it blocks a range that starts at or before
    // its base and reaches it.
    const int32_t c = device.baseAddress();
    const int32_t s = device.span();
    if (first >= c) return c + s - 1 >= first;
    return last >= c;
}

bool DeviceStore::overlaps(int32_t first, int32_t last, const Device* except) const {
    for (const auto& device : devices_)
        if (device.get() != except && overlapsDevice(first, last, *device)) return true;
    return false;
}

MessageId DeviceStore::checkSeries(const Template& tpl, int count, int32_t address) const {
    const int32_t k = tpl.channelCount();
    if (k <= 0) return MessageId::TemplateWithoutChannels;
    if (count < 1 || !common::isChannelIndex(address)) return MessageId::UniverseBoundary;
    const int64_t last = int64_t{address} + int64_t{count} * k - 1;
    const int32_t universeStart =
        address / common::CHANNELS_PER_UNIVERSE * common::CHANNELS_PER_UNIVERSE;
    // Overlap is reported before the boundary, as the Device Manager checks them; the
    // range is clipped to the frame so a huge count cannot overflow.
    const int32_t clippedLast =
        static_cast<int32_t>(std::min<int64_t>(last, common::FRAME_CHANNELS - 1));
    if (overlaps(address, clippedLast)) return MessageId::DeviceOverlap;
    if (last >= universeStart + common::CHANNELS_PER_UNIVERSE) return MessageId::UniverseBoundary;
    return MessageId::None;
}

MessageId DeviceStore::insertSeries(const Template& tpl, int count, int32_t address,
                                    int firstNumber) {
    const MessageId check = checkSeries(tpl, count, address);
    if (check != MessageId::None) return check;
    const int32_t k = tpl.channelCount();
    std::vector<std::unique_ptr<Device>> made;
    try {
        made.reserve(static_cast<size_t>(count));
        devices_.reserve(devices_.size() + static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            char number[16];
            std::snprintf(number, sizeof number, " %03d", firstNumber + i);
            auto device = Device::create(tpl, tpl.name() + number, address + i * k);
            if (!device) return MessageId::TemplateDataLoadFailed;
            made.push_back(std::move(device));
        }
    } catch (const std::bad_alloc&) {
        return MessageId::TemplateDataLoadFailed;
    }
    // Capacity was reserved above, so appending cannot fail half-way.
    for (auto& device : made) devices_.push_back(std::move(device));
    publishChannelCounts();
    return MessageId::None;
}

int DeviceStore::nextSeriesNumber(const std::string& prefix) const {
    int64_t largest = 0;
    for (const auto& device : devices_) {
        const std::string& name = device->name();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        size_t i = prefix.size();
        while (i < name.size() && name[i] == ' ') ++i;
        int64_t n = 0;
        // Digits beyond what a Device number can be stop counting instead of overflowing.
        for (; i < name.size() && name[i] >= '0' && name[i] <= '9' && n < 1'000'000'000; ++i)
            n = n * 10 + (name[i] - '0');
        largest = std::max(largest, n);
    }
    return static_cast<int>(std::min<int64_t>(largest, 1'000'000'000) + 1);
}

MessageId DeviceStore::moveDevice(Device* device, int32_t address, CueStore& cues) {
    if (!contains(device) || !device->fitsAt(address)) return MessageId::DeviceOverlap;
    const int32_t last = address + device->span() - 1;
    if (overlaps(address, last, device)) return MessageId::DeviceOverlap;
    const int32_t oldBase = device->baseAddress();
    cues.moveDeviceInAll(*device, oldBase, address);
    device->setBaseAddress(address);
    publishChannelCounts();
    return MessageId::None;
}

bool DeviceStore::anyUsedInCues(const std::vector<int>& indexes, const CueStore& cues) const {
    for (int index : indexes)
        if (const Device* device = at(index); device && cues.deviceUsed(device)) return true;
    return false;
}

void DeviceStore::deleteDevices(std::vector<int> indexes, CueStore& cues) {
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    // From the highest index down, so the lower indexes stay valid.
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
        Device* device = at(*it);
        if (!device) continue;
        cues.removeDeviceFromAll(device);
        remove(*it);
    }
    publishChannelCounts();
}

std::array<int, common::UNIVERSES> DeviceStore::channelCounts() const {
    std::array<int, common::UNIVERSES> counts{};
    std::vector<int32_t> channels;
    for (const auto& device : devices_) {
        channels.clear();
        for (const auto& control : device->controls()) control->collectChannels(channels, true);
        for (int32_t channel : channels) {
            if (!common::isChannelIndex(channel)) continue;
            int& highest = counts[common::universeOf(channel) - 1];
            highest = std::max(highest, common::channelOf(channel));
        }
    }
    return counts;
}

void DeviceStore::publishChannelCounts() const {
    const auto counts = channelCounts();
    for (common::SendLengthListener* listener : listeners_)
        for (int u = 0; u < common::UNIVERSES; ++u) listener->setSendLength(u + 1, counts[u]);
}

void DeviceStore::addSendLengthListener(common::SendLengthListener* listener) {
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void DeviceStore::removeSendLengthListener(common::SendLengthListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

}  // namespace j4::show
