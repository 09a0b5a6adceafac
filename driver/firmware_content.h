#pragma once
// The content of the firmware images the build generates. We have no vendor images,
// so each generated image is marked (its first bytes read "CJ4-SIMULATED" and the
// image id) as a program for the simulated interface, which recognises exactly these
// images. Record counts, sizes and address ranges follow the real images.

#include <vector>

#include "driver/firmware_image.h"

namespace j4::driver {

// Ids 101, 102, 103; empty for any other id.
std::vector<FirmwareRecord> simulatedFirmwareRecords(int imageId);

// The blocks a sound download of that image delivers (consecutive records joined).
std::vector<FirmwareBlock> simulatedFirmwareBlocks(int imageId);

}  // namespace j4::driver
