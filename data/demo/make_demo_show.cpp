// Writes the demo show from the built-in libraries:
//
//   j4_make_demo_show TEMPLATE_FOLDER EFFECT_FOLDER OUT.j4

#include <cstdio>

#include "data/demo/demo_show.h"
#include "engine/manual_clock.h"

int main(int argc, char** argv) {
    using namespace j4;
    if (argc != 4) {
        std::fprintf(stderr, "usage: j4_make_demo_show TEMPLATE_FOLDER EFFECT_FOLDER OUT.j4\n");
        return 2;
    }
    show::TemplateStore templates;
    show::EffectLibrary effects;
    if (templates.scanFolder(argv[1]) != show::MessageId::None ||
        effects.scanFolder(argv[2]) != show::MessageId::None) {
        std::fprintf(stderr, "j4_make_demo_show: the libraries do not scan cleanly\n");
        return 1;
    }
    engine::ManualClock clock;
    show::CueStore cues;
    show::DeviceStore devices;
    engine::Engine engine(clock, cues);
    engine.initialise();
    const show::ShowObjects objects{engine, devices, cues, effects};
    show::ShowDocument document(objects, nullptr);
    std::string error;
    if (!data::buildDemoShow(objects, templates, &error)) {
        std::fprintf(stderr, "j4_make_demo_show: %s\n", error.c_str());
        return 1;
    }
    const show::SaveResult saved = document.save(argv[3]);
    if (!saved.ok()) {
        std::fprintf(stderr, "j4_make_demo_show: %s\n", saved.reason.c_str());
        return 1;
    }
    return 0;
}
