#include "show/file/tool/show_import.h"

#include "platform/compound/compound_file.h"
#include "show/file/show_reader.h"
#include "show/file/show_writer.h"
#include "show/file/tool/show_from_json.h"

namespace j4::show::tool {

bool verifyWrittenShow(const platform::CompoundFile& file, const EffectLibrary& effects,
                       std::string& error) {
    auto image = file.toBytes();
    if (!image) {
        error = "the show could not be written: " + image.error().message;
        return false;
    }
    auto reopened = platform::CompoundFile::openBytes(*image);
    if (!reopened) {
        error = "the written show could not be read back: " + reopened.error().message;
        return false;
    }
    ShowContent readBack;
    const ShowReadResult read = readShowContent(reopened->root(), effects, readBack);
    if (!read.ok()) {
        error = "the console would refuse this show with message " + std::to_string(read.message) +
                ": " + read.reason;
        return false;
    }
    return true;
}

bool importShowJson(std::string_view jsonText, const EffectLibrary& effects,
                    const std::string& path, std::string& error) {
    JsonInput document;
    if (!parseJson(jsonText, document, error)) {
        error = "not valid JSON: " + error;
        return false;
    }
    ShowContent show;
    if (!showFromJson(document, effects, show, error)) return false;

    auto file = platform::CompoundFile::create(path);
    if (!file) {
        error = path + ": " + file.error().message;
        return false;
    }
    platform::Storage root = file->root();
    if (!writeShowContent(root, viewOf(show), &error)) {
        error = "the show could not be written: " + error;
        return false;
    }
    if (!verifyWrittenShow(*file, effects, error)) return false;
    platform::CommitOptions options;
    options.backupPath = path + ".bak";
    if (auto committed = file->commit(options); !committed) {
        error = path + ": " + committed.error().message;
        return false;
    }
    return true;
}

}  // namespace j4::show::tool
