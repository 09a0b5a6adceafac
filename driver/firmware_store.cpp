#include "driver/firmware_store.h"

#include <fstream>
#include <sstream>

namespace j4::driver {

namespace {
// Far larger than any image of these parts; a bigger file is not firmware.
constexpr std::streamoff MAX_IMAGE_TEXT = 1 << 20;
}  // namespace

std::optional<std::string> FirmwareStore::image(int imageId) const {
    if (folder_.empty()) {
        const auto text = embeddedFirmware(imageId);
        if (text.empty()) return std::nullopt;
        return std::string(text);
    }
    std::ifstream in(folder_ + "/" + std::to_string(imageId) + ".hex", std::ios::binary);
    if (!in) return std::nullopt;
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size < 0 || size > MAX_IMAGE_TEXT) return std::nullopt;
    in.seekg(0);
    std::string text(static_cast<size_t>(size), '\0');
    if (!in.read(text.data(), size)) return std::nullopt;
    return text;
}

}  // namespace j4::driver
