#include "show/position_control.h"

#include <algorithm>
#include <new>

#include "show/render_edits.h"

namespace j4::show {

void PositionControl::setBaseAddress(int32_t address) {
    Control::setBaseAddress(address);
    place();
}

void PositionControl::place() {
    const int32_t a = channelAt(panOffset_);
    const int32_t b = channelAt(tiltOffset_);
    const int32_t a2 = fourChannels_ ? channelAt(panFineOffset_) : -1;
    const int32_t b2 = fourChannels_ ? channelAt(tiltFineOffset_) : -1;
    const bool inFrame = a >= 0 && b >= 0 && (!fourChannels_ || (a2 >= 0 && b2 >= 0));
    render_ = PositionRender{inFrame ? a : -1, b, a2, b2, fourChannels_};
    noteRenderEdit();
}

void PositionControl::render(const common::DmxFrame& values, common::RenderBuffer& buffer,
                             common::Level level, common::Level /*grandMasterLevel*/) const {
    render_.render(values, buffer, level);
}

std::unique_ptr<Control> PositionControl::clone() const {
    try {
        return std::make_unique<PositionControl>(*this);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void PositionControl::collectChannels(std::vector<int32_t>& out,
                                      bool /*includeSubControls*/) const {
    out.push_back(baseAddress_ + panOffset_);
    out.push_back(baseAddress_ + tiltOffset_);
    if (fourChannels_) {
        out.push_back(baseAddress_ + panFineOffset_);
        out.push_back(baseAddress_ + tiltFineOffset_);
    }
}

bool PositionControl::setOffsets(int32_t pan, int32_t panFine, int32_t tilt, int32_t tiltFine) {
    if (!isChannelOffset(pan) || !isChannelOffset(panFine) || !isChannelOffset(tilt) ||
        !isChannelOffset(tiltFine))
        return false;
    panOffset_ = pan;
    panFineOffset_ = panFine;
    tiltOffset_ = tilt;
    tiltFineOffset_ = tiltFine;
    place();
    return true;
}

void PositionControl::save(common::ByteWriter& out) const {
    saveCommon(out);
    out.boolean(fourChannels_);
    out.int32(panOffset_);
    out.int32(panFineOffset_);
    out.int32(tiltOffset_);
    out.int32(tiltFineOffset_);
    out.boolean(padStyle_);
}

bool PositionControl::load(common::ByteReader& in, int /*nesting*/) {
    LayoutRect layout;
    std::string name;
    if (!loadCommon(in, layout, name)) return false;
    const bool four = in.boolean("position four channels");
    const int32_t pan = in.int32("pan offset");
    const int32_t panFine = in.int32("pan fine offset");
    const int32_t tilt = in.int32("tilt offset");
    const int32_t tiltFine = in.int32("tilt fine offset");
    const bool padStyle = in.boolean("pad style");
    if (!in.ok()) return false;
    // Fine offsets of a two-channel control are unused; files may leave anything there.
    if (!isChannelOffset(pan) || !isChannelOffset(tilt) ||
        (four && (!isChannelOffset(panFine) || !isChannelOffset(tiltFine)))) {
        in.fail("position channel offset outside 0..8191");
        return false;
    }
    layout_ = layout;
    name_ = std::move(name);
    fourChannels_ = four;
    panOffset_ = pan;
    panFineOffset_ = panFine;
    tiltOffset_ = tilt;
    tiltFineOffset_ = tiltFine;
    padStyle_ = padStyle;
    place();
    return true;
}

}  // namespace j4::show
