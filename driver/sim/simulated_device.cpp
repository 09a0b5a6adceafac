#include "driver/sim/simulated_device.h"

#include <algorithm>
#include <cstdio>

#include "driver/firmware_content.h"
#include "driver/sim/transcript.h"

namespace j4::driver::sim {

namespace {
// Packets nobody reads are dropped beyond this many, as the interface's buffer would.
constexpr size_t MAX_QUEUED = 64;
constexpr uint32_t MEMORY = 0x10000;

uint8_t rateFlagsOfCode(int code) {
    switch (code) {
        case 2:
            return FLAG_RATE_30_DROP;
        case 3:
            return FLAG_RATE_25;
        case 4:
            return FLAG_RATE_24;
        default:
            return FLAG_RATE_30;
    }
}

// Frames of a timecode running at `flags` after `steps` interface frames of 1/30 s.
int64_t elapsedFrames(uint8_t flags, int64_t steps) {
    return steps * framesPerSecond(flags) / 30;
}

std::string shortName(const std::string& name) {
    const auto pos = name.find_last_of('\\');
    return pos == std::string::npos ? name : name.substr(pos + 1);
}
}  // namespace

class SimulatedHandle : public DeviceIo {
  public:
    explicit SimulatedHandle(std::shared_ptr<SimulatedDevice> device)
        : device_(std::move(device)) {}
    ~SimulatedHandle() override { device_->closeHandle(); }

    bool vendorRequest(const VendorRequestBytes& r) override {
        return !cancelled() && device_->vendorRequest(r);
    }
    bool downloadFirmwareBlock(uint16_t start, std::span<const uint8_t> bytes) override {
        return !cancelled() && device_->firmwareBlock(start, bytes);
    }
    bool selectInterface(uint8_t i, uint8_t a) override {
        return !cancelled() && device_->selectInterface(i, a);
    }
    bool abortPipe(uint32_t pipe) override { return !cancelled() && device_->abortPipe(pipe); }
    bool resetPipe(uint32_t pipe) override { return !cancelled() && device_->resetPipe(pipe); }
    bool bulkRead(uint32_t pipe, Packet& packet) override {
        return device_->bulkRead(pipe, packet, cancelled_);
    }
    bool bulkWrite(uint32_t pipe, std::span<const uint8_t> bytes) override {
        return !cancelled() && device_->bulkWrite(pipe, bytes);
    }
    void cancel() override { device_->cancelHandle(cancelled_); }

