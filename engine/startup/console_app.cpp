#include "engine/startup/console_app.h"

#include <sys/resource.h>

#include <iostream>

#include "common/string_table.h"
#include "driver/dmx_dll.h"

namespace j4::engine {

namespace {

// A stream that swallows everything, for a console without a log.
std::ostream& nullLog() {
    static std::ostream none(nullptr);
    return none;
}

platform::SettingsStore settingsStore(platform::SettingsScope scope, const std::string& root) {
    return root.empty() ? platform::SettingsStore(scope) : platform::SettingsStore(scope, root);
}

}  // namespace

const char* shutdownStepText(ShutdownStep step) {
    switch (step) {
        case ShutdownStep::NetworkOutputsStopped:
            return "network outputs stopped";
        case ShutdownStep::FrameSourceUnregistered:
            return "frame source unregistered";
        case ShutdownStep::InputUnregistered:
            return "DMX input unregistered";
        case ShutdownStep::AutomationThreadStopped:
            return "automation thread stopped";
        case ShutdownStep::InputThreadStopped:
            return "DMX input thread stopped";
        case ShutdownStep::EngineThreadStopped:
            return "engine thread stopped";
        case ShutdownStep::DriverReleased:
            return "driver released";
        case ShutdownStep::AutomationUnregistered:
            return "automation unregistered";
        case ShutdownStep::ScratchFolderRemoved:
            return "scratch folder removed";
    }
    return "?";
}

ConsoleApp::ConsoleApp(ConsoleOptions options)
    : options_(std::move(options)),
      machineSettings_(settingsStore(platform::SettingsScope::Machine, options_.settingsRoot)),
      userSettings_(settingsStore(platform::SettingsScope::User, options_.settingsRoot)) {
    binding_ = std::make_unique<links::DriverBinding>(options_.driver);
    engine_ = std::make_unique<Engine>(*binding_, cues_);
    document_ = std::make_unique<show::ShowDocument>(
        show::ShowObjects{*engine_, devices_, cues_, effects_}, &userSettings_);
    document_->setInputBaseSink([this](int32_t base) { return binding_->setInputBase(base) == 0; });
    dmxInput_ = std::make_unique<DmxInput>(*engine_);
    commands_ = std::make_unique<AutomationCommands>(*engine_, [this](std::string path) {
        // The automation thread only queues the request: the main thread opens shows.
        {
            std::lock_guard guard(requestsLock_);
            showRequests_.push_back(std::move(path));
        }
        mainWake_.set();
    });
}

ConsoleApp::~ConsoleApp() {
    shutdown();
}

std::ostream& ConsoleApp::log() {
    return options_.log ? *options_.log : nullLog();
}

void ConsoleApp::say(int messageId) {
    if (options_.prompt) options_.prompt->ask(messageId);
}

void ConsoleApp::note(ShutdownStep step) {
    if (options_.observer) options_.observer->step(step);
}

bool ConsoleApp::start(const std::string& showPath) {
    if (started_ || shutDown_ || !options_.prompt || !options_.automation) return false;
    started_ = startUp(showPath);
    return started_;
}

bool ConsoleApp::startUp(const std::string& showPath) {
    // 1. High priority for the whole process; refused without the privilege, which is
    // no reason not to run.
    (void)::setpriority(PRIO_PROCESS, 0, -10);

    // 2. The semaphore and events (the engine lock exists with the engine).
    if (!frames_.valid() || !input_.valid() || !automationEvent_.valid() || !mainWake_.valid())
        return false;

    // 3. No companion program holds the interface on this system (it announced itself
    // with a window of its own), so nothing is told and nothing waited for.

    // 4. The driver.
    if (!bindDriver()) return false;

    // 5. The scratch folder.
    if (!scratch_.prepare()) {
        log() << "j4: the scratch folder " << TempDataFolder::location()
              << " cannot be made private to this user\n";
        return false;
    }

    // 6, 7. The windowing system's libraries are started by the windows themselves,
    // not here: the headless console has none.

    // 8. The engine, then the libraries.
    if (!engine_->initialise()) return false;
    if (!loadLibraries()) return false;
    connectOutputs();

    // 9. The no-hardware flag was set by bindDriver().

    // 10. The threads.
    if (!engineThread_.start(
            frames_, [this] { engineTick(); }, ThreadPriority::TimeCritical))
        return false;
    if (!inputThread_.start(input_, [this] { readInput(); })) return false;
    if (!automationThread_.start(automationEvent_, [this] { drainAutomation(); })) return false;

    // 11. What the main window does when it opens: the grand master at full, the
    // network outputs, the show.
    engine_->live().setGrandMaster(common::FULL_LEVEL);
    startNetworkOutputs();
    openInitialShow(showPath);

    // 12. The registrations, the frame source last.
    if (binding_->registerInput(input_) != 0) return false;
    inputRegistered_ = true;
    if (const int r = options_.automation->setEvent(&automationEvent_); r != 0) {
        log() << "j4: automation cannot be offered"
              << (r == J4AUTO_IN_USE ? ": another console is running" : "") << "\n";
        return false;
    }
    automationRegistered_ = true;
    if (binding_->registerFrameSemaphore(frames_) != 0) return false;
    frameSourceRegistered_ = true;

    // 13. Keeping the machine awake is left to the session: a headless console on a
    // server does not sleep, and the windows will ask the desktop when they exist.
    return true;
}

bool ConsoleApp::bindDriver() {
    int32_t version = 0;
    const int32_t result = binding_->load(*options_.prompt, version);
    if (result == links::BIND_CANCELLED) return false;
    if (version != DMX_DLL_VERSION) {
        say(common::MSG_DRIVER_VERSION_WRONG);
        return false;
    }
    if (result == links::BIND_IN_USE) {
        say(common::MSG_HARDWARE_IN_USE);
        return false;
    }
    if (result != links::BIND_HARDWARE && result != links::BIND_NO_HARDWARE) return false;
    noHardware_ = result == links::BIND_NO_HARDWARE;
    return true;
}

bool ConsoleApp::loadLibraries() {
    const show::MessageId templates = templates_.scan(machineSettings_);
    if (templates != show::MessageId::None) {
        say(static_cast<int>(templates));
        // Unreadable Template files are dropped and the console goes on (521).
        if (templates != show::MessageId::SomeTemplatesNotLoaded) return false;
    }
    const show::MessageId effects = effects_.scan(machineSettings_);
    if (effects != show::MessageId::None) {
        say(static_cast<int>(effects));
        return false;
    }
    return true;
}

void ConsoleApp::connectOutputs() {
    // The frame goes to the interface first, then the visualizer, the VJ node and the
    // Art-Net output; each copies it and returns at once.
    if (options_.visualizer) citp_ = std::make_unique<links::CitpLink>();
    if (options_.vjLink) vj_ = std::make_unique<links::ArtNetSender>(links::SenderRole::VjNode);
    if (options_.artnet)
        artnet_ = std::make_unique<links::ArtNetSender>(links::SenderRole::AllUniverses);
    engine_->mixer().addOutput(binding_.get());
    devices_.addSendLengthListener(binding_.get());
    if (citp_) {
        engine_->mixer().addOutput(citp_.get());
        devices_.addSendLengthListener(citp_.get());
    }
    for (links::ArtNetSender* sender : {vj_.get(), artnet_.get()}) {
        if (!sender) continue;
        engine_->mixer().addOutput(sender);
        devices_.addSendLengthListener(sender);
    }
    engine_->setTimePublisher(
        [port = options_.automation](const common::ClockReading& r) { port->setTime(r); });
}

void ConsoleApp::startNetworkOutputs() {
    links::NetworkSettings settings = options_.network;
    // Nobody is there to answer "no node found": keep searching quietly.
    settings.askWhenNoNode = false;
    if (citp_ && citp_->start(settings) != 0)
        log() << "j4: the visualizer link did not start: " << citp_->startError() << "\n";
    if (vj_ && vj_->start(settings) != 0)
        log() << "j4: the VJ link did not start: " << vj_->startError() << "\n";
    if (artnet_ && artnet_->start(settings) != 0)
        log() << "j4: the Art-Net output did not start: " << artnet_->startError() << "\n";
}

void ConsoleApp::openInitialShow(const std::string& showPath) {
    const std::string path =
        showPath.empty() ? show::ShowDocument::lastOpenFile(userSettings_) : showPath;
    if (path.empty()) return;
    openShow(path);
}

bool ConsoleApp::saveBeforeDiscard() {
    if (!document_->changed()) return true;
    const auto answer =
        options_.prompt->ask(common::MSG_SAVE_CHANGES, common::STR_APP_CAPTION,
                             common::PromptButtons::YesNoCancel, common::PromptIcon::Question);
    if (answer == common::PromptAnswer::Cancel) return false;
    if (answer != common::PromptAnswer::Yes) return true;
    const std::string path = document_->path();
    if (path.empty()) {
        // Saving an untitled show needs a file name only the windows can ask for.
        log() << "j4: the untitled show has changes and no file to save them to\n";
        return false;
    }
    const show::SaveResult saved = document_->save(path);
    if (!saved.ok()) {
        say(saved.message);
        log() << "j4: " << saved.reason << "\n";
    }
    return saved.ok();
}

bool ConsoleApp::openShow(const std::string& path) {
    if (!saveBeforeDiscard()) {
        log() << "j4: " << path << " was not opened: the current show keeps its changes\n";
        return false;
    }
    const show::ShowReadResult result = document_->open(path);
    if (!result.ok()) {
        say(result.message);
        log() << "j4: " << result.reason << "\n";
        return false;
    }
    return true;
}

bool ConsoleApp::confirmExit() {
    return saveBeforeDiscard();
}

void ConsoleApp::serviceMainThread() {
    std::vector<std::string> requests;
    {
        std::lock_guard guard(requestsLock_);
        requests.swap(showRequests_);
    }
    // Each Load carries its own path; they are opened in the order they came.
    for (const std::string& path : requests) openShow(path);
    binding_->reportLostCommunication(*options_.prompt);
}

// ---- The threads ---------------------------------------------------------------------

void ConsoleApp::engineTick() {
    const bool read = engine_->tick();
    ticks_.fetch_add(1, std::memory_order_relaxed);
    if (options_.observer) options_.observer->tick(read);
}

void ConsoleApp::readInput() {
    InputChannels in;
    uint32_t masks[2] = {0, 0};
    if (binding_->getChannels(masks, in.levels.data()) != 0) return;
    in.changedLow = masks[0];
    in.changedHigh = masks[1] & 0xFFFFu;  // channels 32..47 only
    dmxInput_->process(in, engine_->mixer().dmxInputSettings().flags);
}

void ConsoleApp::drainAutomation() {
    J4AutoCommand command{};
    for (;;) {
        const int taken = options_.automation->getCommand(command);
        if (taken == J4AUTO_EMPTY) return;
        CommandOutcome outcome = CommandOutcome::Refused;
        if (taken == J4AUTO_OK) outcome = commands_->execute(command);
        if (outcome == CommandOutcome::Refused)
            log() << "j4: automation command " << command.code << " (" << command.argument1 << ", "
                  << command.argument2 << ") refused: malformed\n";
        if (options_.observer) options_.observer->command(command, outcome);
    }
}

// ---- Shutdown ------------------------------------------------------------------------

void ConsoleApp::shutdown() {
    if (shutDown_) return;
    shutDown_ = true;

    // 1. The network senders.
    if (artnet_) artnet_->stop();
    if (vj_) vj_->stop();
    if (citp_) citp_->stop();
    note(ShutdownStep::NetworkOutputsStopped);

    // 2. No more frames, no more input signals.
    if (frameSourceRegistered_) binding_->unregisterFrameSemaphore();
    frameSourceRegistered_ = false;
    note(ShutdownStep::FrameSourceUnregistered);
    if (inputRegistered_) binding_->unregisterInput();
    inputRegistered_ = false;
    note(ShutdownStep::InputUnregistered);

    // 3. The threads: automation, DMX input, engine. Each finishes what it is doing.
    automationThread_.stop();
    note(ShutdownStep::AutomationThreadStopped);
    inputThread_.stop();
    note(ShutdownStep::InputThreadStopped);
    engineThread_.stop();
    note(ShutdownStep::EngineThreadStopped);

    // 4. The driver: the engine thread is gone, so no tick can reach it any more.
    binding_->shutdown();
    note(ShutdownStep::DriverReleased);

    // 5. No companion program to tell (see start-up).

    // 6. Automation clients see the console gone.
    if (automationRegistered_) options_.automation->setEvent(nullptr);
    automationRegistered_ = false;
    note(ShutdownStep::AutomationUnregistered);

    // 7. The scratch folder.
    scratch_.remove();
    note(ShutdownStep::ScratchFolderRemoved);
    // 8. The engine lock, the semaphore and the events go with this object.
}

}  // namespace j4::engine
