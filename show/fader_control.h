#pragma once
// FaderControl (kind 2): a continuous value on one channel or on a 16-bit pair (high
// byte on one channel, low byte on another), limited to minimum..maximum, optionally
// reversed and optionally scaled by the grand master.

#include "show/control.h"

namespace j4::show {

class FaderControl final : public Control {
  public:
    static constexpr int32_t MAX_8BIT = 255;
    static constexpr int32_t MAX_16BIT = 65535;

    FaderControl() = default;

    void setBaseAddress(int32_t address) override;
    // Not reversed: adds the stored value above the minimum, scaled by the level, to
    // what earlier layers left. Reversed: the first layer to touch the channel starts
    // it at the maximum and every layer subtracts its scaled value. The stored value
    // of a reverse fader is the fader position, not the output.
    void render(const common::DmxFrame& values, common::RenderBuffer& buffer, common::Level level,
                common::Level grandMasterLevel) const override;
    // The same without a virtual call, for the Device's render loop.
    void renderChannels(const common::DmxFrame& values, common::RenderBuffer& buffer,
                        common::Level level, common::Level grandMasterLevel) const;
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
    void setReverse(bool reverse) { reverse_ = reverse; }
    bool grandMasterControlled() const { return grandMasterControlled_; }
    void setGrandMasterControlled(bool controlled) { grandMasterControlled_ = controlled; }

    // Highest value the fader's channels can carry: 255 or 65535.
    int32_t scaleMaximum() const { return twoChannels_ ? MAX_16BIT : MAX_8BIT; }

  private:
    // Recomputes the absolute channels and output limits after any change of base
    // address, offsets, width or range, so a render does no address arithmetic.
    void place();

    bool twoChannels_ = false;
    int32_t highChannelOffset_ = 0;
    int32_t channelOffset_ = 0;
    int32_t minimum_ = 0;
    int32_t maximum_ = MAX_8BIT;
    bool reverse_ = false;
    bool grandMasterControlled_ = true;
    // Absolute low (or only) channel, -1 when a channel falls outside the frame.
    int32_t at_ = 0;
    int32_t highAt_ = 0;  // absolute high channel of a 16-bit fader
    // Output limits: minimum..maximum, further limited to what the channels carry.
    int32_t outLow_ = 0;
    int32_t outHigh_ = MAX_8BIT;
};

inline void FaderControl::renderChannels(const common::DmxFrame& values,
                                         common::RenderBuffer& buffer, common::Level level,
                                         common::Level grandMasterLevel) const {
    const int32_t p = at_;
    if (p < 0) return;
    int32_t current = buffer.values[p];
    int32_t stored = values[p];
    if (twoChannels_) {
        current += buffer.values[highAt_] * 256;
        stored += values[highAt_] * 256;
    }
    const common::Level k = grandMasterControlled_ ? grandMasterLevel : level;
    int32_t v;
    if (!reverse_) {
        // The difference to the minimum is not clamped: a stored value below the
        // minimum lowers what earlier layers put there.
        v = (current > minimum_ ? current : minimum_) + common::scaleByLevel(stored - minimum_, k);
    } else {
        // The first layer to reach a reverse fader starts it at the maximum; each layer
        // then takes off its share, so two half-level layers at full position leave
        // almost nothing.
        const int32_t d = stored > minimum_ ? stored - minimum_ : 0;
        v = current;
        if (buffer.touched[p] == 0) {
            buffer.touched[p] = 1;
            v = maximum_;
        }
        v -= common::scaleByLevel(d, k);
    }
    v = v < outLow_ ? outLow_ : (v > outHigh_ ? outHigh_ : v);
    if (twoChannels_) buffer.values[highAt_] = static_cast<uint8_t>(v >> 8);
    buffer.values[p] = static_cast<uint8_t>(v);
}

}  // namespace j4::show
