#include "show/device.h"

#include <new>

#include "show/fader_control.h"
#include "show/paged_mode_control.h"
#include "show/position_control.h"
#include "show/render_edits.h"
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
        device->program_.resize(controls.size());
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    device->identity_ = identity;
    device->name_ = std::move(name);
    device->controls_ = std::move(controls);
    device->computeSpan();
    if (!device->setBaseAddress(baseAddress)) return nullptr;
    // Read before compiling: an edit made meanwhile makes the first render recompile.
    device->programEdits_ = renderEdits.load(std::memory_order_relaxed);
    device->compileRenderProgram();
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

void Device::compileRenderProgram() const {
    using Shape = FaderRender::Shape;
    for (size_t i = 0; i < controls_.size(); ++i) {
        const Control* control = controls_[i].get();
        RenderOp& op = program_[i];
        switch (control->kind()) {
            case ControlKind::Fader:
                op.fader = static_cast<const FaderControl*>(control)->renderRecord();
                switch (op.fader.shape) {
                    case Shape::Add8:
                        op.op = Op::FaderAdd8;
                        break;
                    case Shape::Add16:
                        op.op = Op::FaderAdd16;
                        break;
                    case Shape::Reverse8:
                        op.op = Op::FaderReverse8;
                        break;
                    case Shape::Reverse16:
                        op.op = Op::FaderReverse16;
                        break;
                    case Shape::Off:
                        op.op = Op::Skip;
                        break;
                }
                break;
            case ControlKind::Select:
                op.op = Op::Select;
                op.selectAt = static_cast<const SelectControl*>(control)->renderChannel();
                break;
            case ControlKind::Position:
                op.op = Op::Position;
                op.position = static_cast<const PositionControl*>(control)->renderRecord();
                break;
            case ControlKind::Mode:
                op.op = Op::Mode;
                op.mode = static_cast<const PagedModeControl*>(control);
                break;
        }
    }
}

void Device::render(const common::DmxFrame& values, common::RenderBuffer& buffer,
                    common::Level level, common::Level grandMasterLevel) const {
    const uint32_t edits = renderEdits.load(std::memory_order_relaxed);
    if (edits != programEdits_) {
        compileRenderProgram();
        programEdits_ = edits;
    }
    for (const RenderOp& op : program_) {
        switch (op.op) {
            case Op::FaderAdd8:
                op.fader.add8(values, buffer, op.fader.levelFor(level, grandMasterLevel));
                break;
            case Op::FaderAdd16:
                op.fader.add16(values, buffer, op.fader.levelFor(level, grandMasterLevel));
                break;
            case Op::FaderReverse8:
                op.fader.reverse8(values, buffer, op.fader.levelFor(level, grandMasterLevel));
                break;
            case Op::FaderReverse16:
                op.fader.reverse16(values, buffer, op.fader.levelFor(level, grandMasterLevel));
                break;
            case Op::Select:
                SelectControl::renderAt(op.selectAt, values, buffer);
                break;
            case Op::Position:
                op.position.render(values, buffer, level);
                break;
            case Op::Mode:
                // The class is final: a direct call.
                op.mode->PagedModeControl::render(values, buffer, level, grandMasterLevel);
                break;
            case Op::Skip:
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
