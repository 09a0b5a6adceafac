#pragma once
// A Template: one kind of fixture as an ordered list of controls with channel offsets
// relative to the fixture's base address. One object per ".tpl" file of the Template
// library; the library scan reads only the header, the controls are read on demand.

#include <string>

#include "common/identity.h"
#include "show/control.h"

namespace j4::show {

struct Authoring;

class Template {
  public:
    enum class SaveResult { Ok, ReadOnly, Failed };

    Template() = default;
    Template(std::string root, std::string folder, std::string fileName)
        : root_(std::move(root)), folder_(std::move(folder)), fileName_(std::move(fileName)) {}

    // root + "/" + folder + "/" + file name.
    std::string path() const;

    // Reads the controls from the file unless already loaded. False (controls
    // unchanged) when the file is missing, not version 5 or any record fails; the
    // Device Manager then shows message 524.
    bool loadControls();
    bool loaded() const { return loaded_; }

    // Replaces the controls by clones of `controls` under a newly generated identity
    // and writes the file. ReadOnly (nothing written) when the file's write bits are
    // all clear; Failed (previous controls and identity kept) when a clone or the
    // write fails.
    SaveResult saveWithNewControls(const ControlList& controls, const Authoring& authoring);

    // Highest channel offset used (mode sub-controls included, inactive mode channels
    // excluded) plus 1; 0 when no channel is used.
    int32_t channelCount() const;
    // False when two top-level controls share a channel (sub-controls and inactive
    // mode channels not considered); the Template Editor then asks message 534.
    bool channelsUnique() const;

    // Read-only means no write permission bit is set on the file (not access(), which
    // always grants root).
    bool readOnly() const;
    // The file opens as a Template and holds a "Logo" stream.
    bool certified() const;
    // Certified and the installation is not an authoring one: the editors refuse to
    // overwrite (546), rename (550) or delete (548) it.
    bool protectedFrom(const Authoring& authoring) const;

    const common::Identity& identity() const { return identity_; }
    const std::string& name() const { return name_; }
    const ControlList& controls() const { return controls_; }
    int32_t creatorId() const { return creatorId_; }
    const std::string& root() const { return root_; }
    const std::string& folder() const { return folder_; }
    const std::string& fileName() const { return fileName_; }

    // Used by the library and the file reader; they do not touch the disk.
    void setIdentity(const common::Identity& id) { identity_ = id; }
    void setName(std::string name) { name_ = std::move(name); }
    void setCreatorId(int32_t id) { creatorId_ = id; }
    void setFolder(std::string folder) { folder_ = std::move(folder); }
    void setFileName(std::string fileName) { fileName_ = std::move(fileName); }
    // Takes the controls as read (marks the Template loaded).
    void setControls(ControlList controls);

  private:
    bool loaded_ = false;
    common::Identity identity_;
    std::string name_;
    ControlList controls_;
    int32_t creatorId_ = 0;
    std::string root_;
    std::string folder_;
    std::string fileName_;
};

}  // namespace j4::show
