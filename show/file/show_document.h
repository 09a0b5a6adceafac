#pragma once
// The open show: its path, its changed flag, and the whole-show operations New
// (discard), Open and Save over the process-wide engine and stores.
//
// Open reads and checks the whole file before anything of the live show changes;
// then, under the engine lock, the old show is discarded and the new one installed,
// ending with a reset of playback. A file that fails leaves an empty, untitled show.
//
// Save writes the show into a new compound file in memory under the engine lock, lets
// the performance panel add its "Extra Data" storage to that same file, and commits it
// outside the lock: a temporary file in the same folder, flushed, the previous show kept
// as P + ".bak", then renamed over P, so P always holds either the old show or the new
// one. A failed save leaves the old file untouched and the show marked changed.

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "engine/engine.h"
#include "platform/compound/compound_file.h"
#include "platform/settings_store.h"
#include "show/cue_store.h"
#include "show/device_store.h"
#include "show/effect_library.h"
#include "show/file/show_reader.h"

namespace j4::show {

struct ShowObjects {
    engine::Engine& engine;
    DeviceStore& devices;
    CueStore& cues;
    const EffectLibrary& effects;
};

// The live show as a view for the writer. The caller holds the engine lock for as long
// as the view is used.
ShowView captureLiveShow(const ShowObjects& objects);

struct SaveResult {
    int message = 0;  // 0 on success, MSG_SHOW_SAVE_FAILED
    std::string reason;
    bool ok() const { return message == 0; }
};

class ShowDocument {
  public:
    // `lastOpenStore`: where "LastOpenFile" is kept (the user scope); may be null.
    ShowDocument(ShowObjects objects, platform::SettingsStore* lastOpenStore);
    ShowDocument(const ShowDocument&) = delete;
    ShowDocument& operator=(const ShowDocument&) = delete;

    // The driver binding's "set input base"; a refusal fails the open (message 503).
    void setInputBaseSink(std::function<bool(int32_t base)> sink) { inputBase_ = std::move(sink); }
    // The performance panel's data: written into the new file before it is committed,
    // read from a file after it opened successfully.
    void setExtraDataHooks(std::function<bool(platform::Storage& root)> writer,
                           std::function<void(const platform::Storage& root)> reader) {
        extraWriter_ = std::move(writer);
        extraReader_ = std::move(reader);
    }

    ShowReadResult open(const std::string& path);
    SaveResult save(const std::string& path);
    // New Show: an empty untitled show; "LastOpenFile" is emptied.
    void discard();

    bool changed() const { return changeCount_.load() != savedCount_.load(); }
    void markChanged() { ++changeCount_; }
    std::string path() const;
    // The file name without folder, or "Untitled Show".
    std::string title() const;

    // The path stored by the last successful Open or Save As, or "".
    static std::string lastOpenFile(const platform::SettingsStore& store);

  private:
    void discardLocked();
    bool installLocked(ShowContent& content, std::string& reason);
    void rememberPath(const std::string& path);

    ShowObjects objects_;
    platform::SettingsStore* lastOpenStore_;
    std::function<bool(int32_t)> inputBase_;
    std::function<bool(platform::Storage&)> extraWriter_;
    std::function<void(const platform::Storage&)> extraReader_;
    // Edits counted; the show is unchanged while the count equals the one last saved
    // (or opened). An edit made while a save is being committed keeps the show changed.
    std::atomic<uint64_t> changeCount_{0};
    std::atomic<uint64_t> savedCount_{0};
    mutable std::mutex pathLock_;
    std::string path_;
};

}  // namespace j4::show
