#pragma once
// SelectControl (kind 1): one channel set to one of a list of named values.

#include <string>
#include <vector>

#include "show/control.h"

namespace j4::show {

struct SelectItem {
    uint8_t value = 0;
    std::string description;
    bool operator==(const SelectItem&) const = default;
};

class SelectControl final : public Control {
  public:
    SelectControl() = default;

    void setBaseAddress(int32_t address) override;
    // The first layer (in priority order) that puts a non-zero value on the channel
    // owns it; later layers leave it alone.
    void render(const common::DmxFrame& values, common::RenderBuffer& buffer, common::Level level,
                common::Level grandMasterLevel) const override;
    // The absolute channel render() works from, -1 when it falls outside the frame;
    // always matches base address and offset.
    int32_t renderChannel() const { return at_; }
    static void renderAt(int32_t at, const common::DmxFrame& values, common::RenderBuffer& buffer) {
        if (at >= 0 && buffer.values[at] == 0) buffer.values[at] = values[at];
    }
    std::unique_ptr<Control> clone() const override;
    ControlKind kind() const override { return ControlKind::Select; }
    void collectChannels(std::vector<int32_t>& out, bool includeSubControls) const override;
    void save(common::ByteWriter& out) const override;
    bool load(common::ByteReader& in, int nesting = 0) override;

    int32_t channelOffset() const { return channelOffset_; }
    // False (nothing changed) for an offset outside 0..8191.
    bool setChannelOffset(int32_t offset);
    const std::vector<SelectItem>& items() const { return items_; }
    void setItems(std::vector<SelectItem> items) { items_ = std::move(items); }

  private:
    int32_t channelOffset_ = 0;
    int32_t at_ = 0;  // absolute channel, -1 outside the frame; follows base and offset
    std::vector<SelectItem> items_;
};

}  // namespace j4::show
