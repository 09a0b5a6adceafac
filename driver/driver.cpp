#include "driver/driver.h"

#include <chrono>
#include <system_error>

#include "common/time_value.h"
#include "driver/firmware_image.h"
#include "driver/packets.h"

namespace j4::driver {

namespace {
constexpr int MAIN = 0;
constexpr int PAIRED = 4;  // interfaces_[1..3] are the additional slots 1..3

const char* openedTrace(Model model, int slot) {
    if (modelInfo(model).universes == 4) {
        static const char* const J4[] = {"", "U5-8 Opened", "U9-12 Opened", "U13-16 Opened"};
        return J4[slot];
    }
    static const char* const SINGLE[] = {"", "U2 Opened", "U3 Opened", "U4 Opened"};
    return SINGLE[slot];
}
}  // namespace

Driver::Driver(DriverEnvironment environment) : env_(std::move(environment)) {
    for (auto& b : maxBlocks_) b = 16;
}

Driver::~Driver() {
    cleanup();
}

void Driver::trace(const char* text) const {
    if (env_.trace) env_.trace(text);
}

bool Driver::open() const {
    return interfaces_[MAIN].io != nullptr;
}

template <typename F>
void Driver::forEachInterface(F&& f) {
    for (auto& iface : interfaces_)
        if (iface.io) f(iface);
}

void Driver::closeAll() {
    std::lock_guard io(ioLock_);
    for (auto& iface : interfaces_) iface.io.reset();
    universeMask_ = 0;
}

int32_t Driver::initialize(int32_t* version) {
    if (!version) return -1;
    const int32_t index = *version;
    *version = DMX_DLL_VERSION;
    if (open()) return -2;  // this process already owns its slot
    if (!env_.bus) return -1;

    const bool allSlots = index == -1;
    mainSlot_ = index >= 0 && index <= 7 ? index : 0;

    platform::LockFile lock;
    switch (lock.tryLock(env_.lockFolder + "/" + slotLockName(mainSlot_))) {
        case platform::LockFile::Result::Acquired:
            break;
        case platform::LockFile::Result::InUse:
            return -2;
        case platform::LockFile::Result::Failed:
            return -1;
    }
    mainLock_ = std::move(lock);

    std::unique_ptr<DeviceIo> mainIo;
    for (Model m : {Model::J4, Model::R2, Model::T6}) {
        mainIo = env_.bus->open(deviceName(m, mainSlot_));
        if (mainIo) {
            model_ = m;
            break;
        }
    }
    if (!mainIo) return -1;
    mainName_ = deviceName(model_, mainSlot_);
    {
        std::lock_guard io(ioLock_);
        interfaces_[MAIN].io = std::move(mainIo);
        interfaces_[MAIN].slot = mainSlot_;
    }
    uint32_t mask = slotUniverseMask(model_, 0);

    if (allSlots) {
        const auto pairing = env_.readPairing ? env_.readPairing() : std::nullopt;
        if (pairing && *pairing == 1) {
            trace("Pairing Requested");
            if (pairingLock_.tryLock(env_.lockFolder + "/" + slotLockName(1)) ==
                platform::LockFile::Result::Acquired) {
                auto io = env_.bus->open(deviceName(model_, 1));
                if (io) {
                    std::lock_guard g(ioLock_);
                    interfaces_[PAIRED].io = std::move(io);
                    trace("Aux J4 Opened");
                } else {
                    pairingLock_.unlock();
                }
            }
        } else {
            for (int k = 1; k <= 3; ++k) {
                auto& slotLock = additionalLocks_[k - 1];
                if (slotLock.tryLock(env_.lockFolder + "/" + slotLockName(k)) !=
                    platform::LockFile::Result::Acquired)
                    continue;
                auto io = env_.bus->open(deviceName(model_, k));
                if (!io) {
                    // Nothing is served from this slot, so do not keep others off it.
                    slotLock.unlock();
                    continue;
                }
                std::lock_guard g(ioLock_);
                interfaces_[k].io = std::move(io);
                interfaces_[k].slot = k;
                interfaces_[k].additional = true;
                mask |= slotUniverseMask(model_, k);
                trace(openedTrace(model_, k));
            }
        }
    }
    universeMask_ = mask;

    const ModelInfo& info = modelInfo(model_);
    forEachInterface([](Interface& i) { i.io->selectInterface(0, 1); });
    if (!downloadFirmware(info.firmwareId)) {
        closeAll();
        return -1;
    }
    for (uint32_t p = 0; p < info.pipeCount; ++p) {
        forEachInterface([p](Interface& i) {
            i.io->abortPipe(p);
            i.io->resetPipe(p);
        });
    }
    lost_ = false;
    {
        std::lock_guard clock(clockLock_);
        clock_.mode = 0;
        clock_.state = 0;
        clock_.timecodeStatus = 0;
        std::lock_guard io(ioLock_);
        sendConfigLocked();
        const auto packet = transportPacket(0, 0, 0, clock_.frameRateCode);
        interfaces_[MAIN].io->bulkWrite(OUTPUT_PIPE, packet);
    }

    {
        std::lock_guard g(threadHandleLock_);
        shuttingDown_ = false;
    }
    frameRun_ = true;
    try {
        frameThread_ = std::thread(&Driver::frameThread, this);
    } catch (const std::system_error&) {
        frameRun_ = false;
        closeAll();
        return -1;
    }
    std::lock_guard io(ioLock_);
    inputSnapshot_.fill(0);
    previousInput_.fill(0);
    return 0;
}

bool Driver::downloadFirmware(int imageId) {
    const ModelInfo& info = modelInfo(model_);
    const auto text = env_.firmware.image(imageId);
    if (!text) return false;
    // The whole image is checked before the CPU is held, so a bad image leaves the
    // interface running what it ran.
    const FirmwareParse parsed = parseFirmware(*text, info.memoryBytes);
    if (!parsed.ok()) return false;
    bool ok = true;
    std::lock_guard io(ioLock_);
    forEachInterface(
        [&](Interface& i) { ok &= i.io->vendorRequest(cpuResetRequest(info.cpuRegister, true)); });
    for (const auto& block : parsed.blocks) {
        forEachInterface(
            [&](Interface& i) { ok &= i.io->downloadFirmwareBlock(block.start, block.bytes); });
    }
    forEachInterface(
        [&](Interface& i) { ok &= i.io->vendorRequest(cpuResetRequest(info.cpuRegister, false)); });
    return ok;
}

int32_t Driver::cleanup() {
    if (open()) {
        const ModelInfo& info = modelInfo(model_);
        frameRun_ = false;
        inputRun_ = false;
        {
            std::lock_guard g(delayLock_);
            delayWake_.notify_all();
        }
        {
            std::lock_guard io(ioLock_);
            for (uint32_t p = 0; p < info.pipeCount; ++p)
                forEachInterface([p](Interface& i) { i.io->abortPipe(p); });
        }
        {
            // A thread that had not yet started its read when the pipes were aborted
            // would wait for ever; cancelling its handle ends that read too.
            std::lock_guard g(threadHandleLock_);
            shuttingDown_ = true;
            if (frameHandle_) frameHandle_->cancel();
            if (inputHandle_) inputHandle_->cancel();
        }
        if (frameThread_.joinable()) frameThread_.join();
        if (inputThread_.joinable()) inputThread_.join();
        {
            std::lock_guard io(ioLock_);
            for (uint32_t p = 0; p < 3; ++p)
                forEachInterface([p](Interface& i) { i.io->resetPipe(p); });
            inputThreadStarted_ = false;
        }
        downloadFirmware(FIRMWARE_IDLE);
        closeAll();
    }
    unregisterFrameSignal();
    unregisterInput();
    mainLock_.unlock();
    for (auto& l : additionalLocks_) l.unlock();
    pairingLock_.unlock();
    return 0;
}

// ---- Registration -------------------------------------------------------------------

int32_t Driver::registerFrameSignal(const DMXDllSignal* s) {
    std::lock_guard g(signalLock_);
    frameSignal_ = s && s->signal ? *s : DMXDllSignal{nullptr, nullptr};
    return 0;
}

int32_t Driver::unregisterFrameSignal() {
    std::lock_guard g(signalLock_);
    frameSignal_ = {nullptr, nullptr};
    return 0;
}

int32_t Driver::registerInput(const DMXDllSignal* s) {
    std::lock_guard io(ioLock_);
    startInputThreadLocked();
    std::lock_guard g(signalLock_);
    inputSignal_ = s && s->signal ? *s : DMXDllSignal{nullptr, nullptr};
    return 0;
}

void Driver::unregisterInput() {
    std::lock_guard g(signalLock_);
    inputSignal_ = {nullptr, nullptr};
}

void Driver::signal(DMXDllSignal& which) {
    std::lock_guard g(signalLock_);
    if (which.signal) which.signal(which.context);
}

// ---- Output and configuration -------------------------------------------------------

Packet Driver::configFor(const Interface& iface) const {
    std::array<uint8_t, 4> blocks{};
    const int k = iface.slot;
    for (int i = 0; i < 4; ++i) {
        int universe;  // 1-16
        if (!iface.additional) {
            universe = 1 + i;
        } else if (modelInfo(model_).universes == 4) {
            universe = 4 * k + 1 + i;
        } else {
            universe = i == 0 ? k + 1 : 4 * k + 1 + i;
        }
        blocks[i] = maxBlocks_[universe - 1];
    }
    return configPacket(blocks, inputBase_);
}

bool Driver::sendConfigLocked() {
    bool ok = true;
    forEachInterface([&](Interface& i) { ok &= i.io->bulkWrite(OUTPUT_PIPE, configFor(i)); });
    return ok;
}

void Driver::sendTransportLocked() {
    const auto packet =
        transportPacket(clock_.time, clock_.mode, clock_.state, clock_.frameRateCode);
    std::lock_guard io(ioLock_);
    if (interfaces_[MAIN].io) interfaces_[MAIN].io->bulkWrite(OUTPUT_PIPE, packet);
}

int32_t Driver::setMaximumChannel(int32_t universe, int32_t channel) {
    if (universe < 1 || universe > 16 || channel < 1 || channel > 512) return -1;
    maxBlocks_[universe - 1] = static_cast<uint8_t>((channel + 31) / 32);
    std::lock_guard io(ioLock_);
    const bool ok = sendConfigLocked();
    return ok && !lost_ ? 0 : -1;
}

int32_t Driver::setInputBase(int32_t channel) {
    if (channel < 1 || channel > 512) return -1;
    inputBase_ = channel;
    std::lock_guard io(ioLock_);
    const bool ok = sendConfigLocked();
    return ok && !lost_ ? 0 : -1;
}

int32_t Driver::getInputBase(int32_t* channel) {
    if (!channel) return -1;
    *channel = inputBase_;
    return 0;
}

int32_t Driver::setChannels(int32_t, int32_t length, const uint8_t* frame) {
    if (length != DMX_DLL_FRAME_BYTES) return 0;
    if (!frame) return -1;
    const int transfer = modelInfo(model_).transferBytes;
    const int perSlot = modelInfo(model_).universes * 512;
    static const Packet HEADER = dataHeaderPacket();
    bool ok = true;
    std::lock_guard io(ioLock_);
    if (!interfaces_[MAIN].io) return 0;
    forEachInterface([&](Interface& i) { ok &= i.io->bulkWrite(OUTPUT_PIPE, HEADER); });
    forEachInterface([&](Interface& i) {
        const int from = i.additional ? perSlot * i.slot : 0;
        ok &= i.io->bulkWrite(OUTPUT_PIPE, std::span<const uint8_t>(frame + from, transfer));
    });
    // Reported, unlike the original contract: the console shows its lost-communication
    // message on a non-zero result.
    return ok && !lost_ ? 0 : -1;
}

// ---- Input --------------------------------------------------------------------------

void Driver::startInputThreadLocked() {
    if (inputThreadStarted_ || !interfaces_[MAIN].io) return;
    inputRun_ = true;
    try {
        inputThread_ = std::thread(&Driver::inputThread, this);
        inputThreadStarted_ = true;
    } catch (const std::system_error&) {
        inputRun_ = false;
    }
}

int32_t Driver::getChannels(uint32_t* masks, uint8_t* input) {
    if (!masks || !input) return -1;
    std::lock_guard io(ioLock_);
    startInputThreadLocked();
    for (int i = 0; i < DMX_DLL_INPUT_CHANNELS; ++i) input[i] = inputSnapshot_[i];
    const uint32_t all = reportAll_ ? 0xFFFFFFFFu : 0u;
    reportAll_ = false;
    masks[0] = all;
    masks[1] = all;
    for (int i = 0; i < DMX_DLL_INPUT_CHANNELS; ++i) {
        if (input[i] != previousInput_[i]) {
            masks[i / 32] |= 1u << (i % 32);
            previousInput_[i] = input[i];
        }
    }
    return 0;
}

// ---- Clock --------------------------------------------------------------------------

int32_t Driver::setTime(int32_t timeMs, int32_t stopTimeMs) {
    // A time beyond the day would leave the clock's range; refuse the whole call.
    if (timeMs >= common::MS_PER_DAY) return -1;
    std::lock_guard clock(clockLock_);
    if (timeMs >= 0) clock_.time = timeMs;
    clock_.stopTime = stopTimeMs < 0 ? -1 : stopTimeMs;
    return 0;
}

int32_t Driver::getTime(int32_t* timeMs, int32_t* mode, int32_t* state, int32_t* status) {
    if (!timeMs || !mode || !state || !status) return -1;
    std::lock_guard clock(clockLock_);
    *timeMs = clock_.time;
    *mode = clock_.mode;
    *state = clock_.state;
    *status = clock_.timecodeStatus;
    return 0;
}

int32_t Driver::setTimecodeAuto(int32_t value) {
    keepRunningWhenLost_ = static_cast<uint8_t>(value & 0xFF);
    return 0;
}

int32_t Driver::getTimecodeAuto(uint8_t* value) {
    if (!value) return -1;
    *value = keepRunningWhenLost_;
    return 0;
}

int32_t Driver::setState(int32_t state) {
    if (state < 0 || state > 2) return -1;
    std::lock_guard clock(clockLock_);
    clock_.changeState(state);
    sendTransportLocked();
    return 0;
}

int32_t Driver::setMode(int32_t mode) {
    if (mode < 0 || mode > 2) return -1;
    std::lock_guard clock(clockLock_);
    clock_.mode = mode;
    clock_.changeState(clock_.state);
    sendTransportLocked();
    return 0;
}

int32_t Driver::setTimecodeOffset(int32_t offsetMs) {
    std::lock_guard clock(clockLock_);
    clock_.offset = offsetMs;
    return 0;
}

int32_t Driver::getTimecodeOffset(int32_t* offsetMs) {
    if (!offsetMs) return -1;
    std::lock_guard clock(clockLock_);
    *offsetMs = clock_.offset;
    return 0;
}

int32_t Driver::setFrameRate(int32_t code) {
    if (code < 0 || code > 4) return -1;
    std::lock_guard clock(clockLock_);
    clock_.frameRateCode = code;
    return 0;
}

int32_t Driver::getFrameRate(int32_t* code) {
    if (!code) return -1;
    std::lock_guard clock(clockLock_);
    *code = clock_.reportedFrameRate();
    return 0;
}

int32_t Driver::setAutomationTime(int32_t stopTimeMs) {
    std::lock_guard clock(clockLock_);
    clock_.automationStopTime = stopTimeMs < 0 ? -1 : stopTimeMs;
    return 0;
}

int32_t Driver::getUniverseMask(int32_t* mask) {
    if (!mask) return -1;
    *mask = static_cast<int32_t>(universeMask_.load());
    return 0;
}

// ---- Threads ------------------------------------------------------------------------

bool Driver::startDelay(const std::atomic<bool>& run) {
    std::unique_lock g(delayLock_);
    delayWake_.wait_for(g, std::chrono::milliseconds(env_.threadStartDelayMs),
                        [&run] { return !run; });
    return run;
}

bool Driver::publishThreadHandle(DeviceIo* io, DeviceIo*& slot) {
    std::lock_guard g(threadHandleLock_);
    if (shuttingDown_) return false;
    slot = io;
    return true;
}

void Driver::unpublishThreadHandle(DeviceIo*& slot) {
    std::lock_guard g(threadHandleLock_);
    slot = nullptr;
}

void Driver::frameThread() {
    if (!startDelay(frameRun_)) return;
    auto handle = env_.bus->open(mainName_);
    if (!handle || !publishThreadHandle(handle.get(), frameHandle_)) {
        if (frameRun_) {
            // Without its own handle the thread can never pace the console: report the
            // interface as lost and let the console tick once more to notice.
            lost_ = true;
            signal(frameSignal_);
        }
        return;
    }
    const uint32_t statusPipe = modelInfo(model_).statusPipe;
    Packet packet{};
    while (frameRun_) {
        if (!handle->bulkRead(statusPipe, packet)) {
            if (frameRun_) lost_ = true;
            unpublishThreadHandle(frameHandle_);
            handle.reset();
            signal(frameSignal_);
            return;
        }
        {
            std::lock_guard clock(clockLock_);
            if (clock_.onStatusPacket(packet, keepRunningWhenLost_ != 0)) sendTransportLocked();
        }
        signal(frameSignal_);
    }
    unpublishThreadHandle(frameHandle_);
}

void Driver::inputThread() {
    if (!startDelay(inputRun_)) return;
    auto handle = env_.bus->open(mainName_);
    if (!handle || !publishThreadHandle(handle.get(), inputHandle_)) return;
    const uint32_t inputPipe = modelInfo(model_).inputPipe;
    Packet packet{};
    while (inputRun_) {
        if (!handle->bulkRead(inputPipe, packet)) break;
        {
            std::lock_guard io(ioLock_);
            for (int i = 0; i < DMX_DLL_INPUT_CHANNELS; ++i) inputSnapshot_[i] = packet[i];
        }
        signal(inputSignal_);
    }
    unpublishThreadHandle(inputHandle_);
}

}  // namespace j4::driver
