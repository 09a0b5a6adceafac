#include "show/position_control.h"

#include <algorithm>
#include <new>

#include "show/effect_shape.h"

namespace j4::show {

using common::scaleByLevel;

namespace {
constexpr int32_t MAX_16BIT = 65535;

int32_t read16(const uint8_t* bytes, int32_t coarse, int32_t fine) {
    return bytes[coarse] * 256 + (fine >= 0 ? bytes[fine] : 0);
}
}  // namespace

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
    panAt_ = inFrame ? a : -1;
    tiltAt_ = b;
    panFineAt_ = a2;
    tiltFineAt_ = b2;
}

void PositionControl::render(const common::DmxFrame& values, common::RenderBuffer& buffer,
                             common::Level level, common::Level /*grandMasterLevel*/) const {
    renderChannels(values, buffer, level);
}

void PositionControl::effectAdvance(const EffectSettings& settings, common::Level level) {
    effect_.speedSum += scaleByLevel(settings.speed, level);
    effect_.rotationSum += settings.rotation >= 0 ? scaleByLevel(settings.rotation, level)
                                                  : -scaleByLevel(-settings.rotation, level);
    effect_.directionSum += settings.reverse == 1 ? -level : level;
    if (effect_.rotationSum > 3600) effect_.rotationSum -= 3600;
    if (effect_.rotationSum < -3600) effect_.rotationSum += 3600;
}

void PositionControl::effectApply(common::DmxFrame& frame, const EffectSettings& settings,
                                  const EffectShape& shape, common::Level level) const {
    const int32_t a = panAt_;
    if (a < 0) return;
    const int32_t b = tiltAt_, a2 = panFineAt_, b2 = tiltFineAt_;
    int32_t pan = read16(frame.data(), a, a2);
    int32_t tilt = read16(frame.data(), b, b2);
    const int32_t gain = scaleByLevel(settings.gain, level);
    const int32_t position = std::clamp(effect_.position, 0, EFFECT_POINTS - 1);
    const EffectPoint& point = shape.points[position];
    int32_t x = point.x;
    int32_t y = point.y;
    int32_t r = effect_.rotationSum;
    if (r != 0) {
        // The sums stay inside -3600..3600 when levels stay on the level scale; the
        // loop keeps the table index in range whatever the levels were.
        while (r < 0) r += 3600;
        while (r > 3600) r -= 3600;
        const auto& sine = sineTable();
        const int32_t s = sine[r];
        const int32_t c = sine[r + 900];
        const int32_t rx = (x * c + y * s) / 1024;
        const int32_t ry = (y * c - x * s) / 1024;
        x = rx;
        y = ry;
    }
    pan = std::clamp(pan + ((x * gain) >> 10), 0, MAX_16BIT);
    tilt = std::clamp(tilt - ((y * gain) >> 10), 0, MAX_16BIT);
    frame[a] = static_cast<uint8_t>(pan >> 8);
    frame[b] = static_cast<uint8_t>(tilt >> 8);
    if (fourChannels_) {
        frame[a2] = static_cast<uint8_t>(pan);
        frame[b2] = static_cast<uint8_t>(tilt);
    }
}

void PositionControl::effectTick(int32_t tick) {
    if (tick == effect_.lastTick) return;
    // An effect that did not run in the previous Mixer run starts from its first point.
    if (tick != effect_.lastTick + 1) effect_.position = 0;
    const int32_t step = std::clamp(effect_.speedSum, 1, 100);
    if (effect_.directionSum < 0) {
        effect_.position -= step;
        if (effect_.position < 0) effect_.position += EFFECT_POINTS;
    } else {
        effect_.position += step;
        if (effect_.position >= EFFECT_POINTS) effect_.position -= EFFECT_POINTS;
    }
    effect_.speedSum = 0;
    effect_.directionSum = 0;
    effect_.rotationSum = 0;
    effect_.lastTick = tick;
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
