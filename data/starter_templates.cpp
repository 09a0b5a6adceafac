// The starter Template library. Channel offsets count from 0 (the fixture's first
// channel); layouts place controls side by side on the Template Editor's grid.
#include <initializer_list>

#include "data/library_sources.h"
#include "show/fader_control.h"
#include "show/paged_mode_control.h"
#include "show/position_control.h"
#include "show/select_control.h"

namespace j4::data {

using show::ControlList;
using show::FaderControl;
using show::ModePage;
using show::PagedModeControl;
using show::PositionControl;
using show::SelectControl;
using show::SelectItem;

namespace {

constexpr int32_t CELL = 48;  // grid width of one control

struct FaderOptions {
    bool grandMaster = true;  // intensity follows the grand master; speeds and fans don't
    bool reverse = false;
    int32_t minimum = 0;
    int32_t maximum = 255;
};

std::unique_ptr<FaderControl> fader(const char* name, int32_t offset, FaderOptions o = {}) {
    auto f = std::make_unique<FaderControl>();
    f->setName(name);
    f->setChannelOffset(offset);
    f->setRange(o.minimum, o.maximum);
    f->setReverse(o.reverse);
    f->setGrandMasterControlled(o.grandMaster);
    return f;
}

std::unique_ptr<FaderControl> fader16(const char* name, int32_t high, int32_t low,
                                      FaderOptions o = {0, false, 0, 65535}) {
    auto f = fader(name, low, o);
    f->setTwoChannels(true);
    f->setHighChannelOffset(high);
    f->setRange(o.minimum, o.maximum);
    return f;
}

std::unique_ptr<SelectControl> select(const char* name, int32_t offset,
                                      std::initializer_list<SelectItem> items) {
    auto s = std::make_unique<SelectControl>();
    s->setName(name);
    s->setChannelOffset(offset);
    s->setItems(items);
    return s;
}

std::unique_ptr<PositionControl> position8(int32_t pan, int32_t tilt) {
    auto p = std::make_unique<PositionControl>();
    p->setName("Pan/Tilt");
    p->setOffsets(pan, 0, tilt, 0);
    return p;
}

std::unique_ptr<PositionControl> position16(int32_t pan, int32_t panFine, int32_t tilt,
                                            int32_t tiltFine) {
    auto p = std::make_unique<PositionControl>();
    p->setName("Pan/Tilt");
    p->setFourChannels(true);
    p->setOffsets(pan, panFine, tilt, tiltFine);
    return p;
}

ModePage page(const char* tab, uint8_t value, uint8_t low, uint8_t high, ControlList controls) {
    ModePage p;
    p.tabText = tab;
    p.modeValue = value;
    p.rangeLow = low;
    p.rangeHigh = high;
    p.controls = std::move(controls);
    return p;
}

template <class... C>
ControlList list(std::unique_ptr<C>... controls) {
    ControlList out;
    (out.push_back(std::move(controls)), ...);
    return out;
}

// Places the controls left to right (position pads take two cells).
ControlList laidOut(ControlList controls) {
    int32_t x = 0;
    for (auto& c : controls) {
        const int32_t width = c->kind() == show::ControlKind::Position ? 2 * CELL : CELL;
        c->setLayout({x, 0, x + width - 4, 240});
        x += width;
    }
    return controls;
}

const std::initializer_list<SelectItem> SHUTTER = {
    {0, "Closed"},  {32, "Open"},           {64, "Strobe slow"}, {96, "Strobe fast"},
    {128, "Pulse"}, {192, "Random strobe"}, {255, "Open"}};

}  // namespace

std::vector<StarterTemplate> starterTemplates() {
    std::vector<StarterTemplate> t;
    const FaderOptions notMastered{false};
    const FaderOptions speed{false, true};  // speed channels: 0 is fastest

    t.push_back({"Dimmers", "Dimmer", laidOut(list(fader("Intensity", 0)))});
    t.push_back({"Dimmers", "Dimmer Pack 4ch",
                 laidOut(list(fader("Dimmer 1", 0), fader("Dimmer 2", 1), fader("Dimmer 3", 2),
                              fader("Dimmer 4", 3)))});

    t.push_back(
        {"LED", "RGB Par", laidOut(list(fader("Red", 0), fader("Green", 1), fader("Blue", 2)))});
    t.push_back(
        {"LED", "RGBW Par",
         laidOut(list(fader("Red", 0), fader("Green", 1), fader("Blue", 2), fader("White", 3)))});
    t.push_back({"LED", "RGBW Par 8ch",
                 laidOut(list(fader("Dimmer", 0), fader("Red", 1), fader("Green", 2),
                              fader("Blue", 3), fader("White", 4), fader("Strobe", 5, notMastered),
                              select("Program", 6,
                                     {{0, "Manual"},
                                      {51, "Colour jump"},
                                      {102, "Colour fade"},
                                      {153, "Colour pulse"},
                                      {204, "Sound"}}),
                              fader("Program speed", 7, notMastered)))});

    // A 16-bit spot: the wheel mode channel decides what the wheel effect channel does
    // (colour wheel rotation or gobo rotation with a shake choice).
    ControlList colourPage = list(fader("Colour rotation", 13, notMastered));
    ControlList goboPage =
        list(fader("Gobo rotation", 13, notMastered),
             select("Gobo shake", 14, {{0, "Off"}, {64, "Slow"}, {128, "Medium"}, {192, "Fast"}}));
    auto wheelMode = std::make_unique<PagedModeControl>();
    wheelMode->setName("Wheel mode");
    wheelMode->setChannelOffset(12);
    wheelMode->setActive(true);
    std::vector<ModePage> pages;
    pages.push_back(page("Colour wheel", 10, 0, 127, std::move(colourPage)));
    pages.push_back(page("Gobo wheel", 200, 128, 255, std::move(goboPage)));
    wheelMode->setPages(std::move(pages));
    t.push_back(
        {"Moving Heads", "Spot 16-bit",
         laidOut(list(position16(0, 1, 2, 3), fader("Pan/Tilt speed", 4, speed),
                      select("Colour", 5,
                             {{0, "White"},
                              {14, "Red"},
                              {28, "Yellow"},
                              {42, "Blue"},
                              {56, "Green"},
                              {70, "Orange"},
                              {84, "Magenta"},
                              {98, "Light blue"},
                              {112, "UV"}}),
                      select("Gobo", 6,
                             {{0, "Open"},
                              {16, "Dots"},
                              {32, "Star"},
                              {48, "Triangle"},
                              {64, "Rings"},
                              {80, "Leaves"},
                              {96, "Cone"}}),
                      select("Prism", 7, {{0, "Off"}, {128, "3-facet"}}),
                      fader("Focus", 8, notMastered), select("Shutter", 9, SHUTTER),
                      fader16("Dimmer", 10, 11, {true, false, 0, 65535}), std::move(wheelMode)))});

    t.push_back(
        {"Scanners", "Scanner",
         laidOut(
             list(position8(0, 1),
                  select("Colour", 2,
                         {{0, "White"}, {32, "Red"}, {64, "Green"}, {96, "Blue"}, {128, "Amber"}}),
                  select("Gobo", 3, {{0, "Open"}, {40, "Circle"}, {80, "Star"}}),
                  select("Shutter", 4, SHUTTER), fader("Dimmer", 5)))});

    t.push_back(
        {"Effects", "Strobe", laidOut(list(fader("Intensity", 0), fader("Rate", 1, notMastered)))});
    // Haze output is not light: the grand master leaves it alone.
    t.push_back({"Effects", "Hazer",
                 laidOut(list(fader("Haze", 0, notMastered), fader("Fan", 1, notMastered)))});
    return t;
}

common::Identity starterIdentity(const std::string& folder, const std::string& name) {
    // Two FNV-1a passes with different offsets fill the 16 bytes.
    const std::string key = folder + "/" + name;
    common::Identity id;
    uint64_t hashes[2] = {14695981039346656037ull, 1099511628211ull * 31};
    for (uint64_t& h : hashes)
        for (unsigned char c : key) h = (h ^ c) * 1099511628211ull;
    for (int i = 0; i < 16; ++i) id.bytes[i] = static_cast<uint8_t>(hashes[i / 8] >> (8 * (i % 8)));
    id.bytes[7] = static_cast<uint8_t>((id.bytes[7] & 0x0F) | 0x50);  // name-based
    id.bytes[8] = static_cast<uint8_t>((id.bytes[8] & 0x3F) | 0x80);
    return id;
}

}  // namespace j4::data
