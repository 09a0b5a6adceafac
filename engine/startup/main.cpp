// CorvantaJ4: the console program. Until its windows exist it runs headless.

#include <unistd.h>

#include <iostream>
#include <map>

#include "common/prompt.h"
#include "engine/startup/automation_port.h"
#include "engine/startup/console_app.h"
#include "engine/startup/console_command_line.h"
#include "engine/startup/headless_run.h"
#include "links/artnet/network_settings.h"

namespace {

using namespace j4;

// J4_CONSOLE_TRACE=1: shutdown steps and the tick count at each on standard error.
class Trace final : public engine::ConsoleObserver {
  public:
    explicit Trace(const engine::ConsoleApp*& app) : app_(app) {}
    void step(engine::ShutdownStep step) override {
        std::cerr << "j4: shutdown: " << engine::shutdownStepText(step) << " (ticks "
                  << (app_ ? app_->ticks() : 0) << ")\n";
    }

  private:
    const engine::ConsoleApp*& app_;
};

}  // namespace

int main(int argc, char** argv) {
    // Before any thread exists, so that every thread inherits the blocked mask.
    if (!engine::blockExitSignals()) {
        std::cerr << "CorvantaJ4: cannot take over SIGINT and SIGTERM\n";
        return 1;
    }
    std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto parsed = engine::parseConsoleCommandLine(arguments);
    if (!parsed.line) {
        std::cerr << "CorvantaJ4: " << parsed.error << "\n\n" << engine::consoleUsageText();
        return 2;
    }
    const engine::ConsoleCommandLine& line = *parsed.line;
    if (line.help) {
        std::cout << engine::consoleUsageText();
        return 0;
    }

    // Nobody answers questions: go on without hardware; save a changed show before
    // another is opened and at exit (the previous file stays as ".bak").
    auto defaults = common::HeadlessPrompt::consoleDefaults();
    defaults[common::MSG_SAVE_CHANGES] = common::PromptAnswer::Yes;
    common::HeadlessPrompt prompt(defaults);
    engine::LibraryAutomationPort automation;

    const engine::ConsoleApp* appForTrace = nullptr;
    Trace trace(appForTrace);
    const char* traceSetting = std::getenv("J4_CONSOLE_TRACE");

    engine::ConsoleOptions options;
    options.prompt = &prompt;
    options.automation = &automation;
    options.log = &std::cerr;
    options.observer = traceSetting && std::string_view(traceSetting) == "1" ? &trace : nullptr;
    options.artnet = line.artnet;
    options.vjLink = line.vjLink;
    options.visualizer = line.visualizer;
    options.network =
        links::loadNetworkSettings(platform::SettingsStore(platform::SettingsScope::User));
    if (!line.interfaceAddress.empty()) options.network.interfaceAddress = line.interfaceAddress;

    engine::ConsoleApp app(options);
    appForTrace = &app;
    int status = 0;
    if (app.start(line.showPath)) {
        engine::HeadlessOptions headless;
        const bool terminal = ::isatty(STDOUT_FILENO) == 1;
        if (terminal || line.status) headless.status = &std::cout;
        headless.inPlace = terminal;
        const int signal = engine::runHeadless(app, headless);
        if (signal < 0) {
            std::cerr << "CorvantaJ4: cannot wait for SIGINT and SIGTERM\n";
            status = 1;
        }
        app.confirmExit();
    } else {
        std::cerr << "CorvantaJ4: start-up failed\n";
        status = 1;
    }
    app.shutdown();
    return status;
}
