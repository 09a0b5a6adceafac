#include "show/file/tool/show_check.h"

#include "engine/engine.h"
#include "engine/manual_clock.h"
#include "show/cue_store.h"
#include "show/device_store.h"
#include "show/file/show_document.h"

namespace j4::show::tool {

ShowReadResult checkShow(const std::string& path, const EffectLibrary& effects) {
    engine::ManualClock clock;
    CueStore cues;
    DeviceStore devices;
    engine::Engine engine{clock, cues};
    engine.initialise();
    ShowDocument document{{engine, devices, cues, effects}, nullptr};
    return document.open(path);
}

}  // namespace j4::show::tool
