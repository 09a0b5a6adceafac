#include "show/control_record.h"

#include <new>

#include "show/fader_control.h"
#include "show/paged_mode_control.h"
#include "show/position_control.h"
#include "show/select_control.h"

namespace j4::show {

std::unique_ptr<Control> makeControl(int32_t kind) {
    switch (kind) {
        case static_cast<int32_t>(ControlKind::Select):
            return std::make_unique<SelectControl>();
        case static_cast<int32_t>(ControlKind::Fader):
            return std::make_unique<FaderControl>();
        case static_cast<int32_t>(ControlKind::Mode):
            return std::make_unique<PagedModeControl>();
        case static_cast<int32_t>(ControlKind::Position):
            return std::make_unique<PositionControl>();
        default:
            return nullptr;
    }
}

void saveControlWithKind(common::ByteWriter& out, const Control& control) {
    out.int32(static_cast<int32_t>(control.kind()));
    control.save(out);
}

std::unique_ptr<Control> loadControlWithKind(common::ByteReader& in, int nesting) {
    const int32_t kind = in.int32("control kind");
    if (!in.ok()) return nullptr;
    auto control = makeControl(kind);
    if (!control) {
        in.fail("control kind " + std::to_string(kind) + " is not 1, 2, 3 or 5");
        return nullptr;
    }
    if (!control->load(in, nesting)) return nullptr;
    return control;
}

bool loadControlList(common::ByteReader& in, int32_t count, ControlList& out, int nesting) {
    if (!in.fitsCount(count, MIN_CONTROL_RECORD_BYTES, "control count")) return false;
    ControlList controls;
    try {
        controls.reserve(static_cast<size_t>(count));
        for (int32_t i = 0; i < count; ++i) {
            auto control = loadControlWithKind(in, nesting);
            if (!control) return false;
            controls.push_back(std::move(control));
        }
    } catch (const std::bad_alloc&) {
        in.fail("out of memory reading controls");
        return false;
    }
    out = std::move(controls);
    return true;
}

void saveControlList(common::ByteWriter& out, const ControlList& controls) {
    for (const auto& control : controls) saveControlWithKind(out, *control);
}

}  // namespace j4::show
