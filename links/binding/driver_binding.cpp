#include "links/binding/driver_binding.h"

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "common/string_table.h"
#include "driver/dmx_dll_signal.h"

namespace j4::links {

namespace {

// The folder of the running program, so a library beside it is found first.
std::string programFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    path[n] = '\0';
    std::string s(path);
    const auto slash = s.rfind('/');
    return slash == std::string::npos ? std::string() : s.substr(0, slash);
}

bool openLibrary(platform::SharedLibrary& library, const std::string& name) {
    if (name.find('/') == std::string::npos) {
        const std::string folder = programFolder();
        if (!folder.empty() && ::access((folder + "/" + name).c_str(), R_OK) == 0 &&
            library.open(folder + "/" + name))
            return true;
    }
    return library.open(name);
}

void debugTrace(const char* text) {
    if (std::getenv("J4_DEBUG_TRACE")) std::fprintf(stderr, "%s\n", text);
}

}  // namespace

DriverBinding::DriverBinding() : DriverBinding(Options{}) {}

DriverBinding::DriverBinding(Options options) : options_(std::move(options)) {}

DriverBinding::~DriverBinding() {
    shutdown();
}

int32_t DriverBinding::load(common::Prompt& prompt, int32_t& version) {
    DriverFunctions functions;
    if (openLibrary(library_, options_.library)) functions = lookUpDriverFunctions(library_);
    return bind(functions, prompt, version);
}

int32_t DriverBinding::bind(const DriverFunctions& functions, common::Prompt& prompt,
                            int32_t& version) {
    if (functions.complete()) {
        functions_ = functions;
        version = -1;
        const int32_t result = functions_.initialize(&version);
        if (result != -1) return result;
    }
    // Keep cleanup when it was found: shutdown calls it in either state. The library,
    // if it loaded, stays loaded until then.
    const DMXDllVoidFn cleanup = functions.cleanup;
    functions_ = DriverFunctions{};
    functions_.cleanup = cleanup;
    version = DMX_DLL_VERSION;
    noHardware_ = true;
    const auto answer = prompt.ask(common::MSG_CONTINUE_WITHOUT_HARDWARE, common::STR_APP_CAPTION,
                                   common::PromptButtons::OkCancel, common::PromptIcon::Question);
    return answer == common::PromptAnswer::Ok ? BIND_NO_HARDWARE : BIND_CANCELLED;
}

// ---- Registration -------------------------------------------------------------------

int32_t DriverBinding::registerFrameSemaphore(platform::Semaphore& frames) {
    if (noHardware_) return software_.start(frames, options_.manualSoftwareClock) ? 0 : -1;
    if (!hardware()) return -1;
    frameSignal_ = driver::semaphoreSignal(frames);
    return functions_.registerFrame(&frameSignal_);
}

int32_t DriverBinding::unregisterFrameSemaphore() {
    if (noHardware_) {
        software_.stop();
        return 0;
    }
    return hardware() ? functions_.unregisterFrame() : 0;
}

int32_t DriverBinding::registerInput(platform::Event& input) {
    if (!hardware()) return 0;  // no input will ever be signalled
    inputSignal_ = driver::eventSignal(input);
    return functions_.registerInput(&inputSignal_);
}

void DriverBinding::unregisterInput() {
    if (hardware()) functions_.unregisterInput();
}

// ---- Settings and input -------------------------------------------------------------

int32_t DriverBinding::setMaximumChannel(int32_t universe, int32_t channel) {
    if (hardware()) return functions_.setMaximumChannel(universe, channel);
    return universe >= 1 && universe <= 16 && channel >= 1 && channel <= 512 ? 0 : -1;
}

void DriverBinding::setSendLength(int universe, int highestChannel) {
    setMaximumChannel(universe, highestChannel < 1 ? 1 : highestChannel);
}

int32_t DriverBinding::setInputBase(int32_t channel) {
    if (hardware()) return functions_.setInputBase(channel);
    return software_.setInputBase(channel) ? 0 : -1;
}

int32_t DriverBinding::inputBase() {
    if (!hardware()) return software_.inputBase();
    int32_t base = 1;
    functions_.getInputBase(&base);
    return base;
}

int32_t DriverBinding::universeMask() {
    int32_t mask = 0;
    if (hardware()) functions_.getUniverseMask(&mask);
    return mask;
}