  private:
    bool cancelled() const {
        std::lock_guard g(device_->mutex_);
        return cancelled_;
    }
    std::shared_ptr<SimulatedDevice> device_;
    bool cancelled_ = false;  // guarded by the device's mutex
};

SimulatedDevice::SimulatedDevice(Model model, std::string name,
                                 std::shared_ptr<Transcript> transcript)
    : model_(model),
      name_(std::move(name)),
      transcript_(std::move(transcript)),
      memory_(MEMORY),
      written_(MEMORY) {}

void SimulatedDevice::record(const std::string& line) {
    if (transcript_) transcript_->add(shortName(name_) + " " + line);
}

std::unique_ptr<DeviceIo> SimulatedDevice::openHandle() {
    {
        std::lock_guard g(mutex_);
        if (!plugged_) return nullptr;
        ++handles_;
    }
    record("open");
    return std::make_unique<SimulatedHandle>(shared_from_this());
}

void SimulatedDevice::closeHandle() {
    {
        std::lock_guard g(mutex_);
        --handles_;
    }
    record("close");
}

void SimulatedDevice::cancelHandle(bool& cancelled) {
    std::lock_guard g(mutex_);
    cancelled = true;
    readable_.notify_all();
}

// ---- Control transfers --------------------------------------------------------------

bool SimulatedDevice::vendorRequest(const VendorRequestBytes& r) {
    const uint16_t reg = static_cast<uint16_t>(r[2] | r[3] << 8);
    const bool valid = r[0] == 0xA0 && reg == modelInfo(model_).cpuRegister && r[4] == 0 &&
                       r[5] == 0 && r[6] == 1 && r[7] == 0 && r[8] == 0 && r[9] <= 1;
    char line[64];
    std::snprintf(line, sizeof line, "cpu 0x%04X %d", reg, r[9]);
    record(valid ? line : std::string("vendor request refused"));
    std::lock_guard g(mutex_);
    if (!plugged_ || !valid) return false;
    if (r[9] == 1) {
        // Held in reset: whatever ran stops and a fresh image may be loaded.
        cpuHeld_ = true;
        running_ = 0;
        std::fill(written_.begin(), written_.end(), false);
        statusQueue_.clear();
        inputQueue_.clear();
        readable_.notify_all();
    } else {
        cpuHeld_ = false;
        running_ = recogniseFirmwareLocked();
    }
    return true;
}

bool SimulatedDevice::firmwareBlock(uint16_t start, std::span<const uint8_t> bytes) {
    char line[64];
    std::snprintf(line, sizeof line, "firmware 0x%04X %zu", start, bytes.size());
    record(line);
    std::lock_guard g(mutex_);
    // The interface's loader only writes memory while the CPU is held.
    if (!plugged_ || !cpuHeld_ || start + bytes.size() > MEMORY) return false;
    for (size_t i = 0; i < bytes.size(); ++i) {
        memory_[start + i] = bytes[i];
        written_[start + i] = true;
    }
    return true;
}

int SimulatedDevice::recogniseFirmwareLocked() const {
    const int operating = modelInfo(model_).firmwareId;
    for (int id : {operating, FIRMWARE_IDLE}) {
        static const std::vector<FirmwareBlock> IMAGES[3] = {simulatedFirmwareBlocks(101),
                                                             simulatedFirmwareBlocks(102),
                                                             simulatedFirmwareBlocks(103)};
        const auto& blocks = IMAGES[id - 101];
        size_t total = 0;
        bool same = true;
        for (const auto& b : blocks) {
            total += b.bytes.size();
            for (size_t i = 0; i < b.bytes.size() && same; ++i)
                same = written_[b.start + i] && memory_[b.start + i] == b.bytes[i];
        }
        if (same &&
            static_cast<size_t>(std::count(written_.begin(), written_.end(), true)) == total)
            return id;
    }
    return 0;
}

bool SimulatedDevice::selectInterface(uint8_t interfaceNumber, uint8_t alternate) {
    record("select " + std::to_string(interfaceNumber) + " " + std::to_string(alternate));
    std::lock_guard g(mutex_);
    return plugged_;
}

bool SimulatedDevice::abortPipe(uint32_t pipe) {
    record("abort " + std::to_string(pipe));
    std::lock_guard g(mutex_);
    if (!plugged_ || pipe >= modelInfo(model_).pipeCount) return false;
    ++abortCount_[pipe];
    readable_.notify_all();
    return true;
}

bool SimulatedDevice::resetPipe(uint32_t pipe) {
    record("reset " + std::to_string(pipe));
    std::lock_guard g(mutex_);
    if (!plugged_ || pipe >= modelInfo(model_).pipeCount) return false;
    if (pipe == modelInfo(model_).statusPipe) statusQueue_.clear();
    if (pipe == modelInfo(model_).inputPipe) inputQueue_.clear();
    return true;
}

// ---- Bulk transfers -----------------------------------------------------------------

bool SimulatedDevice::bulkRead(uint32_t pipe, Packet& packet, const bool& cancelled) {
    const ModelInfo& info = modelInfo(model_);
    std::unique_lock g(mutex_);
    std::deque<Packet>* queue = pipe == info.statusPipe  ? &statusQueue_
                                : pipe == info.inputPipe ? &inputQueue_
                                                         : nullptr;
    if (!queue) return false;
    const uint64_t aborts = abortCount_[pipe];
    // Without its operating firmware the interface has no pipes to read.
    auto failed = [&] {
        return !plugged_ || cancelled || running_ != info.firmwareId || abortCount_[pipe] != aborts;
    };
    readable_.wait(g, [&] { return failed() || !queue->empty(); });
    if (failed()) return false;
    packet = queue->front();
    queue->pop_front();
    return true;
}

std::string SimulatedDevice::describeWrite(std::span<const uint8_t> b) const {
    if (b.size() == PACKET_BYTES && b[0] == 1) return "header";
    if (b.size() == PACKET_BYTES && b[0] == 3) {
        char line[80];
        std::snprintf(line, sizeof line, "config %d %d %d %d base %d", b[1], b[2], b[3], b[4],
                      b[5] << 8 | b[6]);
        return line;
    }
    if (b.size() == TRANSPORT_BYTES && b[0] == 2) {
        char line[80];
        std::snprintf(line, sizeof line, "transport %d %d %d%d:%d%d:%d%d:%d%d rate %d", b[1], b[2],
                      b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11]);
        return line;
    }
    return "data " + std::to_string(b.size());
}

