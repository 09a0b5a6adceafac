#include "show/file/tool/channel_text.h"

#include "common/dmx_frame.h"

namespace j4::show::tool {

namespace {

// A decimal number without sign or leading zero, at most four digits.
std::optional<int> plainNumber(std::string_view text) {
    if (text.empty() || text.size() > 4 || (text[0] == '0' && text.size() > 1)) return std::nullopt;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

std::string addressText(int32_t index) {
    return std::to_string(common::universeOf(index)) + "." +
           std::to_string(common::channelOf(index));
}

std::optional<int32_t> addressFromText(std::string_view text) {
    const size_t dot = text.find('.');
    if (dot == std::string_view::npos) return std::nullopt;
    const auto universe = plainNumber(text.substr(0, dot));
    const auto channel = plainNumber(text.substr(dot + 1));
    if (!universe || !channel || *universe < 1 || *universe > common::UNIVERSES || *channel < 1 ||
        *channel > common::CHANNELS_PER_UNIVERSE)
        return std::nullopt;
    return common::channelIndex(*universe, *channel);
}

}  // namespace j4::show::tool
