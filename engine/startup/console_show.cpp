#include "engine/startup/console_show.h"

#include "platform/compound/compound_file.h"
#include "show/fader_control.h"
#include "show/file/show_writer.h"
#include "show/new_identity.h"

namespace j4::engine {

namespace {

std::unique_ptr<show::Device> dimmer(int index) {
    auto fader = std::make_unique<show::FaderControl>();
    fader->setChannelOffset(0);
    fader->setRange(0, 255);
    fader->setGrandMasterControlled(true);
    show::ControlList controls;
    controls.push_back(std::move(fader));
    return show::Device::fromParts(show::newIdentity(), "Dimmer " + std::to_string(index + 1),
                                   index, std::move(controls));
}

engine::Event event(common::ShowTime time, common::CueNumber cue, int32_t fade, bool stop = false) {
    return engine::makeEvent(time, cue, fade, fade, stop);
}

}  // namespace

show::ShowContent makeConsoleShow(int32_t inputFlags, int32_t inputBase) {
    show::ShowContent s;
    for (int i = 0; i < CONSOLE_SHOW_DIMMERS; ++i) s.devices.push_back(dimmer(i));

    struct Look {
        common::CueNumber number;
        const char* name;
        int first, last;
        uint8_t value;
    };
    for (const Look look :
         {Look{1, "Warm", 0, 3, 255}, Look{2, "Cool", 4, 7, 128}, Look{3, "Full", 0, 7, 200}}) {
        auto cue = std::make_unique<show::Cue>(look.number);
        cue->setName(look.name);
        for (int d = look.first; d <= look.last; ++d) {
            cue->addDevice(s.devices[d].get());
            cue->values()[d] = look.value;
        }
        s.cues.push_back(std::move(cue));
    }

    s.lists[0].name = "Main";
    s.lists[0].events = {event(0, 1, 0), event(2000, 2, 1000), event(4000, 3, 1000),
                         event(6000, 1, 2000), event(10000, 2, 500, true)};
    for (int k = 1; k < common::EVENT_LIST_COUNT; ++k) s.lists[k].events = {engine::Event{}};
    s.presets[0][0] = 3;
    s.presets[0][1] = 2;
    s.input.base = inputBase;
    s.input.flags = inputFlags;
    return s;
}

bool writeConsoleShow(const std::string& path, const show::ShowContent& content,
                      std::string* error) {
    return show::saveShowFile(
        path,
        [&](platform::CompoundFile& file, std::string* why) {
            platform::Storage root = file.root();
            return show::writeShowContent(root, show::viewOf(content), why);
        },
        error);
}

}  // namespace j4::engine
