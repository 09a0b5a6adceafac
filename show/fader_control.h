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

    // Not reversed: adds the stored value above the minimum, scaled by the level, to
    // what earlier layers left. Reversed: the first layer to touch the channel starts
    // it at the maximum and every layer subtracts its scaled value. The stored value
    // of a reverse fader is the fader position, not the output.
    void render(const common::DmxFrame& values, common::RenderBuffer& buffer, common::Level level,
                common::Level grandMasterLevel) const override;
    std::unique_ptr<Control> clone() const override;
    ControlKind kind() const override { return ControlKind::Fader; }
    void collectChannels(std::vector<int32_t>& out, bool includeSubControls) const override;
    void save(common::ByteWriter& out) const override;
    // Refuses offsets outside 0..8191 and a range that is not 0 <= min <= max <= 65535.
    bool load(common::ByteReader& in, int nesting = 0) override;
    // A reverse fader stores minimum + maximum - output.
    void storeFromOutput(common::DmxFrame& values) const override;

    bool twoChannels() const { return twoChannels_; }
    void setTwoChannels(bool two) { twoChannels_ = two; }
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
    bool twoChannels_ = false;
    int32_t highChannelOffset_ = 0;
    int32_t channelOffset_ = 0;
    int32_t minimum_ = 0;
    int32_t maximum_ = MAX_8BIT;
    bool reverse_ = false;
    bool grandMasterControlled_ = true;
};

}  // namespace j4::show
