// Compound files: building, writing and reading back a file of N storages each holding
// about 8 KB of streams (one small stream in the mini stream, one just under the 4096-
// byte cutoff, one just over it). Run for several N: the cost per storage must stay
// flat (no quadratic directory work), dominated by the bytes.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/compound/compound_file.h"

namespace {

using namespace j4::platform;

const std::vector<uint8_t> kInfo(100, 0x11);
const std::vector<uint8_t> kData(4000, 0x22);
const std::vector<uint8_t> kBig(4100, 0x33);

constexpr int64_t kBytesPerStorage = 100 + 4000 + 4100;

bool fill(Storage root, int64_t storages) {
    for (int64_t i = 0; i < storages; ++i) {
        auto s = root.createStorage(std::to_string(i));
        if (!s) return false;
        if (!s->createStream("Info")->writeAll(kInfo).ok()) return false;
        if (!s->createStream("Data")->writeAll(kData).ok()) return false;
        if (!s->createStream("Big")->writeAll(kBig).ok()) return false;
    }
    return true;
}

std::string benchPath() {
    const auto folder = std::filesystem::temp_directory_path() / "j4-compound-bench";
    std::filesystem::create_directories(folder);
    return (folder / "bench.cfb").string();
}

// Reads every stream of every storage by name, as a show reader does.
int64_t readBack(const Storage& root, int64_t storages) {
    int64_t bytes = 0;
    for (int64_t i = 0; i < storages; ++i) {
        auto s = root.openStorage(std::to_string(i));
        if (!s) return -1;
        for (const char* name : {"Info", "Data", "Big"})
            bytes += s->openStream(name)->readAll().size();
    }
    return bytes;
}

void BM_BuildAndSerialize(benchmark::State& state) {
    const int64_t n = state.range(0);
    for (auto _ : state) {
        auto file = CompoundFile::create(benchPath());
        if (!file || !fill(file->root(), n)) {
            state.SkipWithError("build failed");
            return;
        }
        auto bytes = file->toBytes();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.SetBytesProcessed(state.iterations() * n * kBytesPerStorage);
    state.SetComplexityN(n);
}

void BM_ParseAndReadAll(benchmark::State& state) {
    const int64_t n = state.range(0);
    auto file = CompoundFile::create(benchPath());
    if (!file || !fill(file->root(), n)) {
        state.SkipWithError("build failed");
        return;
    }
    const std::vector<uint8_t> image = *file->toBytes();
    for (auto _ : state) {
        auto parsed = CompoundFile::openBytes(image);
        if (!parsed || readBack(parsed->root(), n) != n * kBytesPerStorage) {
            state.SkipWithError("read failed");
            return;
        }
    }
    state.counters["file_bytes"] = static_cast<double>(image.size());
    state.SetItemsProcessed(state.iterations() * n);
    state.SetBytesProcessed(state.iterations() * n * kBytesPerStorage);
    state.SetComplexityN(n);
}

// The directory alone: storages holding one 16-byte stream, so the bytes are
// negligible and any superlinear lookup or tree building would show per item.
void BM_DirectoryOnly(benchmark::State& state) {
    const int64_t n = state.range(0);
    const std::vector<uint8_t> tiny(16, 0x44);
    for (auto _ : state) {
        auto file = CompoundFile::create(benchPath());
        Storage root = file->root();
        for (int64_t i = 0; i < n; ++i) {
            if (!root.createStorage(std::to_string(i))->createStream("Info")->writeAll(tiny).ok()) {
                state.SkipWithError("build failed");
                return;
            }
        }
        auto parsed = CompoundFile::openBytes(*file->toBytes());
        for (int64_t i = 0; i < n; ++i)
            benchmark::DoNotOptimize(
                parsed->root().openStorage(std::to_string(i))->openStream("Info"));
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.SetComplexityN(n);
}

// The whole save and open on disk: temporary file, fsync, rename, then open with its
// lock and read everything back.
void BM_CommitAndOpen(benchmark::State& state) {
    const int64_t n = state.range(0);
    const std::string path = benchPath();
    for (auto _ : state) {
        {
            auto file = CompoundFile::create(path);
            if (!file || !fill(file->root(), n) || !file->commit().ok()) {
                state.SkipWithError("save failed");
                return;
            }
        }
        auto opened = CompoundFile::openRead(path);
        if (!opened || readBack(opened->root(), n) != n * kBytesPerStorage) {
            state.SkipWithError("open failed");
            return;
        }
    }
    state.SetItemsProcessed(state.iterations() * n);
    state.SetBytesProcessed(state.iterations() * n * kBytesPerStorage);
}

BENCHMARK(BM_BuildAndSerialize)
    ->Arg(250)
    ->Arg(1000)
    ->Arg(4000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseAndReadAll)
    ->Arg(250)
    ->Arg(1000)
    ->Arg(4000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DirectoryOnly)
    ->Arg(1000)
    ->Arg(4000)
    ->Arg(16000)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CommitAndOpen)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace
