#pragma once
// The Template library: a root folder (machine setting "TemplatePath") of sub-folders,
// each holding Template files ending in ".tpl" (any case). Scans enumerate folders and
// files sorted by name so every run sees the same order. All operations run on the
// user-interface thread.
//
// Names given by the user become file and folder names. A name is refused (message
// UnsafeName, nothing touched on disk) when, after trimming, it is empty, is "." or
// "..", contains a path separator, a control character or one of : * ? " < > |, or is
// longer than a file name may be.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "show/authoring.h"
#include "show/show_messages.h"
#include "show/template.h"

namespace j4::platform {
class SettingsStore;
}

namespace j4::show {

class TemplateFolder {
  public:
    const std::string& name() const { return name_; }
    int count() const { return static_cast<int>(templates_.size()); }
    Template* at(int index) const;
    int indexOf(const Template* tpl) const;
    const std::vector<std::unique_ptr<Template>>& templates() const { return templates_; }

  private:
    friend class TemplateStore;
    std::string name_;
    std::vector<std::unique_ptr<Template>> templates_;
};

class TemplateStore {
  public:
    // Reads "TemplatePath" from the machine settings: missing → 513, not a folder →
    // 514 (start-up must fail). Otherwise every sub-folder becomes a folder entry and
    // every ".tpl" file in it a Template whose header was read; files that cannot be
    // read are dropped and the result is 521 (start-up continues). None when all read.
    MessageId scan(const platform::SettingsStore& machineSettings);
    MessageId scanFolder(const std::string& root);

    const std::string& root() const { return root_; }
    int folderCount() const { return static_cast<int>(folders_.size()); }
    TemplateFolder* folder(int index) const;
    int folderIndex(std::string_view name) const;  // exact name, -1 when none

    // Creates the sub-folder; its index, or -1 (unsafe name, exists, or the file
    // system refused; the caller shows 515).
    int newFolder(std::string_view name);
    // Deletes every Template file of the folder (stopping at the first failure), then
    // the sub-folder, then the entry.
    bool deleteFolder(int folderIndex);
    // Trims . space / \ | : < > from both ends, then renames the sub-folder and
    // updates its Templates. False (nothing changed) for an unsafe name or a refused
    // rename.
    bool renameFolder(int folderIndex, std::string_view name);

    // Saves a new Template named `name` (file name + ".tpl") with clones of
    // `controls` (or none). Its index in the folder, or -1.
    int newTemplate(int folderIndex, std::string_view name, const ControlList* controls,
                    const Authoring& authoring);
    bool deleteTemplate(int folderIndex, int templateIndex);
    // Renames the file to name + ".tpl" and rewrites it with the new name in Info and
    // the same identity; when the rewrite fails both are undone.
    bool renameTemplate(int folderIndex, int templateIndex, std::string_view name,
                        const Authoring& authoring);
    // The Template whose file name equals name + ".tpl" ignoring case, or null.
    Template* findByName(int folderIndex, std::string_view name) const;

    void clear();

    // Trimming rule of folder renames.
    static std::string trimName(std::string_view name);
    // Whether a (trimmed) name may become a file or folder name.
    static bool safeName(std::string_view name);

  private:
    std::string root_;
    std::vector<std::unique_ptr<TemplateFolder>> folders_;
};

}  // namespace j4::show
