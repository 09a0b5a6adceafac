#pragma once
// PagedModeControl (kind 3): one mode channel whose value selects which page of
// sub-controls is in effect (a colour-wheel page, a gobo page, ...).
//
// Active: the control writes the mode channel itself and renders the page whose mode
// channel value equals the stored value exactly; the first layer to write a non-zero
// mode value owns the channel and later layers skip the whole control.
// Monitoring (not active): the control only follows a value another control puts on
// the channel and renders the page whose range holds the stored value.

#include <string>
#include <vector>

#include "show/control.h"

namespace j4::show {

struct ModePage {
    uint8_t modeValue = 0;  // written to select the page (active mode)
    uint8_t rangeLow = 0;   // in effect while the channel is in rangeLow..rangeHigh
    uint8_t rangeHigh = 0;  //   (monitoring mode)
    std::string tabText;
    ControlList controls;  // kinds 1, 2, 3, 5

    ModePage() = default;
    ModePage(ModePage&&) = default;
    ModePage& operator=(ModePage&&) = default;
};

class PagedModeControl final : public Control {
  public:
    PagedModeControl() = default;

    void setBaseAddress(int32_t address) override;
    void render(const common::DmxFrame& values, common::RenderBuffer& buffer, common::Level level,
                common::Level grandMasterLevel) const override;
    std::unique_ptr<Control> clone() const override;
    ControlKind kind() const override { return ControlKind::Mode; }
    void collectChannels(std::vector<int32_t>& out, bool includeSubControls) const override;
    void save(common::ByteWriter& out) const override;
    // Refuses a mode channel outside 0..8191, counts that do not fit in the bytes
    // left, sub-controls nested deeper than MAX_MODE_NESTING pages, and any sub-control
    // record that fails.
    bool load(common::ByteReader& in, int nesting = 0) override;
    void storeFromOutput(common::DmxFrame& values) const override;

    bool active() const { return active_; }
    void setActive(bool active) { active_ = active; }
    int32_t channelOffset() const { return channelOffset_; }
    bool setChannelOffset(int32_t offset);  // false for an offset outside 0..8191

    const std::vector<ModePage>& pages() const { return pages_; }
    // Sub-controls get this control's base address.
    void setPages(std::vector<ModePage> pages);
    // Index of the page an active control selects for `value`, or of the page whose
    // range holds it when monitoring; -1 for none.
    int pageFor(uint8_t value) const;

  private:
    bool active_ = true;
    int32_t channelOffset_ = 0;
    int32_t at_ = 0;  // absolute mode channel, -1 outside the frame; follows base and offset
    std::vector<ModePage> pages_;
};

}  // namespace j4::show
