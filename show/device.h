#pragma once
// A Device: one patched fixture, holding its own copies of a Template's controls with
// its base address applied. It does not refer to the Template, so a show loads and
// renders without the Template library.

#include <memory>
#include <string>
#include <vector>

#include "common/identity.h"
#include "show/control.h"
#include "show/fader_control.h"
#include "show/position_control.h"

namespace j4::show {

class PagedModeControl;
class Template;

class Device {
  public:
    // Clones the Template's (loaded) controls and places them at `baseAddress`. Null
    // when a clone fails or the Device would reach past channel 8191.
    static std::unique_ptr<Device> create(const Template& tpl, std::string name,
                                          int32_t baseAddress);
    // A Device from parts read from a file; null when the controls do not fit in
    // 0..8191 at `baseAddress`.
    static std::unique_ptr<Device> fromParts(const common::Identity& identity, std::string name,
                                             int32_t baseAddress, ControlList controls);

    // Renders every control in order with the Cue's values. Allocation-free.
    void render(const common::DmxFrame& values, common::RenderBuffer& buffer, common::Level level,
                common::Level grandMasterLevel) const;

    const common::Identity& identity() const { return identity_; }
    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }
    int32_t baseAddress() const { return baseAddress_; }
    // Highest channel used - base address + 1; 0 when the Device uses no channel.
    int32_t span() const { return span_; }
    const ControlList& controls() const { return controls_; }
    // Index of a top-level control, -1 when it is not one of this Device's.
    int controlIndex(const Control* control) const;

    // Moves the Device and its controls. False (nothing changed) when the span would
    // reach past channel 8191 or the address is negative.
    bool setBaseAddress(int32_t address);
    // Whether [address, address + span - 1] stays inside 0..8191.
    bool fitsAt(int32_t address) const;

  private:
    Device() = default;
    void computeSpan();

    // Rebuilds the render program from the controls' render records.
    void compileRenderProgram() const;

    // One step of the render program: a copy of a fader's, select's or position
    // control's render record, or the mode control itself (it renders its pages).
    // The op code joins the kind and the fader's shape, so the loop dispatches once.
    enum class Op : uint8_t {
        Skip,
        FaderAdd8,
        FaderAdd16,
        FaderReverse8,
        FaderReverse16,
        Select,
        Position,
        Mode
    };
    struct RenderOp {
        Op op;
        union {
            FaderRender fader;
            PositionRender position;
            int32_t selectAt;
            const PagedModeControl* mode;
        };
    };

    common::Identity identity_;
    std::string name_;
    int32_t baseAddress_ = 0;
    int32_t span_ = 0;
    ControlList controls_;
    // The controls flattened in order, so a frame walks one small array instead of
    // a control object per control. One op per top-level control, sized when the
    // Device is made; refilled in place (no allocation) by the render after any
    // control anywhere changed what it renders (see render_edits.h). The Mixer's
    // thread is the only one rendering a Device.
    mutable std::vector<RenderOp> program_;
    mutable uint32_t programEdits_ = 0;
};

}  // namespace j4::show
