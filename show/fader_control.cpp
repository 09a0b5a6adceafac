#include "show/fader_control.h"

#include <algorithm>
#include <new>

#include "show/render_edits.h"

namespace j4::show {

void FaderControl::setBaseAddress(int32_t address) {
    Control::setBaseAddress(address);
    place();
}

void FaderControl::place() {
    const int32_t p = channelAt(channelOffset_);
    const int32_t h = twoChannels_ ? channelAt(highChannelOffset_) : 0;
    FaderRender r;
    r.at = p;
    r.highAt = h;
    r.minimum = minimum_;
    r.maximum = maximum_;
    // Clamping to minimum..maximum and then to 0..scaleMaximum() (a maximum beyond
    // what the channels carry would otherwise wrap around) is one clamp to these,
    // since 0 <= minimum <= maximum.
    r.outHigh = std::min(maximum_, scaleMaximum());
    r.outLow = std::min(minimum_, r.outHigh);
    r.grandMasterControlled = grandMasterControlled_;
    using Shape = FaderRender::Shape;
    if (p < 0 || h < 0)
        r.shape = Shape::Off;
    else if (reverse_)
        r.shape = twoChannels_ ? Shape::Reverse16 : Shape::Reverse8;
    else
        r.shape = twoChannels_ ? Shape::Add16 : Shape::Add8;
    render_ = r;
    noteRenderEdit();
}

void FaderControl::render(const common::DmxFrame& values, common::RenderBuffer& buffer,
                          common::Level level, common::Level grandMasterLevel) const {
    render_.render(values, buffer, level, grandMasterLevel);
}

void FaderControl::storeFromOutput(common::DmxFrame& values) const {
    if (!reverse_) return;
    const int32_t p = channelAt(channelOffset_);
    const int32_t h = twoChannels_ ? channelAt(highChannelOffset_) : 0;
    if (p < 0 || h < 0) return;
    int32_t output = values[p];
    if (twoChannels_) output += values[h] * 256;
    const int32_t v = std::clamp(minimum_ + maximum_ - output, 0, scaleMaximum());
    if (twoChannels_) values[h] = static_cast<uint8_t>(v >> 8);
    values[p] = static_cast<uint8_t>(v);
}

std::unique_ptr<Control> FaderControl::clone() const {
    try {
        return std::make_unique<FaderControl>(*this);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void FaderControl::collectChannels(std::vector<int32_t>& out, bool /*includeSubControls*/) const {
    out.push_back(baseAddress_ + channelOffset_);
    if (twoChannels_) out.push_back(baseAddress_ + highChannelOffset_);
}

bool FaderControl::setHighChannelOffset(int32_t offset) {
    if (!isChannelOffset(offset)) return false;
    highChannelOffset_ = offset;
    place();
    return true;
}

bool FaderControl::setChannelOffset(int32_t offset) {
    if (!isChannelOffset(offset)) return false;
    channelOffset_ = offset;
    place();
    return true;
}

bool FaderControl::validRange(int32_t minimum, int32_t maximum) {
    return minimum >= 0 && minimum <= maximum && maximum <= MAX_16BIT;
}

bool FaderControl::setRange(int32_t minimum, int32_t maximum) {
    if (!validRange(minimum, maximum)) return false;
    minimum_ = minimum;
    maximum_ = maximum;
    place();
    return true;
}

void FaderControl::save(common::ByteWriter& out) const {
    saveCommon(out);
    out.boolean(twoChannels_);
    out.int32(highChannelOffset_);
    out.int32(channelOffset_);
    out.int32(maximum_);  // the maximum precedes the minimum in the record
    out.int32(minimum_);
    out.boolean(reverse_);
    out.boolean(grandMasterControlled_);
}

bool FaderControl::load(common::ByteReader& in, int /*nesting*/) {
    LayoutRect layout;
    std::string name;
    if (!loadCommon(in, layout, name)) return false;
    const bool two = in.boolean("fader two channels");
    const int32_t high = in.int32("fader high channel offset");
    const int32_t offset = in.int32("fader channel offset");
    const int32_t maximum = in.int32("fader maximum");
    const int32_t minimum = in.int32("fader minimum");
    const bool reverse = in.boolean("fader reverse");
    const bool grandMaster = in.boolean("fader grand master");
    if (!in.ok()) return false;
    if (!isChannelOffset(offset) || (two && !isChannelOffset(high))) {
        in.fail("fader channel offset outside 0..8191");
        return false;
    }
    if (!validRange(minimum, maximum)) {
        in.fail("fader range " + std::to_string(minimum) + ".." + std::to_string(maximum) +
                " is not 0 <= minimum <= maximum <= 65535");
        return false;
    }
    layout_ = layout;
    name_ = std::move(name);
    twoChannels_ = two;
    highChannelOffset_ = high;
    channelOffset_ = offset;
    minimum_ = minimum;
    maximum_ = maximum;
    reverse_ = reverse;
    grandMasterControlled_ = grandMaster;
    place();
    return true;
}

}  // namespace j4::show
