#pragma once
// Reading a show file completely into a ShowContent. Nothing of the live show is
// touched: a file that fails any check is refused as a whole, with the console's
// message (503, or 554 for a version it does not know) and the precise reason: which
// storage or stream, which record, which field.

#include <string>

#include "common/string_table.h"
#include "platform/compound/compound_file.h"
#include "show/effect_library.h"
#include "show/file/show_content.h"

namespace j4::show {

struct ShowReadResult {
    int message = 0;  // 0 on success, MSG_SHOW_OPEN_FAILED or MSG_FILE_VERSION_INCOMPATIBLE
    std::string reason;
    bool ok() const { return message == 0; }
};

// Effect entries must name shapes of `effects`. `out` is filled only on success.
ShowReadResult readShowContent(const platform::Storage& root, const EffectLibrary& effects,
                               ShowContent& out);

// Opens the file read-only (deny-write) and reads it.
ShowReadResult readShowFile(const std::string& path, const EffectLibrary& effects,
                            ShowContent& out);

}  // namespace j4::show
