#pragma once
// Executes the commands automation clients queue (codes 1..16) on the live controls,
// the Event Lists and the clock. The queue lies in memory every process of the user
// can write, so each command is checked again here (code, argument ranges, the show
// path's length and termination) and a malformed one is refused without acting.
//
// Thread: the automation thread. X/Y commands name the Event List directly, not the
// current one. A Load is handed to the main thread, which opens the show.

#include <functional>
#include <string>

#include "automation/j4auto.h"
#include "engine/engine.h"

namespace j4::engine {

enum class CommandOutcome {
    Done,
    Refused,  // malformed: nothing changed
    Ignored,  // valid but not applicable now (a mode change while the show runs)
    Failed,   // the clock or the target refused
};

class AutomationCommands {
  public:
    // `openShow` receives the path of each Load (on the automation thread: it must only
    // queue the request for the main thread).
    AutomationCommands(Engine& engine, std::function<void(std::string path)> openShow)
        : engine_(engine), openShow_(std::move(openShow)) {}

    CommandOutcome execute(const J4AutoCommand& command);

  private:
    Engine& engine_;
    std::function<void(std::string)> openShow_;
};

const char* commandOutcomeText(CommandOutcome outcome);

}  // namespace j4::engine
