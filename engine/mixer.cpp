#include "engine/mixer.h"

#include <algorithm>

#include "engine/priority_list.h"
#include "show/cue.h"
#include "show/device.h"
#include "show/position_control.h"

namespace j4::engine {

using common::CueNumber;
using common::Level;

namespace {
constexpr bool isXYLayer(int layer) {
    return layer >= common::FIRST_X_LAYER && layer < common::SPARE_LAYER;
}
constexpr bool isSubmasterLayer(int layer) {
    return layer >= 0 && layer < common::SUBMASTER_COUNT;
}
}  // namespace

Mixer::Mixer(show::CueStore& cues, EngineLock& engineLock) : cues_(cues), engineLock_(engineLock) {
    for (auto& l : layers_) l.cue.store(cues_.noneCue());
    cues_.addDeletionListener(this);
}

Mixer::~Mixer() {
    cues_.removeDeletionListener(this);
}

bool Mixer::initialise() {
    std::lock_guard guard(lock_);
    for (int i = 0; i < common::LAYER_COUNT; ++i) {
        layers_[i].cue.store(cues_.noneCue());
        layers_[i].level.store(
            i >= common::FIRST_X_LAYER && i < common::FIRST_Y_LAYER ? common::FULL_LEVEL : 0);
    }
    dirty_ = true;
    return true;
}

std::optional<Level> Mixer::layerLevel(int layer) const {
    if (!common::isLayerIndex(layer)) return std::nullopt;
    return layers_[layer].level.load(std::memory_order_relaxed);
}

std::optional<CueNumber> Mixer::layerCueNumber(int layer) const {
    if (!common::isLayerIndex(layer)) return std::nullopt;
    return layers_[layer].cue.load()->number();
}

void Mixer::noteCueChange(int layer) {
    if (isSubmasterLayer(layer)) {
        changes_.cueMask |= 1u << layer;
        changed_ = true;
    } else if (isXYLayer(layer)) {
        changes_.xyChanged = true;
        changed_ = true;
    }
}

void Mixer::noteLevelChange(int layer) {
    if (isSubmasterLayer(layer)) {
        changes_.levelMask |= 1u << layer;
        changed_ = true;
    } else if (isXYLayer(layer)) {
        changes_.xyChanged = true;
        changed_ = true;
    }
}

void Mixer::putCue(int layer, const show::Cue* cue) {
    layers_[layer].cue.store(cue ? cue : cues_.noneCue());
}

bool Mixer::setLayerCue(int layer, CueNumber number) {
    if (!common::isLayerIndex(layer)) return false;
    std::lock_guard guard(lock_);
    putCue(layer, cues_.find(number));
    dirty_ = true;
    noteCueChange(layer);
    return true;
}

bool Mixer::setLayerLevel(int layer, Level level) {
    if (!common::isLayerIndex(layer)) return false;
    if (recordHook_) recordHook_->beforeLevelChange(layer, level);
    std::lock_guard guard(lock_);
    layers_[layer].level.store(level, std::memory_order_relaxed);
    dirty_ = true;
    noteLevelChange(layer);
    return true;
}

bool Mixer::setSubmasterLevels(int first, int count, const Level* levels, bool record,
                               int recordLayer) {
    if (count < 0 || !common::isLayerIndex(first) || first + count > common::LAYER_COUNT ||
        (count > 0 && !levels))
        return false;
    if (record && !common::isLayerIndex(recordLayer)) return false;
    if (record && recordHook_) recordHook_->beforeLevelChange(recordLayer, common::FULL_LEVEL);
    std::lock_guard guard(lock_);
    for (int i = 0; i < count; ++i) {
        layers_[first + i].level.store(levels[i], std::memory_order_relaxed);
        noteLevelChange(first + i);
    }
    dirty_ = true;
    changed_ = true;
    return true;
}

void Mixer::setGrandMaster(Level level) {
    std::lock_guard guard(lock_);
    grandMaster_.store(level, std::memory_order_relaxed);
    dirty_ = true;
    changes_.levelMask |= GRAND_MASTER_BIT;
    changed_ = true;
}

void Mixer::replaceCue(CueNumber number, const show::Cue* cue) {
    std::lock_guard guard(lock_);
    for (auto& l : layers_)
        if (l.cue.load()->number() == number) l.cue.store(cue ? cue : cues_.noneCue());
    dirty_ = true;
    changes_.cueMask |= ALL_SUBMASTER_BITS;
    changes_.xyChanged = true;
    changed_ = true;
}

void Mixer::cueDeleted(const show::Cue* cue) {
    std::lock_guard guard(lock_);
    for (auto& l : layers_)
        if (l.cue.load() == cue) l.cue.store(cues_.noneCue());
    dirty_ = true;
    changes_.cueMask |= ALL_SUBMASTER_BITS;
    changes_.xyChanged = true;
    changed_ = true;
}

void Mixer::clear() {
    std::lock_guard guard(lock_);
    for (auto& l : layers_) {
        l.cue.store(cues_.noneCue());
        l.level.store(0, std::memory_order_relaxed);
    }
    input_ = DmxInputSettings{};
    dirty_ = true;
    changes_.xyChanged = true;
    changes_.cueMask |= ALL_SUBMASTER_BITS;
    changes_.levelMask |= ALL_SUBMASTER_BITS | GRAND_MASTER_BIT;
    changed_ = true;
}

std::optional<LayerChanges> Mixer::pollChanges() {
    if (!changed_.load()) return std::nullopt;
    std::lock_guard guard(lock_);
    const LayerChanges result = changes_;
    changes_ = LayerChanges{};
    changed_ = false;
    return result;
}

bool Mixer::savePreset(int preset) {
    if (preset < 0 || preset >= common::PRESET_COUNT) return false;
    std::lock_guard guard(lock_);
    for (int i = 0; i < common::SUBMASTER_COUNT; ++i)
        presets_[preset][i] = layers_[i].cue.load()->number();
    return true;
}

bool Mixer::loadPreset(int preset) {
    if (preset < 0 || preset >= common::PRESET_COUNT) return false;
    std::lock_guard guard(lock_);
    for (int i = 0; i < common::SUBMASTER_COUNT; ++i) putCue(i, cues_.find(presets_[preset][i]));
    dirty_ = true;
    changes_.cueMask |= ALL_SUBMASTER_BITS;
    changed_ = true;
    return true;
}

std::optional<Preset> Mixer::preset(int preset) const {
    if (preset < 0 || preset >= common::PRESET_COUNT) return std::nullopt;
    std::lock_guard guard(lock_);
    return presets_[preset];
}

bool Mixer::setPreset(int preset, const Preset& cues) {
    if (preset < 0 || preset >= common::PRESET_COUNT) return false;
    std::lock_guard guard(lock_);
    presets_[preset] = cues;
    return true;
}

DmxInputSettings Mixer::dmxInputSettings() const {
    std::lock_guard guard(lock_);
    return input_;
}

void Mixer::setDmxInputSettings(const DmxInputSettings& settings) {
    std::lock_guard guard(lock_);
    input_ = settings;
}

bool Mixer::addOutput(common::FrameSink* sink) {
    std::lock_guard engine(engineLock_);
    if (!sink || outputCount_ == MAX_OUTPUTS) return false;
    if (std::find(outputs_.begin(), outputs_.begin() + outputCount_, sink) !=
        outputs_.begin() + outputCount_)
        return false;
    outputs_[outputCount_++] = sink;
    return true;
}

bool Mixer::removeOutput(common::FrameSink* sink) {
    std::lock_guard engine(engineLock_);
    auto* end = outputs_.begin() + outputCount_;
    auto* it = std::find(outputs_.begin(), end, sink);
    if (it == end) return false;
    std::copy(it + 1, end, it);
    outputs_[--outputCount_] = nullptr;
    return true;
}

void Mixer::run() {
    {
        std::lock_guard guard(lock_);
        ++tick_;
        std::array<Level, common::LAYER_COUNT> levels;
        std::array<const show::Cue*, common::LAYER_COUNT> cues;
        for (int i = 0; i < common::LAYER_COUNT; ++i) {
            levels[i] = layers_[i].level.load(std::memory_order_relaxed);
            cues[i] = layers_[i].cue.load(std::memory_order_relaxed);
        }
        const PriorityList order = PriorityList::build(levels);
        const Level master = grandMaster_.load(std::memory_order_relaxed);

        if (dirty_.exchange(false) | alwaysRender_.load(std::memory_order_relaxed)) {
            buffer_.clear();
            for (int n = 0; n < order.count; ++n) {
                const int layer = order.layers[n];
                cues[layer]->render(buffer_, levels[layer],
                                    common::grandMasterLevel(master, levels[layer]));
            }
        }
        output_ = buffer_.values;

        // Effects move the copy, never the rendered values, so they do not accumulate;
        // every layer's speeds and rotations are collected before any is applied.
        for (int n = 0; n < order.count; ++n) {
            const int layer = order.layers[n];
            for (const show::EffectEntry& e : cues[layer]->effects())
                if (e.control && e.shape) e.control->effectAdvance(e.settings, levels[layer]);
        }
        for (int n = 0; n < order.count; ++n) {
            const int layer = order.layers[n];
            for (const show::EffectEntry& e : cues[layer]->effects())
                if (e.control && e.shape)
                    e.control->effectApply(output_, e.settings, *e.shape, levels[layer]);
        }
        for (int n = 0; n < order.count; ++n) {
            const int layer = order.layers[n];
            for (const show::EffectEntry& e : cues[layer]->effects())
                if (e.control && e.shape) e.control->effectTick(tick_);
        }
    }
    // The outputs copy the frame and return at once; their results do not matter here.
    for (int i = 0; i < outputCount_; ++i)
        outputs_[i]->sendFrame(1, common::FRAME_CHANNELS, output_.data());
}

common::DmxFrame Mixer::outputFrame() const {
    std::lock_guard engine(engineLock_);
    return output_;
}

int32_t Mixer::tickCounter() const {
    std::lock_guard guard(lock_);
    return tick_;
}

void Mixer::snapshot(show::Cue& into) const {
    std::lock_guard engine(engineLock_);
    into.values() = output_;
    std::array<const show::Cue*, common::LAYER_COUNT> cues{};
    {
        std::lock_guard guard(lock_);
        for (int i = 0; i < common::LAYER_COUNT; ++i)
            if (layers_[i].level.load(std::memory_order_relaxed) != 0)
                cues[i] = layers_[i].cue.load();
    }
    // Submasters, then X layers, then Y layers; the auxiliary layers add no Devices.
    auto addDevicesOf = [&](int layer) {
        const show::Cue* cue = cues[layer];
        if (!cue || cue->number() == common::NONE_CUE) return;
        for (show::Device* d : cue->devices())
            if (!into.containsDevice(d)) into.addDevice(d);
    };
    for (int i = 0; i < common::SUBMASTER_COUNT; ++i) addDevicesOf(i);
    for (int i = common::FIRST_X_LAYER; i < common::SPARE_LAYER; ++i) addDevicesOf(i);
    for (show::Device* d : into.devices())
        for (const auto& control : d->controls()) control->storeFromOutput(into.values());
}

}  // namespace j4::engine
