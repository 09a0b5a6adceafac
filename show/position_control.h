#pragma once
// PositionControl (kind 5): pan and tilt of a moving head on one channel each or on
// two 16-bit pairs (coarse and fine), plus the running state of a movement effect.

#include <algorithm>

#include "show/control.h"
#include "show/effect_shape.h"

namespace j4::show {

// Running state of a movement effect on one position control. Lives inside the
// control, copied by clone(), never stored in a file.
struct EffectState {
    int32_t rotationSum = 0;   // tenths of a degree collected in the current tick
    int32_t speedSum = 0;      // speed collected in the current tick
    int32_t directionSum = 0;  // level-weighted direction collected in the current tick
    int32_t position = 0;      // index of the current point, 0..2999
    int32_t lastTick = 0;      // Mixer tick counter of the last position step
    bool operator==(const EffectState&) const = default;
};

// What a position control's render needs, kept current by the control and copied by
// its Device into a flat render program.
struct PositionRender {
    int32_t panAt;      // absolute coarse pan channel; -1 when a used channel is outside
    int32_t tiltAt;     // absolute coarse tilt channel
    int32_t panFineAt;  // fine channels, -1 with two channels
    int32_t tiltFineAt;
    bool fourChannels;

    // Adds one layer into the buffer. Allocation-free.
    void render(const common::DmxFrame& values, common::RenderBuffer& buffer,
                common::Level level) const;
};

class PositionControl final : public Control {
  public:
    PositionControl() { place(); }

    void setBaseAddress(int32_t address) override;
    // Adds the stored pan and tilt, scaled by the layer level (never the grand
    // master), to what earlier layers left, limited to 65535. With one channel each
    // half a step (128) is added so the coarse byte rounds instead of truncating.
    void render(const common::DmxFrame& values, common::RenderBuffer& buffer, common::Level level,
                common::Level grandMasterLevel) const override;
    // The record render() works from; always matches the settings below.
    const PositionRender& renderRecord() const { return render_; }
    std::unique_ptr<Control> clone() const override;
    ControlKind kind() const override { return ControlKind::Position; }
    void collectChannels(std::vector<int32_t>& out, bool includeSubControls) const override;
    void save(common::ByteWriter& out) const override;
    bool load(common::ByteReader& in, int nesting = 0) override;

    // Movement effects. For one Mixer run the Mixer calls advance for every layer that
    // plays an effect on this control, then apply for each, then tick once.
    void effectAdvance(const EffectSettings& settings, common::Level level) override;
    void effectApply(common::DmxFrame& frame, const EffectSettings& settings,
                     const EffectShape& shape, common::Level level) const override;
    void effectTick(int32_t tick) override;

    bool fourChannels() const { return fourChannels_; }
    void setFourChannels(bool four) {
        fourChannels_ = four;
        place();
    }
    int32_t panOffset() const { return panOffset_; }
    int32_t panFineOffset() const { return panFineOffset_; }
    int32_t tiltOffset() const { return tiltOffset_; }
    int32_t tiltFineOffset() const { return tiltFineOffset_; }
    // False (nothing changed) when an offset is outside 0..8191.
    bool setOffsets(int32_t pan, int32_t panFine, int32_t tilt, int32_t tiltFine);
    bool padStyle() const { return padStyle_; }
    void setPadStyle(bool style) { padStyle_ = style; }

    const EffectState& effectState() const { return effect_; }

  private:
    // Recomputes the absolute channels after a change of base address, offsets or
    // width, so neither render nor the effect does address arithmetic.
    void place();

    EffectState effect_;
    bool fourChannels_ = false;
    int32_t panOffset_ = 0;
    int32_t panFineOffset_ = 0;
    int32_t tiltOffset_ = 0;
    int32_t tiltFineOffset_ = 0;
    bool padStyle_ = true;
    PositionRender render_;
};

inline void PositionRender::render(const common::DmxFrame& values, common::RenderBuffer& buffer,
                                   common::Level level) const {
    const int32_t a = panAt;
    if (a < 0) return;
    const int32_t b = tiltAt;
    uint8_t* out = buffer.values.data();
    int32_t pan, tilt;
    if (fourChannels) {
        const int32_t a2 = panFineAt, b2 = tiltFineAt;
        pan = out[a] * 256 + out[a2] + common::scaleByLevel(values[a] * 256 + values[a2], level);
        tilt = out[b] * 256 + out[b2] + common::scaleByLevel(values[b] * 256 + values[b2], level);
    } else {
        // With one channel each the low byte is unknown; half a step makes the coarse
        // byte round to nearest instead of down.
        pan = out[a] * 256 + common::scaleByLevel(values[a] * 256, level) + 128;
        tilt = out[b] * 256 + common::scaleByLevel(values[b] * 256, level) + 128;
    }
    pan = pan < 0 ? 0 : (pan > 65535 ? 65535 : pan);
    tilt = tilt < 0 ? 0 : (tilt > 65535 ? 65535 : tilt);
    out[a] = static_cast<uint8_t>(pan >> 8);
    out[b] = static_cast<uint8_t>(tilt >> 8);
    if (fourChannels) {
        out[panFineAt] = static_cast<uint8_t>(pan);
        out[tiltFineAt] = static_cast<uint8_t>(tilt);
    }
}

// The effect hooks run for every effect entry of every visited layer on each Mixer
// run, so they are inline.
inline void PositionControl::effectAdvance(const EffectSettings& settings, common::Level level) {
    effect_.speedSum += common::scaleByLevel(settings.speed, level);
    effect_.rotationSum += settings.rotation >= 0
                               ? common::scaleByLevel(settings.rotation, level)
                               : -common::scaleByLevel(-settings.rotation, level);
    effect_.directionSum += settings.reverse == 1 ? -level : level;
    if (effect_.rotationSum > 3600) effect_.rotationSum -= 3600;
    if (effect_.rotationSum < -3600) effect_.rotationSum += 3600;
}

inline void PositionControl::effectApply(common::DmxFrame& frame, const EffectSettings& settings,
                                         const EffectShape& shape, common::Level level) const {
    const int32_t a = render_.panAt;
    if (a < 0) return;
    const int32_t b = render_.tiltAt, a2 = render_.panFineAt, b2 = render_.tiltFineAt;
    int32_t pan = frame[a] * 256 + (a2 >= 0 ? frame[a2] : 0);
    int32_t tilt = frame[b] * 256 + (b2 >= 0 ? frame[b2] : 0);
    const int32_t gain = common::scaleByLevel(settings.gain, level);
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
    pan = std::clamp(pan + ((x * gain) >> 10), 0, 65535);
    tilt = std::clamp(tilt - ((y * gain) >> 10), 0, 65535);
    frame[a] = static_cast<uint8_t>(pan >> 8);
    frame[b] = static_cast<uint8_t>(tilt >> 8);
    if (fourChannels_) {
        frame[a2] = static_cast<uint8_t>(pan);
        frame[b2] = static_cast<uint8_t>(tilt);
    }
}

inline void PositionControl::effectTick(int32_t tick) {
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

}  // namespace j4::show
