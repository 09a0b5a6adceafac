#pragma once
// The headless console's main loop: it serves the console's main-thread work (shows
// automation asked to open, the lost-interface message), refreshes the status line,
// and ends on SIGINT or SIGTERM, read from a signalfd so no work happens in a signal
// handler.

#include <ostream>

#include "engine/startup/console_app.h"

namespace j4::engine {

// Blocks SIGINT and SIGTERM in the calling thread; call first in main(), before any
// thread exists, so every thread inherits the mask and the signals queue for the
// signalfd. False when the mask cannot be set.
bool blockExitSignals();

struct HeadlessOptions {
    std::ostream* status = nullptr;  // where the status line goes; null: none
    bool inPlace = true;             // refresh one line with a carriage return (terminal)
    int refreshMs = 100;             // status refresh while in place; else once a second
};

// Runs until SIGINT or SIGTERM arrives; returns the signal number (or -1 when the
// signalfd could not be made).
int runHeadless(ConsoleApp& app, const HeadlessOptions& options);

}  // namespace j4::engine
