#include "engine/startup/dmx_input.h"

#include "common/level.h"
#include "engine/startup/transport_actions.h"

namespace j4::engine {

namespace {

constexpr int PRESET_DIVISOR = 10;

// Four time fields from their channels, each value >> 2 (0..63 before clamping).
common::ShowTime timeFrom(const InputChannels& in, int first) {
    return common::fieldsToMilliseconds(in.levels[first] >> 2, in.levels[first + 1] >> 2,
                                        in.levels[first + 2] >> 2, in.levels[first + 3] >> 2);
}

}  // namespace

bool DmxInput::pressedNow(uint8_t value, bool& last) {
    const bool pressed = value >= 128;
    if (pressed == last) return false;
    last = pressed;
    return pressed;
}

void DmxInput::process(const InputChannels& in, int32_t flags) {
    if ((flags & INPUT_PRESETS) && in.changed(INPUT_PRESET)) presets(in);
    if ((flags & INPUT_GRAND_MASTER) && in.changed(INPUT_GRAND_MASTER_LEVEL))
        engine_.live().setGrandMaster(
            common::inputValueToLevel(in.levels[INPUT_GRAND_MASTER_LEVEL]));
    if (flags & INPUT_XY_FADERS) xyFaders(in);
    if (flags & INPUT_TRANSPORT) transport(in);
    if (flags & INPUT_SUBMASTERS) {
        for (int i = 0; i < common::SUBMASTER_COUNT; ++i)
            if (in.changed(i))
                engine_.live().setSubmasterLevel(i + 1, common::inputValueToLevel(in.levels[i]));
    }
    if ((flags & INPUT_AUTOMATION_TRANSPORT) && in.changed(INPUT_AUTOMATE)) automationTransport(in);
}

void DmxInput::presets(const InputChannels& in) {
    int p = in.levels[INPUT_PRESET] / PRESET_DIVISOR;
    if (p > common::PRESET_COUNT) p = common::PRESET_COUNT;  // 250..255 select the last
    if (p == lastPreset_) return;
    lastPreset_ = p;
    if (p > 0 && engine_.live().loadPreset(p)) engine_.showChanges().notify();
}

void DmxInput::xyFaders(const InputChannels& in) {
    for (int k = 0; k < common::EVENT_LIST_COUNT; ++k) {
        const int xChannel = INPUT_FIRST_XY + 2 * k;
        if (!in.changed(xChannel) && !in.changed(xChannel + 1)) continue;
        const common::Level x = common::inputValueToLevel(in.levels[xChannel]);
        // Y is scaled down as X rises: with X at full, Y is 0.
        const common::Level y =
            (common::inputValueToLevel(in.levels[xChannel + 1]) * (common::FULL_LEVEL - x)) >> 13;
        engine_.mixer().setLayerLevel(common::xLayer(k), x);
        engine_.mixer().setLayerLevel(common::yLayer(k), y);
    }
}

void DmxInput::transport(const InputChannels& in) {
    if (in.changed(INPUT_MODE)) {
        const int m = in.levels[INPUT_MODE] >> 6;
        if (m != lastMode_) {
            lastMode_ = m;
            // The clock is read first; a request while the show runs is ignored.
            if (m > 0)
                engine_.eventLists().setModeWhenStopped(static_cast<common::ClockMode>(m - 1));
        }
    }
    if (in.changed(INPUT_PLAY) && pressedNow(in.levels[INPUT_PLAY], lastPlay_))
        engine_.eventLists().play(common::NO_TIME);
    if (in.changed(INPUT_STOP) && pressedNow(in.levels[INPUT_STOP], lastStop_))
        engine_.eventLists().stop();
    if (in.changed(INPUT_RECORD) && pressedNow(in.levels[INPUT_RECORD], lastRecord_))
        engine_.eventLists().record(common::NO_TIME);
}

void DmxInput::automationTransport(const InputChannels& in) {
    if (!pressedNow(in.levels[INPUT_AUTOMATE], lastAutomate_)) return;
    const common::ShowTime start = timeFrom(in, INPUT_START_TIME);
    common::ShowTime stop = timeFrom(in, INPUT_STOP_TIME);
    if (stop == 0) stop = common::NO_TIME;
    automateSection(engine_, start, stop);
}

}  // namespace j4::engine
