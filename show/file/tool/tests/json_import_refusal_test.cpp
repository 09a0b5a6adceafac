#include <gtest/gtest.h>

#include <functional>

#include "show/file/tool/json_text.h"
#include "show/file/tool/tests/tool_test_support.h"

namespace j4::show::tool::testing {
namespace {

using JsonImportRefusal = ToolTest;

// Mode controls nested `depth` pages deep.
Json nestedModes(int depth) {
    Json control = {{"kind", "fader"}};
    for (int i = 0; i < depth; ++i)
        control = {{"kind", "mode"},
                   {"pages", Json::array({{{"controls", Json::array({control})}}})}};
    return control;
}

TEST_F(JsonImportRefusal, EveryFaultIsNamedByItsPathAndNothingIsWritten) {
    const std::string exported = runTool({"export", saveRichShow("rich.j4")}).out;
    Json rich;
    std::string error;
    ASSERT_TRUE(parseJson(exported, rich, error)) << error;
    const std::string target = saveRichShow("target.j4");
    const std::string before = fileText(target);
    const std::vector<std::string> entries = folderEntries();

    struct Case {
        const char* what;
        std::function<void(Json&)> change;
        const char* errorHas;
    } cases[] = {
        {"Device index out of range", [](Json& j) { j["cues"][3]["devices"][1] = 9; },
         "$.cues[3].devices[1]: Device index 9 out of range"},
        {"Device twice",
         [](Json& j) {
             j["cues"][0]["devices"] = {1, 1};
         },
         "$.cues[0].devices[1]: Device index 1 appears twice"},
        {"unknown key", [](Json& j) { j["cues"][0]["colour"] = 1; },
         "$.cues[0].colour: unknown key"},
        {"not a channel", [](Json& j) { j["cues"][0]["values"]["17.1"] = 5; },
         "$.cues[0].values[\"17.1\"]: not a channel address"},
        {"second spelling of a channel", [](Json& j) { j["cues"][0]["values"]["01.1"] = 5; },
         "$.cues[0].values[\"01.1\"]: not a channel address"},
        {"value above 255", [](Json& j) { j["cues"][0]["values"]["1.1"] = 256; },
         "$.cues[0].values[\"1.1\"]: must be an integer from 0 to 255"},
        {"Cue number 0", [](Json& j) { j["cues"][1]["number"] = 0; },
         "$.cues[1].number: must be an integer from 1 to 1000000"},
        {"Cue number missing", [](Json& j) { j["cues"][1].erase("number"); },
         "$.cues[1]: \"number\" is missing"},
        {"Cue number twice", [](Json& j) { j["cues"][2]["number"] = 1; },
         "$.cues[2].number: Cue number 1 is also at $.cues[0]"},
        {"unknown effect shape",
         [](Json& j) {
             j["cues"][2]["effects"][0]["shape"] = "{00000000-0000-0000-0000-000000000001}";
         },
         "$.cues[2].effects[0].shape: effect shape {00000000-0000-0000-0000-000000000001} is not "
         "in "
         "the effect library"},
        {"effect on a fader", [](Json& j) { j["cues"][2]["effects"][0]["control"] = 0; },
         "$.cues[2].effects[0].control: control 0 is not a position control"},
        {"effect on a Device outside the Cue",
         [](Json& j) { j["cues"][2]["effects"][0]["device"] = 2; },
         "$.cues[2].effects[0].device: the Device is not in the Cue"},
        {"effect gain", [](Json& j) { j["cues"][2]["effects"][0]["gain"] = 2000; },
         "$.cues[2].effects[0].gain: must be an integer from 0 to 1024"},
        {"two effects on one control",
         [](Json& j) { j["cues"][2]["effects"].push_back(j["cues"][2]["effects"][0]); },
         "$.cues[2].effects[1].control: a second effect on the same control"},
        {"fader minimum above maximum",
         [](Json& j) { j["devices"][0]["controls"][2]["minimum"] = 201; },
         "$.devices[0].controls[2].minimum: must be an integer from 0 to 200"},
        {"control kind", [](Json& j) { j["devices"][0]["controls"][0]["kind"] = "dimmer"; },
         "$.devices[0].controls[0].kind: must be"},
        {"key of another kind",
         [](Json& j) { j["devices"][0]["controls"][0]["items"] = Json::array(); },
         "$.devices[0].controls[0].items: unknown key"},
        {"offset outside the frame",
         [](Json& j) {
             j["devices"][0]["controls"][4]["pages"][0]["controls"][0]["channelOffset"] = 8192;
         },
         "$.devices[0].controls[4].pages[0].controls[0].channelOffset: must be an integer from 0 "
         "to 8191"},
        {"modes nested too deep", [](Json& j) { j["devices"][3]["controls"][0] = nestedModes(6); },
         "$.devices[3].controls[0].pages[0].controls[0].pages[0].controls[0].pages[0].controls[0]"
         ".pages[0].controls[0]: mode pages nested deeper than 4 levels"},
        {"Device past the last channel", [](Json& j) { j["devices"][1]["address"] = "16.510"; },
         "$.devices[1]: its controls reach past channel 16.512 at address 16.510"},
        {"bad address", [](Json& j) { j["devices"][1]["address"] = "1.513"; },
         "$.devices[1].address: must be an address"},
        {"bad Template identity", [](Json& j) { j["devices"][0]["template"] = "{1234}"; },
         "$.devices[0].template: must be an identity"},
        {"name too long", [](Json& j) { j["devices"][0]["name"] = std::string(50001, 'x'); },
         "$.devices[0].name: text longer than 50000 UTF-16 units"},
        {"three Event Lists", [](Json& j) { j["eventLists"].erase(3); },
         "$.eventLists: must have 4 elements, not 3"},
        {"unknown role", [](Json& j) { j["eventLists"][0]["events"][1]["role"] = "loop"; },
         "$.eventLists[0].events[1].role: must be"},
        {"time not an integer", [](Json& j) { j["eventLists"][0]["events"][1]["time"] = 1.5; },
         "$.eventLists[0].events[1].time: must be an integer from 0 to 259200000"},
        {"negative fade", [](Json& j) { j["eventLists"][1]["events"][1]["fadeIn"] = -1; },
         "$.eventLists[1].events[1].fadeIn: must be an integer from 0"},
        {"loop end without its start",
         [](Json& j) { j["eventLists"][1]["events"][1]["role"] = "loopEnd"; },
         "$.eventLists[1].events: "},
        {"times out of order", [](Json& j) { j["eventLists"][1]["events"][0]["time"] = 900; },
         "$.eventLists[1].events: "},
        {"no Event 0", [](Json& j) { j["eventLists"][2]["events"] = Json::array(); },
         "$.eventLists[2].events: needs at least Event 0"},
        {"23 submasters", [](Json& j) { j["submasters"].erase(23); },
         "$.submasters: must have 24 elements, not 23"},
        {"preset Cue number", [](Json& j) { j["presets"][3][2] = -5; },
         "$.presets[3][2]: must be an integer from 0 to 1000000"},
        {"input base 513", [](Json& j) { j["dmxInput"]["base"] = 513; },
         "$.dmxInput.base: must be an integer from 1 to 512"},
        {"another format", [](Json& j) { j["format"] = "something else"; }, "$.format: must be"},
        {"a later format version", [](Json& j) { j["formatVersion"] = 2; },
         "$.formatVersion: must be an integer from 1 to 1"},
        {"not an object", [](Json& j) { j = Json::array(); }, "$: must be an object"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Json changed = rich;
        c.change(changed);
        const ToolOutput r = runTool({"import", "-", "-o", target}, changed.dump());
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.errorHas), std::string::npos) << r.err;
        EXPECT_TRUE(fileText(target) == before);
        EXPECT_EQ(folderEntries(), entries);
    }

