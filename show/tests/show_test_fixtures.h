#pragma once
// Small Templates and helpers shared by the show tests.

#include <memory>
#include <string>

#include "show/fader_control.h"
#include "show/position_control.h"
#include "show/template.h"

namespace j4::show::testing {

// A Template of `channels` plain faders on offsets 0..channels-1.
inline Template faderTemplate(const std::string& name, int channels) {
    Template tpl;
    tpl.setName(name);
    ControlList controls;
    for (int i = 0; i < channels; ++i) {
        auto fader = std::make_unique<FaderControl>();
        fader->setChannelOffset(i);
        controls.push_back(std::move(fader));
    }
    tpl.setControls(std::move(controls));
    return tpl;
}

// A moving head: dimmer fader on 0, position on 1 (pan) and 2 (tilt).
inline Template headTemplate() {
    Template tpl;
    tpl.setName("Head");
    ControlList controls;
    auto dimmer = std::make_unique<FaderControl>();
    dimmer->setChannelOffset(0);
    controls.push_back(std::move(dimmer));
    auto position = std::make_unique<PositionControl>();
    position->setOffsets(1, 0, 2, 0);
    controls.push_back(std::move(position));
    tpl.setControls(std::move(controls));
    return tpl;
}

}  // namespace j4::show::testing
