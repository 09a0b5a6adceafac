#include "show/show_messages.h"

#include "common/string_table.h"

namespace j4::show {

const char* messageText(MessageId id) {
    switch (id) {
        case MessageId::None:
            return "";
        case MessageId::UnsafeName:
            return "The name cannot be used as a file name. Names must not contain / \\ : * ? "
                   "\" < > | or control characters, and must not be \".\" or \"..\".";
        default: {
            const char* text = common::stringText(static_cast<int>(id));
            return text ? text : "";
        }
    }
}

}  // namespace j4::show
