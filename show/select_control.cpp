#include "show/select_control.h"

#include <new>

#include "show/render_edits.h"

namespace j4::show {

void SelectControl::setBaseAddress(int32_t address) {
    Control::setBaseAddress(address);
    at_ = channelAt(channelOffset_);
    noteRenderEdit();
}

void SelectControl::render(const common::DmxFrame& values, common::RenderBuffer& buffer,
                           common::Level /*level*/, common::Level /*grandMasterLevel*/) const {
    renderAt(at_, values, buffer);
}

std::unique_ptr<Control> SelectControl::clone() const {
    try {
        return std::make_unique<SelectControl>(*this);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void SelectControl::collectChannels(std::vector<int32_t>& out, bool /*includeSubControls*/) const {
    out.push_back(baseAddress_ + channelOffset_);
}

bool SelectControl::setChannelOffset(int32_t offset) {
    if (!isChannelOffset(offset)) return false;
    channelOffset_ = offset;
    at_ = channelAt(offset);
    noteRenderEdit();
    return true;
}

void SelectControl::save(common::ByteWriter& out) const {
    saveCommon(out);
    out.int32(channelOffset_);
    out.int32(static_cast<int32_t>(items_.size()));
    for (const auto& item : items_) {
        out.uint8(item.value);
        out.string(item.description);
    }
}

bool SelectControl::load(common::ByteReader& in, int /*nesting*/) {
    LayoutRect layout;
    std::string name;
    if (!loadCommon(in, layout, name)) return false;
    const int32_t offset = in.int32("select channel offset");
    const int32_t count = in.int32("select item count");
    if (!in.ok()) return false;
    if (!isChannelOffset(offset)) {
        in.fail("select channel offset " + std::to_string(offset) + " outside 0..8191");
        return false;
    }
    // Each item is at least a value byte and an empty string's count.
    if (!in.fitsCount(count, 1 + 4, "select item count")) return false;
    std::vector<SelectItem> items;
    try {
        items.reserve(static_cast<size_t>(count));
        for (int32_t i = 0; i < count && in.ok(); ++i) {
            SelectItem item;
            item.value = in.uint8("select item value");
            item.description = in.string("select item description");
            items.push_back(std::move(item));
        }
    } catch (const std::bad_alloc&) {
        in.fail("out of memory reading select items");
    }
    if (!in.ok()) return false;
    layout_ = layout;
    name_ = std::move(name);
    channelOffset_ = offset;
    at_ = channelAt(offset);
    noteRenderEdit();
    items_ = std::move(items);
    return true;
}

}  // namespace j4::show
