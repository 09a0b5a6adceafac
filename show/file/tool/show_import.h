#pragma once
// Building a ".j4" from the show's JSON form. Nothing is written unless the whole show
// passes: the JSON is checked element by element (show_from_json.h), then the show is
// written into a compound file in memory and read back through the console's own show
// reader, and only then committed to the path (temporary file, flushed, renamed; an
// existing show there is kept as path + ".bak", as the console's Save does).

#include <string>
#include <string_view>

#include "platform/compound/compound_file.h"
#include "show/effect_library.h"
#include "show/file/show_content.h"

namespace j4::show::tool {

// False with the reason; the file at `path` is then untouched.
bool importShowJson(std::string_view jsonText, const EffectLibrary& effects,
                    const std::string& path, std::string& error);

// The console's checks on a show written into `file` (not yet committed): its image is
// read back through the show reader. False with the console's message number and the
// reason.
bool verifyWrittenShow(const platform::CompoundFile& file, const EffectLibrary& effects,
                       std::string& error);

}  // namespace j4::show::tool
