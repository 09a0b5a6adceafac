#pragma once
// How j4ctl shows the console's clock. The values come from a shared block any process
// of the user can write, so every one is shown safely whatever it holds.

#include <string>

#include "automation/clock_board.h"

namespace j4::automation {

// "00:01:30:15"; "--:--:--:--" for -1 (no time); "invalid (N)" outside a day.
std::string timeText(int32_t ms);
// "Internal", "Timecode", "Step", else "unknown (N)".
std::string modeText(int32_t mode);
// "stopped", "playing", "recording", else "unknown (N)".
std::string stateText(int32_t state);
// "none", "receiving", "lost, running free", else "unknown (N)".
std::string timecodeText(int32_t status);

// Several lines, one value each, for `j4ctl status`.
std::string statusReport(bool connected, const ClockValues& clock);
// One line for `j4ctl status --watch`.
std::string statusLine(bool connected, const ClockValues& clock);

}  // namespace j4::automation
