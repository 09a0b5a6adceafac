// Writes the built-in Template library and effect library into two folders, then
// scans them the way the console does and fails the build if anything would not load.
//
//   j4_make_libraries TEMPLATE_FOLDER EFFECT_FOLDER
#include <cstdio>
#include <filesystem>

#include "data/library_sources.h"
#include "show/effect_file.h"
#include "show/effect_library.h"
#include "show/template_file.h"
#include "show/template_store.h"

namespace {

namespace fs = std::filesystem;
using namespace j4;

bool writeTemplates(const std::string& root) {
    for (const data::StarterTemplate& t : data::starterTemplates()) {
        const fs::path folder = fs::path(root) / t.folder;
        std::error_code ec;
        fs::create_directories(folder, ec);
        show::TemplateHeader header;
        header.identity = data::starterIdentity(t.folder, t.name);
        header.controlCount = static_cast<int32_t>(t.controls.size());
        header.name = t.name;
        std::string error;
        if (!show::writeTemplateFile((folder / (t.name + ".tpl")).string(), header, t.controls,
                                     nullptr, &error)) {
            std::fprintf(stderr, "j4_make_libraries: %s\n", error.c_str());
            return false;
        }
    }
    return true;
}

bool writeEffects(const std::string& root) {
    std::error_code ec;
    fs::create_directories(root, ec);
    for (const data::StarterEffect& e : data::starterEffects()) {
        const auto shape = data::makeStarterEffect(e);
        std::string error = "unknown shape";
        if (!shape ||
            !show::writeEffectFile((fs::path(root) / e.fileName).string(), *shape, &error)) {
            std::fprintf(stderr, "j4_make_libraries: %s: %s\n", e.name, error.c_str());
            return false;
        }
    }
    return true;
}

bool check(const std::string& templates, const std::string& effects) {
    show::TemplateStore store;
    if (store.scanFolder(templates) != show::MessageId::None) {
        std::fprintf(stderr, "j4_make_libraries: the Template library does not scan cleanly\n");
        return false;
    }
    size_t count = 0;
    for (int f = 0; f < store.folderCount(); ++f)
        for (const auto& tpl : store.folder(f)->templates()) {
            if (!tpl->loadControls() || tpl->channelCount() == 0) {
                std::fprintf(stderr, "j4_make_libraries: %s does not load\n", tpl->path().c_str());
                return false;
            }
            ++count;
        }
    show::EffectLibrary library;
    if (library.scanFolder(effects) != show::MessageId::None ||
        library.count() != static_cast<int>(data::starterEffects().size())) {
        std::fprintf(stderr, "j4_make_libraries: the effect library does not scan cleanly\n");
        return false;
    }
    std::printf("j4_make_libraries: %zu Templates, %d effects\n", count, library.count());
    return count == data::starterTemplates().size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: j4_make_libraries TEMPLATE_FOLDER EFFECT_FOLDER\n");
        return 2;
    }
    return writeTemplates(argv[1]) && writeEffects(argv[2]) && check(argv[1], argv[2]) ? 0 : 1;
}
