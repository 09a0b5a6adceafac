#include <gtest/gtest.h>

#include "show/file/tool/json_keys.h"
#include "show/file/tool/json_text.h"
#include "show/file/tool/tests/tool_test_support.h"

namespace j4::show::tool::testing {
namespace {

using JsonRoundTrip = ToolTest;

TEST_F(JsonRoundTrip, RichShowExportImportExportIsIdenticalAndOpensAsTheSameShow) {
    const std::string a = saveRichShow("a.j4");
    const ToolOutput first = runTool({"export", a});
    ASSERT_EQ(first.status, 0) << first.err;
    std::ofstream(file("a.json")) << first.out;

    const ToolOutput imported = runTool({"import", file("a.json"), "-o", file("b.j4")});
    ASSERT_EQ(imported.status, 0) << imported.err;
    const ToolOutput second = runTool({"export", file("b.j4")});
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_EQ(second.out, first.out);
    // The imported file holds the same streams in the same places as the console's.
    EXPECT_EQ(fileText(file("b.j4")), fileText(a));

    // The console opens the imported show, and saves what it opened unchanged.
    show::testing::ShowHarness console;
    ASSERT_TRUE(console.effects.count() == 1);
    const ShowReadResult opened = console.document.open(file("b.j4"));
    ASSERT_TRUE(opened.ok()) << opened.reason;
    ASSERT_TRUE(console.document.save(file("c.j4")).ok());
    EXPECT_EQ(runTool({"export", file("c.j4")}).out, first.out);
    EXPECT_EQ(console.devices.count(), 6);
    EXPECT_EQ(console.cues.find(5)->effects().size(), 1u);
    EXPECT_EQ(console.engine.mixer().dmxInputSettings(), (engine::DmxInputSettings{17, 0x3F}));
}

TEST_F(JsonRoundTrip, ExportIsSparseOrderedAndWrittenWholeToAFile) {
    const std::string a = saveRichShow("a.j4");
    ASSERT_EQ(runTool({"export", a, "-o", file("out.json")}).status, 0);
    const std::string text = fileText(file("out.json"));
    EXPECT_EQ(text, runTool({"export", a}).out);
    Json j;
    std::string error;
    ASSERT_TRUE(parseJson(text, j, error)) << error;
    std::vector<std::string> keys;
    for (const auto& [k, v] : j.items()) keys.push_back(k);
    EXPECT_EQ(keys,
              (std::vector<std::string>{"format", "formatVersion", "timecode", "eventLists",
                                        "devices", "cues", "submasters", "presets", "dmxInput"}));
    const Json& cue1 = j["cues"][0];
    // Channels 1..40 of universe 1, 2.1 and 16.512: all others are 0 and left out.
    EXPECT_EQ(cue1["values"].size(), 42u);
    EXPECT_EQ(cue1["values"]["1.1"], 1);
    EXPECT_EQ(cue1["values"]["2.1"], 255);
    EXPECT_EQ(cue1["values"]["16.512"], 1);
    EXPECT_EQ(cue1["values"].begin().key(), "1.1");  // channel order, not text order
    EXPECT_EQ(std::next(cue1["values"].begin(), 9).key(), "1.10");
    const Json& mode = j["devices"][0]["controls"][4];
    EXPECT_EQ(mode["kind"], "mode");
    EXPECT_EQ(mode["pages"][1]["controls"][0]["kind"], "mode");
    EXPECT_EQ(j["devices"][2]["address"], "2.1");
    EXPECT_EQ(j["eventLists"][0]["events"][1]["role"], "loopStart");
    EXPECT_EQ(j["eventLists"][0]["events"][2]["role"], "loopMember");
    EXPECT_EQ(j["timecode"]["offset"], -1500);
    // Lists of plain values stay on one line.
    EXPECT_NE(text.find("\"layout\": [0, 0, 0, 0]"), std::string::npos);
}

TEST_F(JsonRoundTrip, ImportFillsLeftOutKeysAndSortsCues) {
    const std::string json = R"({
      "format": "corvanta-j4-show", "formatVersion": 1,
      "devices": [{"name": "Par", "address": "3.10",
                   "controls": [{"kind": "fader", "name": "Dim"},
                                {"kind": "position", "panOffset": 1, "tiltOffset": 2}]}],
      "cues": [{"number": 20, "devices": [0], "values": {"3.10": 128}},
               {"number": 7, "name": "first",
                "effects": [], "devices": [0]}],
      "eventLists": [
        {"events": [{}, {"time": 1000, "cue": 7, "fadeIn": 500}, {"time": 2000, "cue": 20}]},
        {}, {"enabled": false}, {"name": "four"}]
    })";
    ASSERT_EQ(runTool({"import", "-", "-o", file("s.j4")}, json).status, 0);
    show::testing::ShowHarness console;
    ASSERT_TRUE(console.document.open(file("s.j4")).ok());
    ASSERT_EQ(console.cues.count(), 2);
    EXPECT_EQ(console.cues.at(0)->number(), 7);
    EXPECT_EQ(console.cues.find(20)->values()[common::channelIndex(3, 10)], 128);
    EXPECT_EQ(console.devices.at(0)->baseAddress(), common::channelIndex(3, 10));
    EXPECT_EQ(console.devices.at(0)->span(), 3);
    EXPECT_EQ(console.engine.eventLists().list(0)->eventCount(), 3);
    EXPECT_FALSE(console.engine.eventLists().list(2)->enabled());
    EXPECT_EQ(console.engine.mixer().dmxInputSettings(), engine::DmxInputSettings{});
}

TEST_F(JsonRoundTrip, InfoSummarisesEveryPartOfTheShow) {
    const ToolOutput info = runTool({"info", saveRichShow("a.j4")});
    ASSERT_EQ(info.status, 0) << info.err;
    for (const char* expected :
         {"File version 288", "lost-timecode switch on, offset -1500 ms",
          "base address 17, functions 0x3F (Submasters, Load Presets, Grandmaster, XY-Faders, "
          "Transport Controls, Automation Transport Controls)",
          "Devices (6)", "\"Dimmer 1\"", "address 2.1  span 1", "Cues (5)",
          "Cue 5 \"Cue 5 \xF0\x9F\x8E\xAD\" (\"with an effect\")",
          "effect on Device 0 control 5: shape \"Circle\"",
          "gain 300, speed 40, rotation -900, reverse",
          "Event List 1 \"Main \xF0\x9D\x84\x9E\": enabled, 6 Events", "00:00:02:00",
          "+00:00:01:00", "loopStart", "loopEnd", "stop here", "Event List 3 \"\": disabled",
          "Submasters: 1: Cue 1, 24: Cue 10", "Preset 24:"})
        EXPECT_NE(info.out.find(expected), std::string::npos) << expected << "\n" << info.out;
}

}  // namespace
}  // namespace j4::show::tool::testing
