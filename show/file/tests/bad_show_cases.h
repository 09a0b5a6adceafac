#pragma once
// Damaged show files for tests: each case changes one stream of a saved rich show
// (show_harness.h) through the compound layer, and names what the reader's reason must
// contain. The show-file tests open them in the console's way; the show tool's check
// reports them.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/byte_writer.h"
#include "platform/compound/compound_file.h"

namespace j4::show::testing {

// Changes a saved file through the compound layer.
inline void mutate(const std::string& path, const std::function<void(platform::Storage&)>& change) {
    auto f = platform::CompoundFile::openReadWrite(path);
    ASSERT_TRUE(f.ok());
    platform::Storage root = f->root();
    change(root);
    ASSERT_TRUE(f->commit().ok());
}

// Replaces the stream at "storage/.../stream" with `bytes`.
inline void putStream(platform::Storage& root, const std::string& path,
                      const common::ByteWriter& bytes) {
    platform::Storage at = root;
    size_t start = 0;
    for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1)
        at = *at.openStorage(path.substr(start, slash - start));
    auto s = at.createStream(path.substr(start), platform::CreateMode::Replace);
    ASSERT_TRUE(s.ok()) << path;
    ASSERT_TRUE(s->writeAll(bytes.bytes()).ok());
}

inline common::ByteWriter ints(std::initializer_list<int32_t> values) {
    common::ByteWriter w;
    for (int32_t v : values) w.int32(v);
    return w;
}

struct BadShowCase {
    const char* what;
    std::function<void(platform::Storage&)> change;
    const char* reasonHas;
};

// Every case is refused with message 503 and leaves an empty show.
inline std::vector<BadShowCase> badShowCases() {
    common::ByteWriter longName = ints({1});
    longName.int32(100002);
    longName.raw(std::vector<uint8_t>(100002, 'a'));
    common::ByteWriter badKind = ints({4});
    common::ByteWriter cueInfo = [] {
        common::ByteWriter w = ints({0});
        w.string("");
        w.string("");
        w.raw(ints({0, 0}).bytes());
        return w;
    }();
    auto cueInfoWith = [](int32_t number, int32_t devices, int32_t effects) {
        common::ByteWriter w = ints({number});
        w.string("x");
        w.string("");
        w.raw(ints({devices, effects}).bytes());
        return w;
    };
    common::ByteWriter loopEndAlone;
    for (int32_t role : {0, 3}) {
        loopEndAlone.raw(ints({role == 0 ? 0 : 2000, 0, 0, 0, 0, 0, role}).bytes());
        loopEndAlone.string("");
    }
    common::ByteWriter shortData;
    shortData.raw(std::vector<uint8_t>{0xFF, 0x00});

    return {
        {"missing Cue data",
         [](platform::Storage& r) {
             (void)r.openStorage("Cues")->openStorage("0")->remove("Data");
         },
         "Cues/0/Data"},
        {"missing Event List",
         [](platform::Storage& r) { (void)r.openStorage("EventLists")->remove("3"); },
         "EventLists/3"},
        {"short Device info",
         [](platform::Storage& r) {
             putStream(r, "Devices/0/Info", ints({1, 2}));
         },
         "Devices/0/Info"},
        {"string over 100000 bytes",
         [=](platform::Storage& r) { putStream(r, "EventLists/0/Info", longName); },
         "EventLists/0/Info"},
        {"control kind 4",
         [=](platform::Storage& r) { putStream(r, "Devices/2/Controls", badKind); },
         "Devices/2/Controls"},
        {"Device index out of range",
         [](platform::Storage& r) {
             putStream(r, "Cues/0/Devices", ints({0, 99, 3, 5}));
         },
         "Cues/0/Devices"},
        {"the same Device twice",
         [](platform::Storage& r) {
             putStream(r, "Cues/0/Devices", ints({1, 1, 3, 5}));
         },
         "twice"},
        {"Cue data of wrong length",
         [=](platform::Storage& r) { putStream(r, "Cues/1/Data", shortData); }, "Cues/1/Data"},
        {"input base 0",
         [](platform::Storage& r) {
             putStream(r, "Input/Info", ints({0, 1}));
         },
         "Input/Info"},
        {"input base 513",
         [](platform::Storage& r) {
             putStream(r, "Input/Info", ints({513, 1}));
         },
         "Input/Info"},
        {"group index 1",
         [](platform::Storage& r) {
             common::ByteWriter w;
             w.identity({});
             w.raw(ints({1, 0, 0}).bytes());
             w.string("g");
             putStream(r, "Devices/3/Info", w);
         },
         "group index"},
        {"preset info",
         [](platform::Storage& r) {
             putStream(r, "Presets/Info", ints({24, 23}));
         },
         "Presets/Info"},
        {"preset Cue number out of range",
         [](platform::Storage& r) { putStream(r, "Presets/Data", ints({-5})); }, "Presets/Data"},
        {"Cue number 0", [=](platform::Storage& r) { putStream(r, "Cues/0/Info", cueInfo); },
         "Cues/0/Info"},
        {"Cue numbers unsorted",
         [=](platform::Storage& r) { putStream(r, "Cues/2/Info", cueInfoWith(1, 0, 0)); },
         "out of order"},
        {"Cue number twice",
         [=](platform::Storage& r) { putStream(r, "Cues/2/Info", cueInfoWith(2, 0, 0)); }, "twice"},
        {"Device count beyond the stream",
         [=](platform::Storage& r) { putStream(r, "Cues/0/Info", cueInfoWith(1, 1000000000, 0)); },
         "Cues/0/Devices"},
        {"effect shape missing",
         [](platform::Storage& r) {
             auto effects = r.openStorage("Cues")->openStorage("2")->openStream("Effects");
             std::vector<uint8_t> bytes = effects->readAll();
             bytes.back() ^= 0xFF;
             ASSERT_TRUE(effects->writeAll(bytes).ok());
         },
         "effect shape"},
        {"effect on a fader",
         [](platform::Storage& r) {
             auto effects = r.openStorage("Cues")->openStorage("2")->openStream("Effects");
             std::vector<uint8_t> bytes = effects->readAll();
             bytes[4] = 0;  // control index 0: the dimmer
             ASSERT_TRUE(effects->writeAll(bytes).ok());
         },
         "not a position control"},
        {"loop end without its start",
         [=](platform::Storage& r) {
             putStream(r, "EventLists/1/Info", [] {
                 common::ByteWriter w = ints({2, 1});
                 w.string("");
                 return w;
             }());
             putStream(r, "EventLists/1/Events", loopEndAlone);
         },
         "EventLists/1/Events"},
        {"Event count beyond the stream",
         [](platform::Storage& r) {
             putStream(r, "EventLists/2/Info", [] {
                 common::ByteWriter w = ints({2000000000, 1});
                 w.string("");
                 return w;
             }());
         },
         "EventLists/2/Events"},
    };
}

}  // namespace j4::show::testing
