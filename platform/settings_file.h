#pragma once
// The text form of one settings key: the values of the key, one a line.
//
//     # Corvanta J4 settings key
//     TemplatePath=string:/usr/share/corvanta-j4/templates
//     CreatorID=number:42
//     MainWindow=binary:2c000000...
//
// NAME=TYPE:DATA, TYPE one of string, number (decimal 0..4294967295) or binary (two
// hex digits a byte). In names and string data a backslash starts an escape: "\\\\",
// "\\=", "\\n", "\\r", "\\t" and "\\xHH" for any byte; names escape '=', '#' and
// control bytes, string data escapes control bytes, so every value stays on one line.
// Lines that do not parse (hand edits) and comments are kept as they are when the key
// is rewritten; a value whose data does not parse reads as absent.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace j4::platform {

enum class SettingsType { String, Number, Binary };

class SettingsFile {
  public:
    // Parses the whole text; never fails (unparseable lines are kept as raw text).
    static SettingsFile parse(std::string_view text);
    std::string serialize() const;

    std::optional<std::string> readString(const std::string& name) const;
    std::optional<uint32_t> readNumber(const std::string& name) const;
    std::optional<std::vector<uint8_t>> readBinary(const std::string& name) const;

    void writeString(const std::string& name, const std::string& value);
    void writeNumber(const std::string& name, uint32_t value);
    void writeBinary(const std::string& name, const std::vector<uint8_t>& value);
    // True when the value was there.
    bool remove(const std::string& name);
    bool contains(const std::string& name) const;

  private:
    struct Line {
        bool isValue = false;
        std::string name;  // decoded, when isValue
        std::string type;  // as written
        std::string data;  // encoded, as written
        std::string raw;   // the whole line, when !isValue
    };
    const Line* find(const std::string& name, const char* type) const;
    void put(const std::string& name, const char* type, std::string data);

    std::vector<Line> lines_;
};

}  // namespace j4::platform
