#pragma once
// FaderControl (kind 2): a continuous value on one channel or on a 16-bit pair (high
// byte on one channel, low byte on another), limited to minimum..maximum, optionally
// reversed and optionally scaled by the grand master.

#include "show/control.h"

namespace j4::show {

// What one fader's render needs, kept current by the control and copied by its
// Device into a flat render program, so a frame reads no control object.
struct FaderRender {
    // None (a channel outside the frame), adding or reverse, one channel or a pair.
    enum class Shape : uint8_t { Off, Add8, Add16, Reverse8, Reverse16 };
    Shape shape;
    bool grandMasterControlled;
    int32_t at;      // absolute low (or only) channel
    int32_t highAt;  // absolute high channel of a 16-bit fader
    int32_t minimum;
    int32_t maximum;
    // Output limits: minimum..maximum, further limited to what the channels carry.
    int32_t outLow;
    int32_t outHigh;

    // Merges one layer into the buffer. Allocation-free.
    void render(const common::DmxFrame& values, common::RenderBuffer& buffer, common::Level level,
                common::Level grandMasterLevel) const;

    // The level this fader scales by, and the render of each shape, for callers that
    // already dispatch on the shape (the Device's render program).
    common::Level levelFor(common::Level level, common::Level grandMasterLevel) const {
        return grandMasterControlled ? grandMasterLevel : level;
    }
    void add8(const common::DmxFrame& values, common::RenderBuffer& buffer, common::Level k) const {
        uint8_t* out = buffer.values.data();
        out[at] = static_cast<uint8_t>(added(out[at], values[at], k));
    }
    void reverse8(const common::DmxFrame& values, common::RenderBuffer& buffer,
                  common::Level k) const {
        uint8_t* out = buffer.values.data();
        out[at] = static_cast<uint8_t>(takenOff(out[at], values[at], k, buffer.touched[at]));
    }
    void add16(const common::DmxFrame& values, common::RenderBuffer& buffer,
               common::Level k) const {
        uint8_t* out = buffer.values.data();
        store16(out, added(out[highAt] * 256 + out[at], values[highAt] * 256 + values[at], k));
    }
    void reverse16(const common::DmxFrame& values, common::RenderBuffer& buffer,
                   common::Level k) const {
        uint8_t* out = buffer.values.data();
        store16(out, takenOff(out[highAt] * 256 + out[at], values[highAt] * 256 + values[at], k,
                              buffer.touched[at]));
    }

  private:
    void store16(uint8_t* out, int32_t v) const {
        out[highAt] = static_cast<uint8_t>(v >> 8);
        out[at] = static_cast<uint8_t>(v);
    }
    int32_t limited(int32_t v) const;
    int32_t added(int32_t current, int32_t stored, common::Level k) const;
    int32_t takenOff(int32_t current, int32_t stored, common::Level k, uint8_t& touched) const;
};

class FaderControl final : public Control {
  public:
    static constexpr int32_t MAX_8BIT = 255;
    static constexpr int32_t MAX_16BIT = 65535;

    FaderControl() { place(); }

    void setBaseAddress(int32_t address) override;
    // Not reversed: adds the stored value above the minimum, scaled by the level, to
    // what earlier layers left. Reversed: the first layer to touch the channel starts
    // it at the maximum and every layer subtracts its scaled value. The stored value
    // of a reverse fader is the fader position, not the output.
    void render(const common::DmxFrame& values, common::RenderBuffer& buffer, common::Level level,
                common::Level grandMasterLevel) const override;
    // The record render() works from; always matches the settings above.
    const FaderRender& renderRecord() const { return render_; }
    std::unique_ptr<Control> clone() const override;
    ControlKind kind() const override { return ControlKind::Fader; }
    void collectChannels(std::vector<int32_t>& out, bool includeSubControls) const override;
    void save(common::ByteWriter& out) const override;
    // Refuses offsets outside 0..8191 and a range that is not 0 <= min <= max <= 65535.
    bool load(common::ByteReader& in, int nesting = 0) override;
    // A reverse fader stores minimum + maximum - output.
    void storeFromOutput(common::DmxFrame& values) const override;

    bool twoChannels() const { return twoChannels_; }
    void setTwoChannels(bool two) {
        twoChannels_ = two;
        place();
    }
    int32_t highChannelOffset() const { return highChannelOffset_; }
    int32_t channelOffset() const { return channelOffset_; }
    // False (nothing changed) for an offset outside 0..8191.
    bool setHighChannelOffset(int32_t offset);
    bool setChannelOffset(int32_t offset);

    int32_t minimum() const { return minimum_; }
    int32_t maximum() const { return maximum_; }
    // False (nothing changed) unless 0 <= minimum <= maximum <= 65535. Values above 255
    // on a one-channel fader are limited to 255 when rendered.
    bool setRange(int32_t minimum, int32_t maximum);
    static bool validRange(int32_t minimum, int32_t maximum);

    bool reverse() const { return reverse_; }
    void setReverse(bool reverse) {
        reverse_ = reverse;
        place();
    }
    bool grandMasterControlled() const { return grandMasterControlled_; }
    void setGrandMasterControlled(bool controlled) {
        grandMasterControlled_ = controlled;
        place();
    }

    // Highest value the fader's channels can carry: 255 or 65535.
    int32_t scaleMaximum() const { return twoChannels_ ? MAX_16BIT : MAX_8BIT; }

  private:
    // Rebuilds the render record after any change of base address, offsets, width,
    // range, reverse or grand master, so a render does no address arithmetic.
    void place();

    bool twoChannels_ = false;
    int32_t highChannelOffset_ = 0;
    int32_t channelOffset_ = 0;
    int32_t minimum_ = 0;
    int32_t maximum_ = MAX_8BIT;
    bool reverse_ = false;
    bool grandMasterControlled_ = true;
    FaderRender render_;
};

inline int32_t FaderRender::limited(int32_t v) const {
    return v < outLow ? outLow : (v > outHigh ? outHigh : v);
}

inline int32_t FaderRender::added(int32_t current, int32_t stored, common::Level k) const {
    // The difference to the minimum is not clamped: a stored value below the minimum
    // lowers what earlier layers put there.
    return limited((current > minimum ? current : minimum) +
                   common::scaleByLevel(stored - minimum, k));
}

inline int32_t FaderRender::takenOff(int32_t current, int32_t stored, common::Level k,
                                     uint8_t& touched) const {
    // The first layer to reach a reverse fader starts it at the maximum; each layer
    // then takes off its share, so two half-level layers at full position leave almost
    // nothing.
    if (touched == 0) {
        touched = 1;
        current = maximum;
    }
    return limited(current - common::scaleByLevel(stored > minimum ? stored - minimum : 0, k));
}

inline void FaderRender::render(const common::DmxFrame& values, common::RenderBuffer& buffer,
                                common::Level level, common::Level grandMasterLevel) const {
    const common::Level k = levelFor(level, grandMasterLevel);
    switch (shape) {
        case Shape::Add8:
            add8(values, buffer, k);
            break;
        case Shape::Add16:
            add16(values, buffer, k);
            break;
        case Shape::Reverse8:
            reverse8(values, buffer, k);
            break;
        case Shape::Reverse16:
            reverse16(values, buffer, k);
            break;
        case Shape::Off:
            break;
    }
}

}  // namespace j4::show