bool SimulatedDevice::bulkWrite(uint32_t pipe, std::span<const uint8_t> b) {
    record("write " + std::to_string(pipe) + " " + describeWrite(b));
    std::lock_guard g(mutex_);
    if (!plugged_ || failWrites_ || pipe != OUTPUT_PIPE) return false;
    const bool header = b.size() == PACKET_BYTES && b[0] == 1;
    if (header) {
        headerSeen_ = true;
        return true;
    }
    if (headerSeen_ && b.size() == static_cast<size_t>(modelInfo(model_).transferBytes)) {
        received_.assign(b.begin(), b.end());
        ++dataFrames_;
    } else if (b.size() == TRANSPORT_BYTES && b[0] == 2) {
        TransportPacket t;
        std::copy(b.begin(), b.end(), t.begin());
        transport_ = t;
        // The generator restarts from the time the packet carries.
        generatorRate_ = rateFlagsOfCode(t[11]);
        TimecodeLabel start{10 * t[3] + t[4], 10 * t[5] + t[6], 10 * t[7] + t[8],
                            10 * t[9] + t[10]};
        generatorStart_ = labelToCount(generatorRate_, start);
        generatorSteps_ = 0;
    } else if (b.size() == PACKET_BYTES && b[0] == 3) {
        Packet c;
        std::copy(b.begin(), b.end(), c.begin());
        const bool baseChanged = config_ && ((*config_)[5] != c[5] || (*config_)[6] != c[6]);
        config_ = c;
        if (baseChanged) queueInputPacketLocked();
    }
    headerSeen_ = false;
    return true;
}

// ---- Driving ------------------------------------------------------------------------

void SimulatedDevice::pushLocked(std::deque<Packet>& queue, const Packet& packet) {
    if (queue.size() >= MAX_QUEUED) queue.pop_front();
    queue.push_back(packet);
    readable_.notify_all();
}

Packet SimulatedDevice::generateStatusLocked() {
    Packet s{};
    if (!transport_) return s;
    const TransportPacket& t = *transport_;
    if (t[1] == 2) {  // reading external timecode
        if (!timecodeInput_) return s;
        const uint8_t rate = timecodeInput_->rateFlags & FLAG_RATE_MASK;
        const auto l = countToLabel(rate, inputStart_ + elapsedFrames(rate, inputSteps_++));
        s[0] = static_cast<uint8_t>(FLAG_TIMECODE | rate |
                                    (timecodeInput_->addOffset ? FLAG_ADD_OFFSET : 0));
        encodeTimecodeDigits(s, l.hours, l.minutes, l.seconds, l.frames);
    } else if (t[2] == 0 || t[2] == 4) {  // generating and looping back
        const auto l = countToLabel(
            generatorRate_, generatorStart_ + elapsedFrames(generatorRate_, generatorSteps_++));
        s[0] = static_cast<uint8_t>(FLAG_TIMECODE | generatorRate_);
        encodeTimecodeDigits(s, l.hours, l.minutes, l.seconds, l.frames);
    }
    return s;
}

