#pragma once
// The process-wide objects of a show, built fresh for a test, and a rich show that uses
// every part of the show file: every control kind, nested mode pages, 16-bit and
// reverse faders, four-channel position controls with effects, loops, stop flags,
// comments outside the Basic Multilingual Plane, a negative timecode offset, all
// presets and the DMX-input settings.

#include <memory>
#include <string>

#include "engine/engine.h"
#include "engine/manual_clock.h"
#include "show/cue_store.h"
#include "show/device_store.h"
#include "show/effect_library.h"
#include "show/fader_control.h"
#include "show/file/show_document.h"
#include "show/paged_mode_control.h"
#include "show/position_control.h"
#include "show/select_control.h"

namespace j4::show::testing {

inline common::Identity identityOf(uint8_t seed) {
    common::Identity id;
    for (int i = 0; i < 16; ++i) id.bytes[i] = static_cast<uint8_t>(seed + i * 7);
    return id;
}

struct ShowHarness {
    engine::ManualClock clock;
    CueStore cues;
    DeviceStore devices;
    EffectLibrary effects;
    engine::Engine engine{clock, cues};
    ShowDocument document{{engine, devices, cues, effects}, nullptr};

    ShowHarness() {
        engine.initialise();
        auto circle = std::make_unique<EffectShape>();
        circle->identity = identityOf(0xC1);
        circle->name = "Circle";
        for (int i = 0; i < EFFECT_POINTS; ++i)
            circle->points[i] = {static_cast<int16_t>(i % 200 - 100), static_cast<int16_t>(i % 50)};
        effects.add(std::move(circle));
    }
};

inline std::unique_ptr<FaderControl> fader(int32_t offset, int32_t min = 0, int32_t max = 255) {
    auto f = std::make_unique<FaderControl>();
    f->setChannelOffset(offset);
    f->setRange(min, max);
    return f;
}

// Every control kind in one Device: dimmer, 16-bit fader, reverse fader, select, a mode
// control whose second page nests another mode control, a four-channel position.
inline ControlList richControls() {
    ControlList c;
    c.push_back(fader(0));
    auto wide = fader(2, 0, 65535);
    wide->setTwoChannels(true);
    wide->setHighChannelOffset(1);
    wide->setName("Zoom 16-bit");
    c.push_back(std::move(wide));
    auto reverse = fader(3, 10, 200);
    reverse->setReverse(true);
    reverse->setGrandMasterControlled(false);
    c.push_back(std::move(reverse));
    auto select = std::make_unique<SelectControl>();
    select->setChannelOffset(4);
    select->setItems({{0, "Open"}, {40, "Red"}, {80, "Blue \xF0\x9F\x94\xB5"}});
    c.push_back(std::move(select));

    auto inner = std::make_unique<PagedModeControl>();
    inner->setChannelOffset(6);
    inner->setActive(false);
    std::vector<ModePage> innerPages(2);
    innerPages[0].rangeHigh = 127;
    innerPages[0].controls.push_back(fader(7));
    innerPages[1].rangeLow = 128;
    innerPages[1].rangeHigh = 255;
    innerPages[1].tabText = "Fast";
    inner->setPages(std::move(innerPages));
    auto mode = std::make_unique<PagedModeControl>();
    mode->setChannelOffset(5);
    std::vector<ModePage> pages(2);
    pages[0].modeValue = 10;
    pages[0].rangeLow = 0;
    pages[0].rangeHigh = 99;
    pages[0].tabText = "Colour wheel";
    pages[0].controls.push_back(fader(8));
    pages[1].modeValue = 150;
    pages[1].rangeLow = 100;
    pages[1].rangeHigh = 255;
    pages[1].tabText = "Gobo";
    pages[1].controls.push_back(std::move(inner));
    mode->setPages(std::move(pages));
    c.push_back(std::move(mode));

    auto position = std::make_unique<PositionControl>();
    position->setFourChannels(true);
    position->setOffsets(9, 10, 11, 12);
    c.push_back(std::move(position));
    return c;
}

inline engine::Event event(common::ShowTime time, common::CueNumber cue, int32_t fadeIn = 0,
                           int32_t fadeOut = 0, bool stop = false, std::string comment = "") {
    return engine::makeEvent(time, cue, fadeIn, fadeOut, stop, std::move(comment));
}

inline void buildRichShow(ShowHarness& h) {
    std::lock_guard guard(h.engine.lock());
    // Two rich Devices and a row of dimmers in universe 2.
    h.devices.append(Device::fromParts(identityOf(1), "Head 001", 0, richControls()));
    h.devices.append(Device::fromParts(identityOf(1), "Head 002", 20, richControls()));
    for (int i = 0; i < 4; ++i) {
        ControlList one;
        one.push_back(fader(0));
        h.devices.append(Device::fromParts(identityOf(2), "Dimmer " + std::to_string(i + 1),
                                           common::channelIndex(2, 1 + i), std::move(one)));
    }
    const EffectShape* circle = h.effects.at(0);
    for (common::CueNumber n : {1, 2, 5, 10, 1000000}) {
        Cue* cue = h.cues.create(n);
        cue->setName("Cue " + std::to_string(n) + " \xF0\x9F\x8E\xAD");
        cue->setDescription(n == 5 ? "with an effect" : "");
        for (int i = 0; i < 6; ++i)
            if ((n + i) % 2 == 0 || i == 0) cue->addDevice(h.devices.at(i));
        for (int ch = 0; ch < 40; ++ch) cue->values()[ch] = static_cast<uint8_t>(ch * 7 + n);
        cue->values()[common::channelIndex(2, 1)] = 255;
        cue->values()[8191] = static_cast<uint8_t>(n % 251);
    }
    Cue* withEffect = h.cues.find(5);
    withEffect->addDevice(h.devices.at(0));
    EffectSettings settings{300, 40, -900, 1};
    [[maybe_unused]] const bool added =
        withEffect->addEffectEntry(h.devices.at(0)->controls()[5].get(), circle, settings);

    engine::EventLists& lists = h.engine.eventLists();
    engine::EventList& main = *lists.list(0);
    main.setName("Main \xF0\x9D\x84\x9E");
    main.insertEvent(event(1000, 1, 500, 500));
    main.insertEvent(event(2000, 2, 1000, 0));
    main.insertEvent(event(3000, 5, 0, 0));
    main.insertEvent(event(4000, 10, 0, 0));
    main.insertEvent(event(6000, 1000000, 2000, 3000, true, "stop here \xF0\x9F\x9B\x91"));
    main.makeLoops(1, 4);
    lists.list(1)->insertEvent(event(500, 2, 100, 100, false, "second list"));
    lists.list(2)->setEnabled(false);
    lists.setLostTimecodeSwitch(true);
    lists.setTimecodeOffset(-1500);

    engine::Mixer& mixer = h.engine.mixer();
    for (int p = 0; p < common::PRESET_COUNT; ++p) {
        engine::Preset preset{};
        for (int i = 0; i < common::SUBMASTER_COUNT; ++i) preset[i] = (p * 24 + i) % 3 == 0 ? 5 : 0;
        preset[p] = 1000000;
        mixer.setPreset(p, preset);
    }
    mixer.setLayerCue(common::submasterLayer(0), 1);
    mixer.setLayerCue(common::submasterLayer(23), 10);
    mixer.setDmxInputSettings({17, 0x3F});
}

}  // namespace j4::show::testing
