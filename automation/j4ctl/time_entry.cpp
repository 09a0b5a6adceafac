#include "automation/j4ctl/time_entry.h"

namespace j4::automation {

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
}  // namespace

std::optional<common::TimeValue> parseTimeEntry(std::string_view text) {
    if (text.empty()) return std::nullopt;
    int fields[4] = {0, 0, 0, 0};  // frames, seconds, minutes, hours
    int pos = static_cast<int>(text.size()) - 1;
    for (int& field : fields) {
        if (pos >= 0 && isDigit(text[pos])) {
            field = text[pos] - '0';
            --pos;
            if (pos >= 0 && isDigit(text[pos])) {
                field += 10 * (text[pos] - '0');
                --pos;
            }
        }
        if (pos >= 0 && !isDigit(text[pos])) --pos;
    }
    const common::ShowTime ms =
        common::fieldsToMilliseconds(fields[3], fields[2], fields[1], fields[0]);
    return common::TimeValue::fromMilliseconds(ms);
}

}  // namespace j4::automation
