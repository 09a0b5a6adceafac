#pragma once
// The effect library: the effect shapes read from the effect folder at start-up and
// only read afterwards, so the engine may hold pointers to them for the life of the
// process. Index 0 of the Cue Editor's list is "<No Effect>", index i > 0 is shape
// i - 1.

#include <memory>
#include <string>
#include <vector>

#include "show/effect_shape.h"
#include "show/show_messages.h"

namespace j4::platform {
class SettingsStore;
}

namespace j4::show {

class EffectLibrary {
  public:
    // Reads the effect folder named by the machine setting "EffectPath". Missing
    // setting: message 526; not a folder: message 527 (the library stays empty and
    // start-up must fail). Every regular file whose name ends in ".eff" (any case) is
    // read in name order; a file that fails any check is skipped without a message.
    MessageId scan(const platform::SettingsStore& machineSettings);
    // The same from an explicit folder (527 when it is not a folder).
    MessageId scanFolder(const std::string& folder);

    int count() const { return static_cast<int>(shapes_.size()); }
    const EffectShape* at(int index) const;
    const EffectShape* find(const common::Identity& identity) const;
    int indexOf(const EffectShape* shape) const;
    void clear() { shapes_.clear(); }
    // Adds a shape (tests, generators).
    const EffectShape* add(std::unique_ptr<EffectShape> shape);

  private:
    std::vector<std::unique_ptr<EffectShape>> shapes_;
};

}  // namespace j4::show
