#pragma once
// The controls of Templates and Devices. A control describes channels relative to a
// base address, renders a Cue's stored values into the Mixer's RenderBuffer with the
// merge rule of its kind, and saves itself as a record shared by Template files and
// show files. Every kind implements the same fixed table of twelve operations (see
// Control below); the Mixer calls render() and the effect hooks on the frame path, so
// those never allocate, never throw and never touch a channel outside 0..8191.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/byte_reader.h"
#include "common/byte_writer.h"
#include "common/dmx_frame.h"
#include "common/level.h"

namespace j4::show {

class EffectShape;

// The kind numbers stored in files. There is no kind 4.
enum class ControlKind : int32_t { Select = 1, Fader = 2, Mode = 3, Position = 5 };

constexpr bool isControlKind(int32_t kind) {
    return kind == 1 || kind == 2 || kind == 3 || kind == 5;
}

// Position on the Template Editor's grid.
struct LayoutRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const LayoutRect&) const = default;
};

// Settings of one movement-effect entry, in the order they are stored (16 bytes).
struct EffectSettings {
    static constexpr int32_t MIN_GAIN = 0, MAX_GAIN = 1024, DEFAULT_GAIN = 102;
    static constexpr int32_t MIN_SPEED = 1, MAX_SPEED = 100, DEFAULT_SPEED = 15;
    static constexpr int32_t MIN_ROTATION = -3600, MAX_ROTATION = 3600;

    int32_t gain = DEFAULT_GAIN;
    int32_t speed = DEFAULT_SPEED;
    int32_t rotation = 0;  // tenths of a degree
    int32_t reverse = 0;   // 1 runs the path backwards

    bool valid() const;
    bool operator==(const EffectSettings&) const = default;
};

// A channel offset (or a base address plus offset) is usable when it lands on 0..8191.
constexpr bool isChannelOffset(int32_t offset) {
    return common::isChannelIndex(offset);
}

// Deepest nesting of mode pages inside mode pages a record may carry. Real fixtures
// need one or two levels; the limit keeps a hostile file from exhausting the stack.
inline constexpr int MAX_MODE_NESTING = 4;

class Control {
  public:
    // 0: destroy. Releases the control and everything it owns.
    virtual ~Control() = default;

    // 1: stores the owning Device's first channel (0 in a Template). A mode control
    // passes it on to every sub-control of every page.
    virtual void setBaseAddress(int32_t address) { baseAddress_ = address; }

    // 2: writes this control's channels for one layer. `values` are the Cue's 8192
    // stored values, `level` the layer level, `grandMasterLevel` the layer level scaled
    // by the grand master. Allocation-free.
    virtual void render(const common::DmxFrame& values, common::RenderBuffer& buffer,
                        common::Level level, common::Level grandMasterLevel) const = 0;

    // 3: a deep copy (items, pages, sub-controls, effect state), or null when memory
    // runs out.
    virtual std::unique_ptr<Control> clone() const = 0;

    // 4
    virtual ControlKind kind() const = 0;

    // 5: appends the absolute channel indexes (base address + offset) the control uses.
    virtual void collectChannels(std::vector<int32_t>& out, bool includeSubControls) const = 0;

    // 6: writes the record: the common part, then the kind's fields. The int kind in
    // front of the record is written by the owner (see control_record.h).
    virtual void save(common::ByteWriter& out) const;

    // 7: reads the record written by save(). False (with the reason in the reader) on
    // a short read or an invalid value; the control is then unchanged. `nesting` is
    // the number of mode pages this record sits inside.
    virtual bool load(common::ByteReader& in, int nesting = 0);

    // 8-10: movement effects, position controls only (no effect for other kinds).
    virtual void effectAdvance(const EffectSettings& /*settings*/, common::Level /*level*/) {}
    virtual void effectApply(common::DmxFrame& /*frame*/, const EffectSettings& /*settings*/,
                             const EffectShape& /*shape*/, common::Level /*level*/) const {}
    virtual void effectTick(int32_t /*tick*/) {}

    // 11: turns output values back into stored values in place (snapshot of the
    // output into a Cue).
    virtual void storeFromOutput(common::DmxFrame& /*values*/) const {}

    int32_t baseAddress() const { return baseAddress_; }
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    const LayoutRect& layout() const { return layout_; }
    void setLayout(const LayoutRect& rect) { layout_ = rect; }

  protected:
    Control() = default;
    Control(const Control&) = default;
    // Controls are copied only whole, through clone(): assigning one over a control a
    // Device renders from would bypass the render-edit notice and leave the Device
    // rendering the old settings.
    Control& operator=(const Control&) = delete;

    // The common part of the record (layout rectangle, name).
    void saveCommon(common::ByteWriter& out) const;
    bool loadCommon(common::ByteReader& in, LayoutRect& layout, std::string& name) const;

    // Absolute channel of an offset; -1 when it falls outside the frame.
    int32_t channelAt(int32_t offset) const {
        const int64_t at = int64_t{baseAddress_} + offset;
        return at >= 0 && at < common::FRAME_CHANNELS ? static_cast<int32_t>(at) : -1;
    }

    int32_t baseAddress_ = 0;
    std::string name_;
    LayoutRect layout_;
};

using ControlList = std::vector<std::unique_ptr<Control>>;

// Deep copy of a list; false (and `out` untouched) when any control fails to clone.
bool cloneControls(const ControlList& from, ControlList& out);

// Highest absolute channel used by the controls (sub-controls of mode pages included,
// inactive mode channels excluded), or -1 when they use none.
int32_t highestChannel(const ControlList& controls);

}  // namespace j4::show
