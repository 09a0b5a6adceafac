#include "automation/j4_automation.h"

#include "automation/shared_block.h"
#include "platform/lock_file.h"

namespace j4::automation {

namespace {
constexpr int32_t code(CommandCode c) {
    return static_cast<int32_t>(c);
}
}  // namespace

J4Automation::J4Automation() : J4Automation(SharedBlock::defaultName()) {}

J4Automation::J4Automation(const std::string& blockName) {
    block_ = SharedBlock::attach(blockName, &error_);
    if (block_) lockPath_ = block_->consoleLockPath();
}

J4Automation::~J4Automation() = default;

bool J4Automation::attached() const {
    return block_ != nullptr;
}

bool J4Automation::consoleRunning() const {
    return block_ && platform::LockFile::isHeld(lockPath_);
}

int32_t J4Automation::IsConnected() const {
    return consoleRunning() ? 1 : 0;
}

ClockValues J4Automation::clock() const {
    return block_ ? readClock(block_->layout()) : ClockValues{};
}

PostResult J4Automation::post(int32_t c, int32_t argument1, int32_t argument2,
                              std::string_view path) {
    if (checkCommand(c, argument1, argument2, path) != CommandCheck::Valid)
        return PostResult::OutOfRange;
    if (!block_) return PostResult::Failed;
    if (!consoleRunning()) return PostResult::NotConnected;
    return CommandQueue(block_->layout()).post(c, argument1, argument2, path, postTimeout_, [this] {
        return consoleRunning();
    });
}

PostResult J4Automation::SetSubmasterLevel(int32_t sub, int32_t level) {
    return post(code(CommandCode::SetSubmasterLevel), sub, level);
}
PostResult J4Automation::RecallPreset(int32_t preset) {
    return post(code(CommandCode::RecallPreset), preset, 0);
}
PostResult J4Automation::SetGrandmasterLevel(int32_t level) {
    return post(code(CommandCode::SetGrandmasterLevel), level, 0);
}
PostResult J4Automation::SetXLevel(int32_t xfader, int32_t level) {
    return post(code(CommandCode::SetXLevel), xfader, level);
}
PostResult J4Automation::SetYLevel(int32_t yfader, int32_t level) {
    return post(code(CommandCode::SetYLevel), yfader, level);
}
PostResult J4Automation::SetSubmasterCue(int32_t sub, int32_t cue) {
    return post(code(CommandCode::SetSubmasterCue), sub, cue);
}
PostResult J4Automation::SetXCue(int32_t xfader, int32_t cue) {
    return post(code(CommandCode::SetXCue), xfader, cue);
}
PostResult J4Automation::SetYCue(int32_t yfader, int32_t cue) {
    return post(code(CommandCode::SetYCue), yfader, cue);
}
PostResult J4Automation::SetTransportMode(int32_t mode) {
    return post(code(CommandCode::SetTransportMode), mode, 0);
}
PostResult J4Automation::Play(int32_t startTime) {
    return post(code(CommandCode::Play), startTime, 0);
}
PostResult J4Automation::Stop() {
    return post(code(CommandCode::Stop), 0, 0);
}
PostResult J4Automation::Record(int32_t startTime) {
    return post(code(CommandCode::Record), startTime, 0);
}
PostResult J4Automation::Automate(int32_t startTime, int32_t stopTime) {
    return post(code(CommandCode::Automate), startTime, stopTime);
}
PostResult J4Automation::Load(std::string_view path) {
    return post(code(CommandCode::Load), 0, 0, path);
}
PostResult J4Automation::SetAuxSubLevel(int32_t auxsub, int32_t level) {
    return post(code(CommandCode::SetAuxSubLevel), auxsub, level);
}
PostResult J4Automation::SetAuxSubCue(int32_t auxsub, int32_t cue) {
    return post(code(CommandCode::SetAuxSubCue), auxsub, cue);
}

}  // namespace j4::automation
