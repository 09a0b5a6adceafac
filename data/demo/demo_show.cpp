#include "data/demo/demo_show.h"

#include <array>

#include "common/dmx_frame.h"
#include "show/position_control.h"

namespace j4::data {

namespace {

using common::channelIndex;

// Channel layouts of the Templates the demo patches (offsets from the base address).
namespace rgbw {
constexpr int RED = 0, GREEN = 1, BLUE = 2, WHITE = 3;
}
namespace spot {
constexpr int PAN = 0, PAN_FINE = 1, TILT = 2, TILT_FINE = 3, COLOUR = 5, GOBO = 6, SHUTTER = 9,
              DIMMER = 10, DIMMER_FINE = 11, WHEEL_MODE = 12;
constexpr int POSITION_CONTROL = 0;  // the first control of the Template
}  // namespace spot

struct Rig {
    std::vector<show::Device*> dimmers;
    std::vector<show::Device*> pars;
    std::vector<show::Device*> spots;
};

show::Template* findTemplate(show::TemplateStore& store, const char* folder, const char* name,
                             std::string* error) {
    const int f = store.folderIndex(folder);
    show::Template* tpl = f >= 0 ? store.findByName(f, name) : nullptr;
    if (!tpl || !tpl->loadControls()) {
        if (error) *error = std::string("Template ") + folder + "/" + name + " is missing";
        return nullptr;
    }
    return tpl;
}

bool patch(const show::ShowObjects& objects, show::TemplateStore& store, Rig& rig,
           std::string* error) {
    struct Series {
        const char* folder;
        const char* name;
        int count;
        int address;
        std::vector<show::Device*>* into;
    } series[] = {
        {"Dimmers", "Dimmer", 6, channelIndex(1, 1), &rig.dimmers},
        {"LED", "RGBW Par", 4, channelIndex(1, 11), &rig.pars},
        {"Moving Heads", "Spot 16-bit", 2, channelIndex(2, 1), &rig.spots},
    };
    for (const Series& s : series) {
        show::Template* tpl = findTemplate(store, s.folder, s.name, error);
        if (!tpl) return false;
        const int first = objects.devices.count();
        if (objects.devices.insertSeries(*tpl, s.count, s.address) != show::MessageId::None) {
            if (error) *error = std::string("cannot patch ") + s.name;
            return false;
        }
        for (int i = first; i < objects.devices.count(); ++i)
            s.into->push_back(objects.devices.at(i));
    }
    return true;
}

// A Cue under construction: values are written relative to each Device's base.
class CueBuilder {
  public:
    CueBuilder(show::CueStore& cues, common::CueNumber number, const char* name)
        : cue_(cues.create(number)) {
        cue_->setName(name);
    }
    CueBuilder& set(show::Device* device, int offset, uint8_t value) {
        cue_->addDevice(device);
        cue_->values()[device->baseAddress() + offset] = value;
        return *this;
    }
    CueBuilder& all(const std::vector<show::Device*>& devices, int offset, uint8_t value) {
        for (show::Device* d : devices) set(d, offset, value);
        return *this;
    }
    CueBuilder& colour(const std::vector<show::Device*>& pars, std::array<uint8_t, 4> rgbw) {
        for (show::Device* d : pars) {
            set(d, rgbw::RED, rgbw[0]).set(d, rgbw::GREEN, rgbw[1]);
            set(d, rgbw::BLUE, rgbw[2]).set(d, rgbw::WHITE, rgbw[3]);
        }
        return *this;
    }
    // Spots open at full, pointing at the stage centre.
    CueBuilder& spotsOn(const std::vector<show::Device*>& spots, uint8_t colour, uint8_t gobo) {
        for (show::Device* d : spots) {
            set(d, spot::PAN, 128).set(d, spot::PAN_FINE, 0).set(d, spot::TILT, 96);
            set(d, spot::TILT_FINE, 0).set(d, spot::COLOUR, colour).set(d, spot::GOBO, gobo);
            set(d, spot::SHUTTER, 32).set(d, spot::DIMMER, 255).set(d, spot::DIMMER_FINE, 255);
            set(d, spot::WHEEL_MODE, 10);
        }
        return *this;
    }
    show::Cue* cue() { return cue_; }

