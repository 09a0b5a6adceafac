#pragma once
// The Mixer turns the 37 layers (each a level and a Cue) into one DmxFrame per engine
// tick: it visits the layers by descending level, lets each layer's Cue render its
// Devices' controls into the RenderBuffer (only when something changed, or always
// while "always render" is set), copies the values into the output frame, moves
// pan/tilt by the movement effects of the visited Cues on that copy, and hands the
// frame to the registered outputs in registration order.
//
// Locks: every operation that changes a layer takes the mixer lock, the innermost
// engine lock (engine lock, then an Event List's lock, then the mixer lock). The run
// holds it while mixing and releases it before calling the outputs. The record hook
// of a level change runs before the mixer lock is taken, because it inserts an Event
// (an Event List's lock). Level and Cue reads take no lock.
//
// Every operation that takes a layer index (0..36) or a preset number (0..23) refuses
// a value out of range: it returns false (or nothing) and changes nothing.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

#include "common/cue_number.h"
#include "common/dmx_frame.h"
#include "common/frame_sink.h"
#include "common/layers.h"
#include "common/level.h"
#include "engine/event_list.h"
#include "engine/layer_target.h"
#include "show/cue_store.h"

namespace j4::engine {

// Runs before a layer level changes, outside the mixer lock (the submaster record
// hook of the live controls).
class RecordHook {
  public:
    virtual ~RecordHook() = default;
    virtual void beforeLevelChange(int layer, common::Level newLevel) = 0;
};

// What changed since the main window's last poll.
struct LayerChanges {
    bool xyChanged = false;  // a Cue or level of layers 28..35
    uint32_t cueMask = 0;    // bit i: the Cue of submaster layer i changed
    uint32_t levelMask = 0;  // bit i: the level of submaster layer i; bit 24: grand master
};
inline constexpr uint32_t GRAND_MASTER_BIT = 1u << 24;
inline constexpr uint32_t ALL_SUBMASTER_BITS = (1u << common::SUBMASTER_COUNT) - 1;

using Preset = std::array<common::CueNumber, common::SUBMASTER_COUNT>;

// Which groups of the DMX input are active (0x01 submasters ... 0x20 automation
// transport) and its first channel; kept with the show.
struct DmxInputSettings {
    int32_t base = 1;
    int32_t flags = 1;
    bool operator==(const DmxInputSettings&) const = default;
};

class Mixer final : public LayerTarget, public show::CueDeletionListener {
  public:
    static constexpr int MAX_OUTPUTS = 8;

    Mixer(show::CueStore& cues, EngineLock& engineLock);
    ~Mixer() override;
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // The none Cue on every layer; X layers at full, the others at 0.
    bool initialise();

    // --- layers ---
    std::optional<common::Level> layerLevel(int layer) const;
    std::optional<common::CueNumber> layerCueNumber(int layer) const;
    common::Level grandMaster() const { return grandMaster_.load(std::memory_order_relaxed); }
    // A number without a Cue puts the none Cue on the layer.
    bool setLayerCue(int layer, common::CueNumber cue) override;
    bool setLayerLevel(int layer, common::Level level) override;
    // Stores `count` levels from `first` (Solo bumps); with `record` the record hook
    // runs for `recordLayer` as if it went to full.
    bool setSubmasterLevels(int first, int count, const common::Level* levels, bool record,
                            int recordLayer);
    void setGrandMaster(common::Level level);
    // Every layer holding Cue `number` now plays `cue` (the none Cue when null).
    void replaceCue(common::CueNumber number, const show::Cue* cue);
    // CueStore deletion: layers holding the Cue fall back to the none Cue.
    void cueDeleted(const show::Cue* cue) override;
    // All 37 layers: none Cue, level 0; DMX input settings reset. Caller holds the
    // engine lock (which keeps it apart from the run).
    void clear();

    void markDirty() { dirty_.store(true, std::memory_order_relaxed); }
    void setAlwaysRender(bool on) { alwaysRender_.store(on, std::memory_order_relaxed); }
    std::optional<LayerChanges> pollChanges();

    // --- presets (0..23) ---
    bool savePreset(int preset);
    bool loadPreset(int preset);
    std::optional<Preset> preset(int preset) const;
    bool setPreset(int preset, const Preset& cues);

    DmxInputSettings dmxInputSettings() const;
    void setDmxInputSettings(const DmxInputSettings& settings);

    // --- the frame ---
    // Registers an output; outputs get the frame in registration order. Not while the
    // engine ticks: the caller holds the engine lock or the engine is not running.
    bool addOutput(common::FrameSink* sink);
    bool removeOutput(common::FrameSink* sink);
    void setRecordHook(RecordHook* hook) { recordHook_ = hook; }

    // One mixing pass. Engine thread only, engine lock held. Allocates nothing.
    void run();
    // A copy of the frame last handed to the outputs.
    common::DmxFrame outputFrame() const;
    int32_t tickCounter() const;
    // Fills an empty Cue from the live output: values with effects applied, the Devices
    // of the Cues on non-zero submaster and X/Y layers, stored values converted back
    // from output values. Takes the engine lock.
    void snapshot(show::Cue& into) const;

  private:
    struct Layer {
        std::atomic<common::Level> level{0};
        std::atomic<const show::Cue*> cue{nullptr};
    };
    void noteCueChange(int layer);
    void noteLevelChange(int layer);
    void putCue(int layer, const show::Cue* cue);

    show::CueStore& cues_;
    EngineLock& engineLock_;
    mutable std::mutex lock_;
    std::array<Layer, common::LAYER_COUNT> layers_;
    std::atomic<common::Level> grandMaster_{0};
    common::RenderBuffer buffer_{};
    common::DmxFrame output_{};
    int32_t tick_ = 0;
    std::atomic<bool> dirty_{true};
    std::atomic<bool> alwaysRender_{false};
    std::atomic<bool> changed_{false};
    LayerChanges changes_;
    std::array<Preset, common::PRESET_COUNT> presets_{};
    DmxInputSettings input_;
    std::array<common::FrameSink*, MAX_OUTPUTS> outputs_{};
    int outputCount_ = 0;
    RecordHook* recordHook_ = nullptr;
};

}  // namespace j4::engine
