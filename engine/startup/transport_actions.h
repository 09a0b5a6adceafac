#pragma once
// Transport actions the DMX input and the automation commands share.

#include "common/time_value.h"
#include "engine/engine.h"

namespace j4::engine {

// Automating a section: stop the show, switch to Internal mode, set the automation stop
// time (-1: none) and play from `start` (-1: the current time). False when the clock
// refused a step.
bool automateSection(Engine& engine, common::ShowTime start, common::ShowTime stop);

}  // namespace j4::engine
