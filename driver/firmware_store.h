#pragma once
// Where the driver's firmware images come from: the images embedded at build time,
// or, when the machine setting "FirmwareFolder" names a folder, the files
// "<id>.hex" in it (real images for real interfaces).

#include <optional>
#include <string>
#include <string_view>

namespace j4::driver {

// The embedded Intel HEX text of image 101, 102 or 103; empty for other ids.
std::string_view embeddedFirmware(int imageId);

class FirmwareStore {
  public:
    // Embedded images only.
    FirmwareStore() = default;
    explicit FirmwareStore(std::string folder) : folder_(std::move(folder)) {}
    // The image text; nothing when the image cannot be found or read.
    std::optional<std::string> image(int imageId) const;

  private:
    std::string folder_;
};

}  // namespace j4::driver
