#pragma once
// A show as JSON (the form described in json_keys.h): every part of the show file,
// keys in a fixed order and Cue channel values only where they are not 0, so that the
// same show always gives the same text and a changed value changes one line.

#include "show/file/show_content.h"
#include "show/file/tool/json_text.h"

namespace j4::show::tool {

Json showToJson(const ShowContent& show);

// One control with its pages and sub-controls.
Json controlToJson(const Control& control);

}  // namespace j4::show::tool
