#pragma once
// JSON text in and out. Reading refuses what a plain parser would silently accept:
// a key given twice in one object (the later value would hide the earlier one).
// Writing puts every object member on its own line and short lists of plain values
// on one, so a diff of two shows shows the changed values and little else.

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace j4::show::tool {

// What the tool writes: members in the order they were added.
using Json = nlohmann::ordered_json;
// What the tool reads: members found by name (an ordered object searches its members
// one by one, which makes a Cue's thousands of channel values slow to read).
using JsonInput = nlohmann::json;

// False with the reason (the JSON path or the line and column) on any fault.
bool parseJson(std::string_view text, Json& out, std::string& error);
bool parseJson(std::string_view text, JsonInput& out, std::string& error);

// The text, ending with a newline. Strings that are not valid UTF-8 are written with
// U+FFFD in place of the bad bytes.
std::string formatJson(const Json& value);

// "$.a.b[3]" style paths: a member of an object, an element of an array.
std::string memberPath(const std::string& parent, std::string_view key);
std::string elementPath(const std::string& parent, size_t index);

}  // namespace j4::show::tool