  private:
    show::Cue* cue_;
};

bool recordCues(const show::ShowObjects& objects, const Rig& rig, std::string* error) {
    show::CueStore& cues = objects.cues;
    CueBuilder(cues, 1, "House warm").all(rig.dimmers, 0, 153);
    CueBuilder(cues, 2, "Blue wash").colour(rig.pars, {0, 40, 255, 0}).all(rig.dimmers, 0, 40);
    CueBuilder(cues, 3, "Red wash").colour(rig.pars, {255, 0, 0, 0});
    CueBuilder(cues, 4, "Amber").colour(rig.pars, {255, 120, 0, 40}).all(rig.dimmers, 0, 80);
    CueBuilder(cues, 5, "Spots centre").spotsOn(rig.spots, 0, 0);
    CueBuilder circle(cues, 6, "Spots circle");
    circle.spotsOn(rig.spots, 42, 32).colour(rig.pars, {0, 0, 120, 0});
    CueBuilder(cues, 7, "Full stage")
        .all(rig.dimmers, 0, 255)
        .colour(rig.pars, {255, 255, 255, 255})
        .spotsOn(rig.spots, 0, 0);
    CueBuilder(cues, 8, "Blackout");
    CueBuilder(cues, 9, "Magenta").colour(rig.pars, {255, 0, 200, 0});
    CueBuilder(cues, 10, "Green").colour(rig.pars, {0, 255, 30, 0});
    CueBuilder(cues, 11, "Warm specials").set(rig.dimmers[0], 0, 255).set(rig.dimmers[5], 0, 255);
    CueBuilder(cues, 12, "Finale")
        .all(rig.dimmers, 0, 200)
        .colour(rig.pars, {255, 60, 0, 120})
        .spotsOn(rig.spots, 84, 48);

    const show::EffectShape* shape = nullptr;
    for (int i = 0; i < objects.effects.count() && !shape; ++i)
        if (objects.effects.at(i)->name == "Circle") shape = objects.effects.at(i);
    if (!shape) {
        if (error) *error = "the effect library has no Circle";
        return false;
    }
    for (show::Device* d : rig.spots) {
        show::Control* position = d->controls()[spot::POSITION_CONTROL].get();
        if (!circle.cue()->addEffectEntry(position, shape, show::EffectSettings{200, 20, 0, 0})) {
            if (error) *error = "the circle effect does not fit the spots";
            return false;
        }
    }
    return true;
}

// Cross-fades have equal fade-in and fade-out times in the demo.
engine::Event event(common::ShowTime time, common::CueNumber cue, int32_t fade, bool stop = false,
                    const char* comment = "") {
    return engine::makeEvent(time, cue, fade, fade, stop, comment);
}

bool programEventList(const show::ShowObjects& objects, std::string* error) {
    engine::EventList& list = *objects.engine.eventLists().list(0);
    list.setName("Main");
    list.updateEvent(0, event(0, 8, 0, false, "Preset: dark stage"));
    const engine::Event events[] = {
        event(2'000, 1, 2'000, false, "House to half"),
        event(6'000, 2, 3'000, false, "Blue wash"),
        event(10'000, 5, 1'000, false, "Spots up"),
        event(14'000, 6, 1'000, false, "Loop: spots circle"),
        event(17'000, 3, 1'000),
        event(20'000, 4, 1'000),
        event(23'000, 0, 0, false, "Loop end"),
        event(45'000, 7, 2'000, false, "Full stage"),
        event(55'000, 12, 3'000, true, "Finale: waits for Play"),
        event(70'000, 8, 5'000, false, "Fade to black"),
    };
    for (const engine::Event& e : events)
        if (list.insertEvent(e) < 0) {
            if (error) *error = "an Event of the demo was refused";
            return false;
        }
    // Events 4..7 repeat until the full-stage Event.
    if (!list.makeLoops(4, 7)) {
        if (error) *error = "the demo loop was refused";
        return false;
    }
    return true;
}

void programMasters(const show::ShowObjects& objects) {
    engine::Mixer& mixer = objects.engine.mixer();
    engine::Preset washes{};
    engine::Preset specials{};
    for (int i = 0; i < 12; ++i) {
        washes[i] = i + 1;
        specials[i] = 12 - i;
    }
    mixer.setPreset(0, washes);
    mixer.setPreset(1, specials);
    for (int i = 0; i < common::SUBMASTER_COUNT; ++i)
        mixer.setLayerCue(common::submasterLayer(i), washes[i]);
    // Submasters, presets, grand master and X/Y from an external desk on input 1.
    mixer.setDmxInputSettings({1, 0x0F});
}

}  // namespace

bool buildDemoShow(const show::ShowObjects& objects, show::TemplateStore& templates,
                   std::string* error) {
    std::lock_guard guard(objects.engine.lock());
    Rig rig;
    if (!patch(objects, templates, rig, error) || !recordCues(objects, rig, error) ||
        !programEventList(objects, error))
        return false;
    programMasters(objects);
    return true;
}

}  // namespace j4::data
