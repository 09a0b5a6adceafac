#include "show/control.h"

#include <algorithm>
#include <new>

namespace j4::show {

bool EffectSettings::valid() const {
    return gain >= MIN_GAIN && gain <= MAX_GAIN && speed >= MIN_SPEED && speed <= MAX_SPEED &&
           rotation >= MIN_ROTATION && rotation <= MAX_ROTATION && (reverse == 0 || reverse == 1);
}

void Control::save(common::ByteWriter& out) const {
    saveCommon(out);
}

bool Control::load(common::ByteReader& in, int /*nesting*/) {
    LayoutRect layout;
    std::string name;
    if (!loadCommon(in, layout, name)) return false;
    layout_ = layout;
    name_ = std::move(name);
    return true;
}

void Control::saveCommon(common::ByteWriter& out) const {
    out.int32(layout_.left);
    out.int32(layout_.top);
    out.int32(layout_.right);
    out.int32(layout_.bottom);
    out.string(name_);
}

bool Control::loadCommon(common::ByteReader& in, LayoutRect& layout, std::string& name) const {
    layout.left = in.int32("layout left");
    layout.top = in.int32("layout top");
    layout.right = in.int32("layout right");
    layout.bottom = in.int32("layout bottom");
    name = in.string("control name");
    return in.ok();
}

bool cloneControls(const ControlList& from, ControlList& out) {
    ControlList copies;
    try {
        copies.reserve(from.size());
        for (const auto& control : from) {
            auto copy = control->clone();
            if (!copy) return false;
            copies.push_back(std::move(copy));
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    out = std::move(copies);
    return true;
}

int32_t highestChannel(const ControlList& controls) {
    std::vector<int32_t> channels;
    for (const auto& control : controls) control->collectChannels(channels, true);
    if (channels.empty()) return -1;
    return *std::max_element(channels.begin(), channels.end());
}

}  // namespace j4::show
