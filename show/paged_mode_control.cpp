#include "show/paged_mode_control.h"

#include <new>

#include "show/control_record.h"

namespace j4::show {

void PagedModeControl::setBaseAddress(int32_t address) {
    baseAddress_ = address;
    at_ = channelAt(channelOffset_);
    for (auto& page : pages_)
        for (auto& control : page.controls) control->setBaseAddress(address);
}

int PagedModeControl::pageFor(uint8_t value) const {
    for (size_t i = 0; i < pages_.size(); ++i) {
        const ModePage& page = pages_[i];
        if (active_ ? page.modeValue == value : page.rangeLow <= value && value <= page.rangeHigh)
            return static_cast<int>(i);
    }
    return -1;
}

void PagedModeControl::render(const common::DmxFrame& values, common::RenderBuffer& buffer,
                              common::Level level, common::Level grandMasterLevel) const {
    const int32_t p = at_;
    if (p < 0) return;
    const uint8_t stored = values[p];
    const ModePage* page = nullptr;
    if (active_) {
        // A layer visited earlier owns the mode channel, and with it the page: this
        // layer's sub-controls stay out.
        if (buffer.values[p] != 0) return;
        buffer.values[p] = stored;
        const int index = pageFor(stored);
        if (index < 0) return;
        page = &pages_[index];
    } else {
        const int index = pageFor(stored);
        if (index < 0) return;
        page = &pages_[index];
        const uint8_t current = buffer.values[p];
        if (current != 0 && !(page->rangeLow <= current && current <= page->rangeHigh)) return;
    }
    for (const auto& control : page->controls)
        control->render(values, buffer, level, grandMasterLevel);
}

void PagedModeControl::storeFromOutput(common::DmxFrame& values) const {
    const int32_t p = channelAt(channelOffset_);
    if (p < 0) return;
    const int index = pageFor(values[p]);
    if (index < 0) return;
    for (const auto& control : pages_[index].controls) control->storeFromOutput(values);
}

std::unique_ptr<Control> PagedModeControl::clone() const {
    try {
        auto copy = std::make_unique<PagedModeControl>();
        copy->baseAddress_ = baseAddress_;
        copy->name_ = name_;
        copy->layout_ = layout_;
        copy->active_ = active_;
        copy->channelOffset_ = channelOffset_;
        copy->at_ = at_;
        copy->pages_.reserve(pages_.size());
        for (const ModePage& page : pages_) {
            ModePage pageCopy;
            pageCopy.modeValue = page.modeValue;
            pageCopy.rangeLow = page.rangeLow;
            pageCopy.rangeHigh = page.rangeHigh;
            pageCopy.tabText = page.tabText;
            if (!cloneControls(page.controls, pageCopy.controls)) return nullptr;
            copy->pages_.push_back(std::move(pageCopy));
        }
        return copy;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void PagedModeControl::collectChannels(std::vector<int32_t>& out, bool includeSubControls) const {
    if (active_) out.push_back(baseAddress_ + channelOffset_);
    if (!includeSubControls) return;
    for (const auto& page : pages_)
        for (const auto& control : page.controls) control->collectChannels(out, true);
}

bool PagedModeControl::setChannelOffset(int32_t offset) {
    if (!isChannelOffset(offset)) return false;
    channelOffset_ = offset;
    at_ = channelAt(offset);
    return true;
}

void PagedModeControl::setPages(std::vector<ModePage> pages) {
    pages_ = std::move(pages);
    setBaseAddress(baseAddress_);
}

void PagedModeControl::save(common::ByteWriter& out) const {
    saveCommon(out);
    out.int32(channelOffset_);
    out.boolean(active_);
    out.int32(static_cast<int32_t>(pages_.size()));
    for (const ModePage& page : pages_) {
        out.uint8(page.modeValue);
        out.uint8(page.rangeLow);
        out.uint8(page.rangeHigh);
        out.string(page.tabText);
        out.int32(static_cast<int32_t>(page.controls.size()));
        saveControlList(out, page.controls);
    }
}

bool PagedModeControl::load(common::ByteReader& in, int nesting) {
    LayoutRect layout;
    std::string name;
    if (!loadCommon(in, layout, name)) return false;
    const int32_t offset = in.int32("mode channel offset");
    const bool active = in.boolean("mode active");
    const int32_t pageCount = in.int32("mode page count");
    if (!in.ok()) return false;
    if (!isChannelOffset(offset)) {
        in.fail("mode channel offset " + std::to_string(offset) + " outside 0..8191");
        return false;
    }
    // A page is at least three bytes, an empty tab text and a sub-control count.
    if (!in.fitsCount(pageCount, 3 + 4 + 4, "mode page count")) return false;
    if (pageCount > 0 && nesting >= MAX_MODE_NESTING) {
        in.fail("mode pages nested deeper than " + std::to_string(MAX_MODE_NESTING) + " levels");
        return false;
    }
    std::vector<ModePage> pages;
    try {
        pages.reserve(static_cast<size_t>(pageCount));
        for (int32_t i = 0; i < pageCount; ++i) {
            ModePage page;
            page.modeValue = in.uint8("page mode value");
            page.rangeLow = in.uint8("page range low");
            page.rangeHigh = in.uint8("page range high");
            page.tabText = in.string("page tab text");
            const int32_t count = in.int32("page sub-control count");
            if (!in.ok()) return false;
            if (!loadControlList(in, count, page.controls, nesting + 1)) return false;
            pages.push_back(std::move(page));
        }
    } catch (const std::bad_alloc&) {
        in.fail("out of memory reading mode pages");
        return false;
    }
    layout_ = layout;
    name_ = std::move(name);
    channelOffset_ = offset;
    active_ = active;
    pages_ = std::move(pages);
    setBaseAddress(baseAddress_);
    return true;
}

}  // namespace j4::show
