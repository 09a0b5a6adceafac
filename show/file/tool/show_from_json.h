#pragma once
// A show from its JSON form (json_keys.h). Every element is checked as the show file's
// reader checks it, and a refusal names the element by its JSON path, e.g.
// "$.cues[3].devices[1]: Device index 9 out of range". Keys the form does not know are
// refused (a misspelt key would otherwise be dropped without a word); keys left out
// take the value a new control, Event or show has. Cues may come in any order and are
// kept in ascending number order, as the show file holds them.

#include <string>

#include "show/effect_library.h"
#include "show/file/show_content.h"
#include "show/file/tool/json_text.h"

namespace j4::show::tool {

// Effect entries must name shapes of `effects`. `out` is filled only on success;
// otherwise `error` holds the path and the reason.
bool showFromJson(const JsonInput& document, const EffectLibrary& effects, ShowContent& out,
                  std::string& error);

}  // namespace j4::show::tool
