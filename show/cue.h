#pragma once
// A Cue: a numbered look. It stores a value for every one of the 8192 channels, the
// Devices the look involves (only they are rendered) and movement-effect entries for
// position controls of those Devices. Cues refer to Devices and effect shapes; the
// DeviceStore and the effect library own them.

#include <memory>
#include <string>
#include <vector>

#include "common/cue_number.h"
#include "common/dmx_frame.h"
#include "common/level.h"
#include "show/control.h"

namespace j4::show {

class Device;
class EffectShape;
class PositionControl;

struct EffectEntry {
    PositionControl* control = nullptr;  // the key: one entry per position control
    EffectSettings settings;
    const EffectShape* shape = nullptr;
};

class Cue {
  public:
    explicit Cue(common::CueNumber number = common::NONE_CUE) : number_(number) {}

    common::CueNumber number() const { return number_; }
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    const std::string& description() const { return description_; }
    void setDescription(std::string text) { description_ = std::move(text); }

    // Stored channel values in frame layout. For a reverse fader the stored value is
    // the fader position, not the output.
    common::DmxFrame& values() { return values_; }
    const common::DmxFrame& values() const { return values_; }

    const std::vector<Device*>& devices() const { return devices_; }
    // Appends a Device not yet in the Cue; false (nothing changed) for null or a
    // Device already present.
    bool addDevice(Device* device);
    // Drops the effect entries of the Device's controls, zeroes its channel range of
    // the values and removes it from the list. False when it was not in the Cue.
    bool removeDevice(const Device* device);
    bool containsDevice(const Device* device) const;
    // Moves the Device's stored values from the span at oldBase to the span at newBase
    // (copied aside first, so overlapping ranges are safe).
    void moveDeviceValues(const Device& device, int32_t oldBase, int32_t newBase);

    const std::vector<EffectEntry>& effects() const { return effects_; }
    // Appends an entry with default settings. Refused (false) unless `control` is a
    // top-level position control of a Device in this Cue, `shape` is not null and the
    // control has no entry yet. Callers hold the engine lock.
    bool addEffectEntry(Control* control, const EffectShape* shape);
    // Appends an entry read from a file after the same checks, and settings in range.
    bool addEffectEntry(Control* control, const EffectShape* shape, const EffectSettings& settings);
    bool removeEffectEntry(const Control* control);
    // The entry of a control, or null.
    EffectEntry* effectEntryOf(const Control* control);
    const EffectEntry* effectEntryOf(const Control* control) const;

    // Each listed Device, in list order, renders its controls with this Cue's values.
    // Allocation-free; called by the Mixer for every layer of every frame.
    void render(common::RenderBuffer& buffer, common::Level level,
                common::Level grandMasterLevel) const;

    // Deep copy under another number (Device and shape references are shared; effect
    // entries are copied with their settings). Null when memory runs out.
    std::unique_ptr<Cue> duplicate(common::CueNumber number) const;

  private:
    common::CueNumber number_;
    std::string name_;
    std::string description_;
    common::DmxFrame values_{};
    std::vector<Device*> devices_;
    std::vector<EffectEntry> effects_;
};

}  // namespace j4::show
