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

    return saveShowFile(
        path,
        [&](platform::CompoundFile& file, std::string* why) {
            platform::Storage root = file.root();
            if (!writeShowContent(root, viewOf(show), why)) {
                *why = "the show could not be written: " + *why;
                return false;
            }
            return verifyWrittenShow(file, effects, *why);
        },
        &error);
}

}  // namespace j4::show::tool