    // Faults of the text itself.
    const std::pair<std::string, std::string> texts[] = {
        {R"({"format": "corvanta-j4-show", "format": "x"})", "$.format: key given twice"},
        {R"({"cues": [{"number": 1, "values": {"1.1": 2, "1.1": 3}}]})",
         "$.cues[0].values[\"1.1\"]: key given twice"},
        {R"({"cues": [)", "not valid JSON"},
        {"", "not valid JSON"},
    };
    for (const auto& [text, errorHas] : texts) {
        SCOPED_TRACE(text);
        const ToolOutput r = runTool({"import", "-", "-o", target}, text);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(errorHas), std::string::npos) << r.err;
        EXPECT_TRUE(fileText(target) == before);
    }
}

TEST_F(JsonImportRefusal, AnImportOverAShowKeepsThePreviousAsBackup) {
    const std::string target = saveRichShow("target.j4");
    const std::string before = fileText(target);
    const std::string json = R"({"format": "corvanta-j4-show", "formatVersion": 1})";
    ASSERT_EQ(runTool({"import", "-", "-o", target}, json).status, 0);
    EXPECT_EQ(fileText(target + ".bak"), before);
    EXPECT_EQ(runTool({"check", target}).out, "OK\n");
    // A missing folder: refused, nothing written.
    const ToolOutput r = runTool({"import", "-", "-o", file("no/such/show.j4")}, json);
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(fs::exists(file("no")));
}

}  // namespace
}  // namespace j4::show::tool::testing
