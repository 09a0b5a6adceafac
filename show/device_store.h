#pragma once
// The DeviceStore: every Device of the show in order of creation. The index in this
// list is how show files refer to a Device. One per process; every mutating operation
// runs with the engine lock held by the caller (the Device Manager), and the Mixer
// reads Devices only under that lock.
//
// After each change of the patch the store tells every registered output, universe by
// universe, the highest channel in use (publishChannelCounts); the operations below
// that change the patch do so themselves.

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/frame_sink.h"
#include "show/device.h"
#include "show/show_messages.h"

namespace j4::show {

class CueStore;
class Template;

struct ControlLocation {
    int device = -1;   // index in the store
    int control = -1;  // index among the Device's top-level controls
};

class DeviceStore {
  public:
    DeviceStore() = default;
    DeviceStore(const DeviceStore&) = delete;
    DeviceStore& operator=(const DeviceStore&) = delete;

    // String 62, the root of the Device Manager's tree.
    static constexpr const char* NAME = "DMX Devices";

    // Appends a Device made from the Template at `baseAddress`; its index, or -1 when
    // a clone fails or it would reach past channel 8191. No overlap check (callers use
    // checkSeries / overlaps first) and no publishing.
    int create(const Template& tpl, std::string name, int32_t baseAddress);
    // Appends a Device read from a file; its index, or -1 for null.
    int append(std::unique_ptr<Device> device);
    // Removes and destroys a Device. Callers first remove it from every Cue.
    bool remove(int index);
    void clear();

    int count() const { return static_cast<int>(devices_.size()); }
    Device* at(int index) const;
    int indexOf(const Device* device) const;
    bool contains(const Device* device) const { return indexOf(device) >= 0; }
    std::optional<ControlLocation> locateControl(const Control* control) const;

    // Whether the channel range [first, last] overlaps any Device other than `except`.
    bool overlaps(int32_t first, int32_t last, const Device* except = nullptr) const;
    // The overlap rule against one Device with base c and span s: when first >= c the
    // ranges meet if c + s - 1 >= first, otherwise if last >= c.
    static bool overlapsDevice(int32_t first, int32_t last, const Device& device);

    // Checks a series of `count` Devices of the Template (channel count k) starting at
    // absolute channel `address`, each k channels after the previous: 525 when the
    // Template uses no channel, 501 on overlap, 542 when the block reaches into the next
    // universe; None when it may be inserted.
    MessageId checkSeries(const Template& tpl, int count, int32_t address) const;
    // Checks, then creates the Devices named "<Template name> 001", "... 002", ... and
    // publishes channel counts. `firstNumber` is the number of the first Device. On
    // any refusal nothing is created. The caller marks the show changed and tells the
    // windows.
    MessageId insertSeries(const Template& tpl, int count, int32_t address, int firstNumber = 1);
    // The first number of a new series named after `prefix`: 1 + the largest number
    // that starts (after spaces) what follows the prefix in an existing Device's name,
    // counting only names longer than the prefix; 1 when there is none.
    int nextSeriesNumber(const std::string& prefix) const;

    // Moves a Device to `address` (same span): 501 when the new range overlaps another
    // Device (its own old range does not count) or leaves the frame; otherwise every
    // Cue holding it moves its stored values, the Device moves, channel counts are
    // published. The caller marks the Mixer dirty and the show changed.
    MessageId moveDevice(Device* device, int32_t address, CueStore& cues);

    // Removes the Devices at `indexes` from every Cue (highest index first), then from
    // the store, and publishes channel counts. Ask message 547 first when
    // anyUsedInCues() says so.
    void deleteDevices(std::vector<int> indexes, CueStore& cues);
    bool anyUsedInCues(const std::vector<int>& indexes, const CueStore& cues) const;

    // Per universe 1..16 the highest used channel number (1..512), 0 when unused.
    std::array<int, common::UNIVERSES> channelCounts() const;
    // Passes channelCounts() to every registered output as (universe, number).
    void publishChannelCounts() const;
    void addSendLengthListener(common::SendLengthListener* listener);
    void removeSendLengthListener(common::SendLengthListener* listener);

  private:
    std::vector<std::unique_ptr<Device>> devices_;
    std::vector<common::SendLengthListener*> listeners_;
};

}  // namespace j4::show
