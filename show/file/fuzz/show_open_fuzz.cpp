// libFuzzer target for opening shows. Random bytes almost never form a compound file,
// so the input instead rewrites streams of a rich, valid show: it is a sequence of
// chunks [stream selector][length lo][length hi][bytes], each replacing one stream.
// The reader must refuse or accept without crashing, hanging or allocating wildly; a
// show it accepts must save and read back.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>
#include <map>
#include <string>
#include <vector>

#include "show/file/show_reader.h"
#include "show/file/show_writer.h"
#include "show/file/tests/show_harness.h"

namespace {

using namespace j4;
using StreamMap = std::map<std::string, std::vector<uint8_t>>;

void collect(const platform::Storage& storage, const std::string& prefix, StreamMap& out) {
    for (const platform::EntryInfo& e : storage.children()) {
        if (e.type == platform::EntryType::Storage)
            collect(*storage.openStorage(e.name), prefix + e.name + "/", out);
        else
            out[prefix + e.name] = storage.openStream(e.name)->readAll();
    }
}

platform::CompoundFile inMemoryFile() {
    // Nothing reaches the disk without commit(); the path only names the model.
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("j4-fuzz-" + std::to_string(getpid()) + ".j4"))
            .string();
    auto file = platform::CompoundFile::create(path);
    if (!file) std::abort();
    return std::move(*file);
}

void put(platform::Storage root, const std::string& path, const std::vector<uint8_t>& bytes) {
    size_t start = 0;
    for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1) {
        auto next = root.createStorage(path.substr(start, slash - start),
                                       platform::CreateMode::OpenIfExists);
        if (!next) return;
        root = *next;
    }
    if (auto s = root.createStream(path.substr(start), platform::CreateMode::Replace))
        (void)s->writeAll(bytes);
}

struct Seed {
    show::testing::ShowHarness harness;
    StreamMap streams;
    std::vector<std::string> paths;

    Seed() {
        show::testing::buildRichShow(harness);
        platform::CompoundFile file = inMemoryFile();
        platform::Storage root = file.root();
        // The live show as the console would save it.
        std::lock_guard guard(harness.engine.lock());
        const show::ShowView view =
            show::captureLiveShow({harness.engine, harness.devices, harness.cues, harness.effects});
        if (!show::writeShowContent(root, view, nullptr)) std::abort();
        collect(root, "", streams);
        for (const auto& [path, bytes] : streams) paths.push_back(path);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Seed seed;
    StreamMap streams = seed.streams;
    size_t pos = 0;
    while (pos + 3 <= size) {
        const std::string& path = seed.paths[data[pos] % seed.paths.size()];
        const size_t length = std::min<size_t>(data[pos + 1] | data[pos + 2] << 8, size - pos - 3);
        streams[path].assign(data + pos + 3, data + pos + 3 + length);
        pos += 3 + length;
    }
    platform::CompoundFile file = inMemoryFile();
    for (const auto& [path, bytes] : streams) put(file.root(), path, bytes);

    show::ShowContent content;
    if (!show::readShowContent(file.root(), seed.harness.effects, content).ok()) return 0;
    // Accepted: it must save and read back.
    platform::CompoundFile again = inMemoryFile();
    platform::Storage root = again.root();
    if (!show::writeShowContent(root, show::viewOf(content), nullptr)) std::abort();
    show::ShowContent reread;
    if (!show::readShowContent(root, seed.harness.effects, reread).ok()) std::abort();
    return 0;
}
