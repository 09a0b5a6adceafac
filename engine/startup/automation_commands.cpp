#include "engine/startup/automation_commands.h"

#include <cstring>

#include "automation/commands.h"
#include "engine/startup/transport_actions.h"

namespace j4::engine {

namespace {

using automation::CommandCode;

CommandOutcome outcome(bool ok) {
    return ok ? CommandOutcome::Done : CommandOutcome::Failed;
}

}  // namespace

CommandOutcome AutomationCommands::execute(const J4AutoCommand& c) {
    // The path field is read only up to its size: an unterminated field is refused.
    const void* end = std::memchr(c.path, '\0', sizeof c.path);
    const std::string_view path(c.path, end ? static_cast<const char*>(end) - c.path : 0);
    if (!end || automation::checkCommand(c.code, c.argument1, c.argument2, path) !=
                    automation::CommandCheck::Valid)
        return CommandOutcome::Refused;

    const int32_t a1 = c.argument1;
    const int32_t a2 = c.argument2;
    Mixer& mixer = engine_.mixer();
    EventLists& lists = engine_.eventLists();
    switch (static_cast<CommandCode>(c.code)) {
        case CommandCode::SetSubmasterLevel:
            // Through the live controls, so the record hook logs a submaster at full.
            return outcome(engine_.live().setSubmasterLevel(a1 + 1, a2));
        case CommandCode::RecallPreset:
            // Not marked as a change of the show (unlike a recall from the DMX input).
            return outcome(engine_.live().loadPreset(a1 + 1));
        case CommandCode::SetGrandmasterLevel:
            engine_.live().setGrandMaster(a1);
            return CommandOutcome::Done;
        case CommandCode::SetXLevel:
            return outcome(mixer.setLayerLevel(common::xLayer(a1), a2));
        case CommandCode::SetYLevel:
            return outcome(mixer.setLayerLevel(common::yLayer(a1), a2));
        case CommandCode::SetSubmasterCue:
            return outcome(mixer.setLayerCue(common::submasterLayer(a1), a2));
        case CommandCode::SetXCue:
            return outcome(mixer.setLayerCue(common::xLayer(a1), a2));
        case CommandCode::SetYCue:
            return outcome(mixer.setLayerCue(common::yLayer(a1), a2));
        case CommandCode::SetTransportMode:
            return lists.setModeWhenStopped(static_cast<common::ClockMode>(a1))
                       ? CommandOutcome::Done
                       : CommandOutcome::Ignored;
        case CommandCode::Play:
            return outcome(lists.play(a1));
        case CommandCode::Stop:
            return outcome(lists.stop());
        case CommandCode::Record:
            return outcome(lists.record(a1));
        case CommandCode::Automate:
            return outcome(automateSection(engine_, a1, a2));
        case CommandCode::Load:
            if (openShow_) openShow_(std::string(path));
            return CommandOutcome::Done;
        case CommandCode::SetAuxSubLevel:
            return outcome(mixer.setLayerLevel(common::auxSubmasterLayer(a1), a2));
        case CommandCode::SetAuxSubCue:
            return outcome(mixer.setLayerCue(common::auxSubmasterLayer(a1), a2));
    }
    return CommandOutcome::Refused;
}

const char* commandOutcomeText(CommandOutcome o) {
    switch (o) {
        case CommandOutcome::Done:
            return "done";
        case CommandOutcome::Refused:
            return "refused (malformed)";
        case CommandOutcome::Ignored:
            return "ignored";
        case CommandOutcome::Failed:
            return "failed";
    }
    return "?";
}

}  // namespace j4::engine
