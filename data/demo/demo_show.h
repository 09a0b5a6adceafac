#pragma once
// The demo show: a small rig on the built-in Template library (dimmers, RGBW pars and
// two 16-bit spots over two universes), a dozen named Cues (one moving the spots on the
// circle effect), Event List 1 with fades, a loop and a stop flag, submasters and
// presets. The build writes it as data/demo/demo.j4; the main job plays it.

#include <string>

#include "show/file/show_document.h"
#include "show/template_store.h"

namespace j4::data {

// Builds the demo into the (empty) show of `objects` from the Templates of `templates`.
// False, with the reason, when a Template or effect it needs is missing.
bool buildDemoShow(const show::ShowObjects& objects, show::TemplateStore& templates,
                   std::string* error);

}  // namespace j4::data
