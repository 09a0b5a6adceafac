#pragma once
// A small generated show for the console's demonstration and its end-to-end tests:
// eight one-channel dimmers on channels 1..8 of universe 1, three Cues, a playing
// order on Event List 1, preset 1, and the DMX input settings asked for.
//
//   Cue 1 "Warm"  dimmers 1-4 at 255      Cue 2 "Cool"  dimmers 5-8 at 128
//   Cue 3 "Full"  all eight at 200
//   Event List 1: Cue 1 at 0 s, Cue 2 at 2 s (1 s fades), Cue 3 at 4 s (1 s fades),
//                 Cue 1 at 6 s (2 s fades), a stop flag at 10 s with Cue 2
//   Preset 1: Cue 3 on submaster 1, Cue 2 on submaster 2

#include <string>

#include "show/file/show_content.h"

namespace j4::engine {

inline constexpr int CONSOLE_SHOW_DIMMERS = 8;

show::ShowContent makeConsoleShow(int32_t inputFlags = 0x01, int32_t inputBase = 1);

// Writes the show as a ".j4" file; false with `error` set when it cannot.
bool writeConsoleShow(const std::string& path, const show::ShowContent& show, std::string* error);

}  // namespace j4::engine
