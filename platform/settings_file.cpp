#include "platform/settings_file.h"

#include <cstdio>

namespace j4::platform {

namespace {

constexpr const char* TYPE_STRING = "string";
constexpr const char* TYPE_NUMBER = "number";
constexpr const char* TYPE_BINARY = "binary";

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

void appendHexByte(std::string& out, uint8_t b) {
    static const char digits[] = "0123456789abcdef";
    out += digits[b >> 4];
    out += digits[b & 15];
}

std::string escape(std::string_view text, bool isName) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto b = static_cast<uint8_t>(ch);
        switch (ch) {
            case '\\':
                out += "\\\\";
                continue;
            case '\n':
                out += "\\n";
                continue;
            case '\r':
                out += "\\r";
                continue;
            case '\t':
                out += "\\t";
                continue;
            default:
                break;
        }
        if (b < 0x20 || b == 0x7f || (isName && (ch == '=' || ch == '#'))) {
            out += "\\x";
            appendHexByte(out, b);
        } else {
            out += ch;
        }
    }
    return out;
}

// Decodes escaped text up to `stop` (an unescaped character, or the end when '\0').
// Returns the position after the consumed text, or npos when an escape is malformed
// or `stop` was not found.
size_t unescape(std::string_view text, char stop, std::string& out) {
    size_t i = 0;
    while (i < text.size()) {
        const char ch = text[i];
        if (stop != '\0' && ch == stop) return i;
        if (ch != '\\') {
            out += ch;
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) return std::string_view::npos;
        const char e = text[i + 1];
        switch (e) {
            case '\\':
                out += '\\';
                break;
            case '=':
                out += '=';
                break;
            case '#':
                out += '#';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'x': {
                if (i + 3 >= text.size()) return std::string_view::npos;
                const int hi = hexDigit(text[i + 2]), lo = hexDigit(text[i + 3]);
                if (hi < 0 || lo < 0) return std::string_view::npos;
                out += static_cast<char>(hi * 16 + lo);
                i += 4;
                continue;
            }
            default:
                return std::string_view::npos;
        }
        i += 2;
    }
    return stop == '\0' ? text.size() : std::string_view::npos;
}

std::optional<uint32_t> parseNumber(std::string_view data) {
    if (data.empty() || data.size() > 10) return std::nullopt;
    uint64_t value = 0;
    for (const char c : data) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > UINT32_MAX) return std::nullopt;
    return static_cast<uint32_t>(value);
}

}  // namespace

SettingsFile SettingsFile::parse(std::string_view text) {
    SettingsFile file;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);  // hand-edited CRLF

        Line parsed;
        std::string name;
        const size_t eq =
            line.empty() || line[0] == '#' ? std::string_view::npos : unescape(line, '=', name);
        const size_t colon =
            eq == std::string_view::npos ? std::string_view::npos : line.find(':', eq + 1);
        if (colon == std::string_view::npos) {
            parsed.raw = std::string(line);
        } else {
            parsed.isValue = true;
            parsed.name = std::move(name);
            parsed.type = std::string(line.substr(eq + 1, colon - eq - 1));
            parsed.data = std::string(line.substr(colon + 1));
        }
        file.lines_.push_back(std::move(parsed));
    }
    return file;
}

std::string SettingsFile::serialize() const {
    std::string out;
    for (const Line& line : lines_) {
        if (line.isValue) {
            out += escape(line.name, true);
            out += '=';
            out += line.type;
            out += ':';
            out += line.data;
        } else {
            out += line.raw;
        }
        out += '\n';
    }
    return out;
}

const SettingsFile::Line* SettingsFile::find(const std::string& name, const char* type) const {
    for (const Line& line : lines_) {
        if (line.isValue && line.name == name) return line.type == type ? &line : nullptr;
    }
    return nullptr;
}

bool SettingsFile::contains(const std::string& name) const {
    for (const Line& line : lines_) {
        if (line.isValue && line.name == name) return true;
    }
    return false;
}

std::optional<std::string> SettingsFile::readString(const std::string& name) const {
    const Line* line = find(name, TYPE_STRING);
    if (line == nullptr) return std::nullopt;
    std::string value;
    if (unescape(line->data, '\0', value) == std::string_view::npos) return std::nullopt;
    return value;
}

std::optional<uint32_t> SettingsFile::readNumber(const std::string& name) const {
    const Line* line = find(name, TYPE_NUMBER);
    if (line == nullptr) return std::nullopt;
    return parseNumber(line->data);
}

std::optional<std::vector<uint8_t>> SettingsFile::readBinary(const std::string& name) const {
    const Line* line = find(name, TYPE_BINARY);
    if (line == nullptr || line->data.size() % 2 != 0) return std::nullopt;
    std::vector<uint8_t> bytes;
    bytes.reserve(line->data.size() / 2);
    for (size_t i = 0; i < line->data.size(); i += 2) {
        const int hi = hexDigit(line->data[i]), lo = hexDigit(line->data[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        bytes.push_back(static_cast<uint8_t>(hi * 16 + lo));
    }
    return bytes;
}

void SettingsFile::put(const std::string& name, const char* type, std::string data) {
    // The first line of that name takes the new value; later duplicates (hand edits)
    // go, so the file never holds two answers for one name.
    bool placed = false;
    for (auto it = lines_.begin(); it != lines_.end();) {
        if (it->isValue && it->name == name) {
            if (placed) {
                it = lines_.erase(it);
                continue;
            }
            it->type = type;
            it->data = std::move(data);
            placed = true;
        }
        ++it;
    }
    if (!placed) {
        if (lines_.empty()) {
            Line header;
            header.raw = "# Corvanta J4 settings: NAME=TYPE:DATA, TYPE string, number or binary";
            lines_.push_back(std::move(header));
        }
        Line line;
        line.isValue = true;
        line.name = name;
        line.type = type;
        line.data = std::move(data);
        lines_.push_back(std::move(line));
    }
}

void SettingsFile::writeString(const std::string& name, const std::string& value) {
    put(name, TYPE_STRING, escape(value, false));
}

void SettingsFile::writeNumber(const std::string& name, uint32_t value) {
    put(name, TYPE_NUMBER, std::to_string(value));
}

void SettingsFile::writeBinary(const std::string& name, const std::vector<uint8_t>& value) {
    std::string data;
    data.reserve(value.size() * 2);
    for (const uint8_t b : value) appendHexByte(data, b);
    put(name, TYPE_BINARY, std::move(data));
}

bool SettingsFile::remove(const std::string& name) {
    bool removed = false;
    for (auto it = lines_.begin(); it != lines_.end();) {
        if (it->isValue && it->name == name) {
            it = lines_.erase(it);
            removed = true;
        } else {
            ++it;
        }
    }
    return removed;
}

}  // namespace j4::platform
