#pragma once
// The console program's process-wide objects, its start-up and its shutdown.
//
// Start-up (start()) runs in a fixed order: the frame semaphore, the input event, the
// automation event and the three stop events; the driver binding (message 535 for a
// wrong interface version, 536 when the interface is in use, silent end when the user
// declines to go on without hardware); the scratch folder; the Mixer and Event Lists,
// the Template library and the effect library; the engine thread (time-critical), the
// DMX input thread and the automation thread; the front end's opening (the show);
// then the registrations: DMX input event with the driver, automation event with the
// automation library, and last the frame semaphore (driver or software clock), so the
// first engine tick runs only when everything exists.
//
// Shutdown (shutdown(), once, tolerating objects that were never made) runs it down:
// the network senders, the frame source and the input registration, the automation,
// DMX input and engine threads in that order, the driver, the automation registration,
// the scratch folder. No engine tick runs after the driver was released.
//
// Threads: start(), shutdown() and the main-thread services (serviceMainThread, the
// show operations) run on the main thread. The engine thread ticks the engine; the DMX
// input thread and the automation thread act through the engine's locked operations.

#include <atomic>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "common/prompt.h"
#include "engine/engine.h"
#include "engine/startup/automation_commands.h"
#include "engine/startup/automation_port.h"
#include "engine/startup/dmx_input.h"
#include "engine/startup/signalled_thread.h"
#include "engine/startup/temp_data_folder.h"
#include "links/artnet/artnet_sender.h"
#include "links/artnet/network_settings.h"
#include "links/binding/driver_binding.h"
#include "links/citp/citp_link.h"
#include "platform/event.h"
#include "platform/semaphore.h"
#include "platform/settings_store.h"
#include "show/cue_store.h"
#include "show/device_store.h"
#include "show/effect_library.h"
#include "show/file/show_document.h"
#include "show/template_store.h"

namespace j4::engine {

// The steps of shutdown, in the order they run.
enum class ShutdownStep {
    NetworkOutputsStopped,
    FrameSourceUnregistered,
    InputUnregistered,
    AutomationThreadStopped,
    InputThreadStopped,
    EngineThreadStopped,
    DriverReleased,
    AutomationUnregistered,
    ScratchFolderRemoved,
};
const char* shutdownStepText(ShutdownStep step);

// Watches the console from the inside (tests, traces). Called on the thread that does
// the work: tick() on the engine thread (it must not allocate or block), command() on
// the automation thread, step() on the main thread.
class ConsoleObserver {
  public:
    virtual ~ConsoleObserver() = default;
    virtual void tick(bool /*clockRead*/) {}
    virtual void command(const J4AutoCommand& /*command*/, CommandOutcome /*outcome*/) {}
    virtual void step(ShutdownStep /*step*/) {}
};

struct ConsoleOptions {
    common::Prompt* prompt = nullptr;      // required
    AutomationPort* automation = nullptr;  // required
    std::ostream* log = nullptr;           // details of failures; null: none
    links::DriverBinding::Options driver;  // the library and software-clock pacing
    std::string settingsRoot;              // empty: the environment's settings root
    ConsoleObserver* observer = nullptr;
    // Network outputs, off unless asked for; they use `network` (loopback by default).
    bool artnet = false;
    bool vjLink = false;
    bool visualizer = false;
    links::NetworkSettings network;
};

class ConsoleApp {
  public:
    explicit ConsoleApp(ConsoleOptions options);
    ~ConsoleApp();
    ConsoleApp(const ConsoleApp&) = delete;
    ConsoleApp& operator=(const ConsoleApp&) = delete;

    // Runs start-up. `showPath` is the show to open at the end of it; empty opens the
    // last open file when there is one (a show that fails to open leaves an empty show).
    // False when start-up failed: the caller then runs shutdown().
    bool start(const std::string& showPath);
    void shutdown();

    // --- main thread ---
    // Set when the main thread has something to do (a show to open, a message to
    // show); wait on it with the other things the main loop waits for.
    platform::Event& mainWakeUp() { return mainWake_; }
    // Opens the shows automation asked for and shows message 540 once when the
    // interface was lost.
    void serviceMainThread();
    // Opens a show: a changed show is offered for saving first (message 505). Messages
    // 503/554 (and the reason on the log) when it fails.
    bool openShow(const std::string& path);
    // Before exit: a changed show is offered for saving. False when the user cancelled.
    bool confirmExit();

    // --- state ---
    Engine& engine() { return *engine_; }
    links::DriverBinding& binding() { return *binding_; }
    show::ShowDocument& document() { return *document_; }
    show::DeviceStore& devices() { return devices_; }
    show::CueStore& cues() { return cues_; }
    bool noHardware() const { return noHardware_; }
    bool started() const { return started_; }
    int64_t ticks() const { return ticks_.load(std::memory_order_relaxed); }
    const SignalledThread& engineThread() const { return engineThread_; }
    links::ArtNetSender* artnet() { return artnet_.get(); }
    links::CitpLink* visualizer() { return citp_.get(); }

  private:
    bool startUp(const std::string& showPath);
    bool bindDriver();
    bool loadLibraries();
    void connectOutputs();
    void startNetworkOutputs();
    void openInitialShow(const std::string& showPath);
    bool saveBeforeDiscard();

    void engineTick();
    void readInput();
    void drainAutomation();

    void say(int messageId);
    std::ostream& log();
    void note(ShutdownStep step);

    ConsoleOptions options_;
    platform::SettingsStore machineSettings_;
    platform::SettingsStore userSettings_;

    // Created first, in this order; closed last.
    platform::Semaphore frames_{0, 1000};
    platform::Event input_{platform::Event::Reset::Auto};
    platform::Event automationEvent_{platform::Event::Reset::Auto};

    std::unique_ptr<links::DriverBinding> binding_;
    show::CueStore cues_;
    show::DeviceStore devices_;
    show::TemplateStore templates_;
    show::EffectLibrary effects_;
    std::unique_ptr<Engine> engine_;
    std::unique_ptr<show::ShowDocument> document_;
    std::unique_ptr<DmxInput> dmxInput_;
    std::unique_ptr<AutomationCommands> commands_;

    std::unique_ptr<links::ArtNetSender> artnet_;
    std::unique_ptr<links::ArtNetSender> vj_;
    std::unique_ptr<links::CitpLink> citp_;

    SignalledThread engineThread_;
    SignalledThread inputThread_;
    SignalledThread automationThread_;
    TempDataFolder scratch_;

    platform::Event mainWake_{platform::Event::Reset::Auto};
    std::mutex requestsLock_;
    std::vector<std::string> showRequests_;

    bool noHardware_ = false;
    bool started_ = false;
    bool shutDown_ = false;
    bool frameSourceRegistered_ = false;
    bool inputRegistered_ = false;
    bool automationRegistered_ = false;
    std::atomic<int64_t> ticks_{0};
};

}  // namespace j4::engine