int32_t DriverBinding::getChannels(uint32_t* masks, uint8_t* input) {
    if (!masks || !input) return -1;
    if (hardware()) return functions_.getChannels(masks, input);
    masks[0] = masks[1] = 0;
    for (int i = 0; i < DMX_DLL_INPUT_CHANNELS; ++i) input[i] = 0;
    return 0;
}

int32_t DriverBinding::hibernate() {
    return hardware() && functions_.hibernate ? functions_.hibernate() : 0;
}

int32_t DriverBinding::resume() {
    return hardware() && functions_.resume ? functions_.resume() : 0;
}

// ---- Frames -------------------------------------------------------------------------

int DriverBinding::sendFrame(int firstChannel, int length, const uint8_t* bytes) {
    if (!common::isFrameRange(firstChannel, length) || (length > 0 && !bytes)) return -1;
    if (!hardware()) return 0;
    int32_t result;
    if (firstFrame_) {
        firstFrame_ = false;
        result = functions_.setChannels(1, length, bytes);
    } else if (length == DMX_DLL_FRAME_BYTES) {
        result = functions_.setSync(bytes);
    } else {
        result = functions_.setChannels(1, length, bytes);
    }
    if (result != 0) lost_ = true;
    return result;
}

bool DriverBinding::takeLostMessage() {
    return lost_ && !lostShown_.exchange(true);
}

void DriverBinding::reportLostCommunication(common::Prompt& prompt) {
    if (takeLostMessage())
        prompt.ask(common::MSG_HARDWARE_LOST, common::STR_APP_CAPTION, common::PromptButtons::Ok,
                   common::PromptIcon::Warning);
}

// ---- Clock --------------------------------------------------------------------------

bool DriverBinding::read(common::ClockReading& out) {
    if (!hardware()) {
        out = software_.read();
        return true;
    }
    int32_t t, mode, state, status;
    if (functions_.getTime(&t, &mode, &state, &status) != 0) return false;
    if (!common::isClockMode(mode) || !common::isClockState(state) ||
        !common::isTimecodeStatus(status) || t < 0 || t >= common::MS_PER_DAY)
        return false;
    out.time = t;
    out.mode = static_cast<common::ClockMode>(mode);
    out.state = static_cast<common::ClockState>(state);
    out.timecode = static_cast<common::TimecodeStatus>(status);
    return true;
}

bool DriverBinding::setTime(common::ShowTime time, common::ShowTime stopTime) {
    if (!hardware()) return software_.setTime(time, stopTime);
    return functions_.setTime(time, stopTime) == 0;
}

bool DriverBinding::setState(common::ClockState state) {
    if (!hardware()) return software_.setState(static_cast<int32_t>(state));
    return functions_.setState(static_cast<int32_t>(state)) == 0;
}

bool DriverBinding::setMode(common::ClockMode mode) {
    if (!hardware()) return software_.setMode(static_cast<int32_t>(mode));
    return functions_.setMode(static_cast<int32_t>(mode)) == 0;
}

bool DriverBinding::setAutomationStop(common::ShowTime stopTime) {
    if (!hardware()) return software_.setAutomationStop(stopTime);
    if (!functions_.setAutomationTime) {
        debugTrace("No Automation Time Proc!");
        return false;
    }
    return functions_.setAutomationTime(stopTime) == 0;
}

bool DriverBinding::setLostTimecodeSwitch(bool on) {
    if (!hardware()) {
        software_.setLostTimecodeSwitch(on ? 1 : 0);
        return true;
    }
    return functions_.setTimecodeAuto(on ? 1 : 0) == 0;
}

std::optional<bool> DriverBinding::lostTimecodeSwitch() {
    if (!hardware()) return software_.lostTimecodeSwitch() != 0;
    uint8_t value = 0;
    if (functions_.getTimecodeAuto(&value) != 0) return std::nullopt;
    return value != 0;
}

bool DriverBinding::setTimecodeOffset(int32_t milliseconds) {
    if (!hardware()) {
        software_.setTimecodeOffset(milliseconds);
        return true;
    }
    return functions_.setTimecodeOffset(milliseconds) == 0;
}

std::optional<int32_t> DriverBinding::timecodeOffset() {
    if (!hardware()) return software_.timecodeOffset();
    int32_t offset = 0;
    if (functions_.getTimecodeOffset(&offset) != 0) return std::nullopt;
    return offset;
}

// ---- Shutdown -----------------------------------------------------------------------

void DriverBinding::shutdown() {
    software_.stop();
    if (functions_.cleanup) functions_.cleanup();
    functions_ = DriverFunctions{};
    library_.close();
}

}  // namespace j4::links
