#pragma once
// Devices and Cues built in memory for the engine tests and benchmarks: each Device is
// one kind of control at a base address, so a test reads one channel and knows which
// merge rule produced it.

#include <memory>
#include <vector>

#include "show/cue_store.h"
#include "show/device.h"
#include "show/effect_shape.h"
#include "show/fader_control.h"
#include "show/paged_mode_control.h"
#include "show/position_control.h"
#include "show/select_control.h"

namespace j4::engine::testing {

struct ShowRig {
    show::CueStore cues;
    std::vector<std::unique_ptr<show::Device>> devices;
    std::vector<std::unique_ptr<show::EffectShape>> shapes;

    show::Device* addDevice(int32_t base, show::ControlList controls) {
        devices.push_back(show::Device::fromParts({}, "d", base, std::move(controls)));
        return devices.back().get();
    }
    show::Device* fader(int32_t base, int32_t min = 0, int32_t max = 255, bool reverse = false,
                        bool grandMaster = true, bool sixteenBit = false) {
        auto f = std::make_unique<show::FaderControl>();
        f->setChannelOffset(sixteenBit ? 1 : 0);
        if (sixteenBit) {
            f->setTwoChannels(true);
            f->setHighChannelOffset(0);
        }
        f->setRange(min, max);
        f->setReverse(reverse);
        f->setGrandMasterControlled(grandMaster);
        show::ControlList c;
        c.push_back(std::move(f));
        return addDevice(base, std::move(c));
    }
    show::Device* select(int32_t base) {
        auto s = std::make_unique<show::SelectControl>();
        show::ControlList c;
        c.push_back(std::move(s));
        return addDevice(base, std::move(c));
    }
    // Pan on base, tilt on base + 1 (two channels) or pan base/base+1, tilt base+2/base+3.
    show::Device* position(int32_t base, bool four = false) {
        auto p = std::make_unique<show::PositionControl>();
        p->setFourChannels(four);
        if (four)
            p->setOffsets(0, 1, 2, 3);
        else
            p->setOffsets(0, 0, 1, 0);
        show::ControlList c;
        c.push_back(std::move(p));
        return addDevice(base, std::move(c));
    }
    // Active mode channel on base; page value 1 holds a fader on base + 1.
    show::Device* mode(int32_t base) {
        auto m = std::make_unique<show::PagedModeControl>();
        std::vector<show::ModePage> pages(2);
        pages[0].modeValue = 1;
        pages[1].modeValue = 2;
        for (auto& page : pages) {
            auto f = std::make_unique<show::FaderControl>();
            f->setChannelOffset(1);
            page.controls.push_back(std::move(f));
        }
        m->setPages(std::move(pages));
        show::ControlList c;
        c.push_back(std::move(m));
        return addDevice(base, std::move(c));
    }
    // A shape whose every point is (x, y).
    const show::EffectShape* shape(int16_t x, int16_t y) {
        auto s = std::make_unique<show::EffectShape>();
        s->points.fill({x, y});
        shapes.push_back(std::move(s));
        return shapes.back().get();
    }
    // A shape whose point i is (i, 0): the displacement shows the position.
    const show::EffectShape* ramp() {
        auto s = std::make_unique<show::EffectShape>();
        for (int i = 0; i < show::EFFECT_POINTS; ++i) s->points[i] = {static_cast<int16_t>(i), 0};
        shapes.push_back(std::move(s));
        return shapes.back().get();
    }
    // Cue `number` with the Devices and the stored values {channel, value}.
    show::Cue* cue(common::CueNumber number, std::initializer_list<show::Device*> with,
                   std::initializer_list<std::pair<int, uint8_t>> values = {}) {
        show::Cue* c = cues.create(number);
        for (auto* d : with) c->addDevice(d);
        for (auto [channel, value] : values) c->values()[channel] = value;
        return c;
    }
    static show::PositionControl* positionOf(show::Device* d) {
        return static_cast<show::PositionControl*>(d->controls()[0].get());
    }
};

}  // namespace j4::engine::testing
