// The rules for names that become Template files and folders.
#include <string>
#include <string_view>

#include "show/template_store.h"

namespace j4::show {

namespace {
// Longest file name the file system takes, leaving room for ".tpl".
constexpr size_t MAX_NAME_BYTES = 255 - 4;

bool trimmedChar(char c) {
    return c == '.' || c == ' ' || c == '/' || c == '\\' || c == '|' || c == ':' || c == '<' ||
           c == '>';
}
}  // namespace

std::string TemplateStore::trimName(std::string_view name) {
    size_t first = 0, last = name.size();
    while (first < last && trimmedChar(name[first])) ++first;
    while (last > first && trimmedChar(name[last - 1])) --last;
    return std::string(name.substr(first, last - first));
}

bool TemplateStore::safeName(std::string_view name) {
    if (name.empty() || name.size() > MAX_NAME_BYTES || name == "." || name == "..") return false;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        // Path separators of both systems, the characters the original file system
        // refuses, and control characters (NUL included).
        if (u < 0x20 || u == 0x7F) return false;
        switch (c) {
            case '/':
            case '\\':
            case ':':
            case '*':
            case '?':
            case '"':
            case '<':
            case '>':
            case '|':
                return false;
            default:
                break;
        }
    }
    // A name made only of dots and spaces would vanish or climb on some systems.
    return name.find_first_not_of(". ") != std::string_view::npos;
}

}  // namespace j4::show