void SimulatedDevice::step(int frames) {
    std::lock_guard g(mutex_);
    for (int i = 0; i < frames; ++i) {
        if (!plugged_ || stalled_ || running_ != modelInfo(model_).firmwareId) return;
        Packet s;
        if (!rawStatus_.empty()) {
            s = rawStatus_.front();
            rawStatus_.pop_front();
        } else {
            s = generateStatusLocked();
        }
        pushLocked(statusQueue_, s);
    }
}

void SimulatedDevice::setTimecodeInput(std::optional<TimecodeInput> input) {
    std::lock_guard g(mutex_);
    timecodeInput_ = input;
    if (input) {
        inputStart_ = labelToCount(input->rateFlags & FLAG_RATE_MASK, input->start);
        inputSteps_ = 0;
    }
}

void SimulatedDevice::queueStatusPacket(const Packet& status) {
    std::lock_guard g(mutex_);
    rawStatus_.push_back(status);
}

void SimulatedDevice::queueInputPacketLocked() {
    if (running_ != modelInfo(model_).firmwareId) return;
    Packet p{};
    const int base = config_ ? ((*config_)[5] << 8 | (*config_)[6]) : 1;
    for (int i = 0; i < 48; ++i) {
        const int channel = base + i;
        p[i] = channel >= 1 && channel <= 512 ? dmxInput_[channel - 1] : 0;
    }
    pushLocked(inputQueue_, p);
}

void SimulatedDevice::setDmxInput(int firstChannel, std::span<const uint8_t> levels) {
    std::lock_guard g(mutex_);
    for (size_t i = 0; i < levels.size(); ++i) {
        const int channel = firstChannel + static_cast<int>(i);
        if (channel >= 1 && channel <= 512) dmxInput_[channel - 1] = levels[i];
    }
    queueInputPacketLocked();
}

void SimulatedDevice::unplug() {
    std::lock_guard g(mutex_);
    plugged_ = false;
    readable_.notify_all();
}

void SimulatedDevice::setStalled(bool stalled) {
    std::lock_guard g(mutex_);
    stalled_ = stalled;
}

void SimulatedDevice::setFailWrites(bool fail) {
    std::lock_guard g(mutex_);
    failWrites_ = fail;
}

// ---- Looking at it ------------------------------------------------------------------

bool SimulatedDevice::plugged() const {
    std::lock_guard g(mutex_);
    return plugged_;
}

bool SimulatedDevice::cpuHeld() const {
    std::lock_guard g(mutex_);
    return cpuHeld_;
}

int SimulatedDevice::runningFirmware() const {
    std::lock_guard g(mutex_);
    return running_;
}

std::vector<uint8_t> SimulatedDevice::transmitted(int localUniverse) const {
    std::lock_guard g(mutex_);
    const int universes = modelInfo(model_).universes;
    if (localUniverse < 1 || localUniverse > universes || received_.empty()) return {};
    const int blocks = config_ ? (*config_)[localUniverse] : 16;
    const size_t from = static_cast<size_t>(localUniverse - 1) * 512;
    const size_t length =
        std::min<size_t>(static_cast<size_t>(std::min(blocks, 16)) * 32, received_.size() - from);
    return {received_.begin() + from, received_.begin() + from + length};
}

int SimulatedDevice::dataFramesReceived() const {
    std::lock_guard g(mutex_);
    return dataFrames_;
}

std::optional<TransportPacket> SimulatedDevice::lastTransport() const {
    std::lock_guard g(mutex_);
    return transport_;
}

std::optional<Packet> SimulatedDevice::lastConfig() const {
    std::lock_guard g(mutex_);
    return config_;
}

int SimulatedDevice::openHandles() const {
    std::lock_guard g(mutex_);
    return handles_;
}

}  // namespace j4::driver::sim
