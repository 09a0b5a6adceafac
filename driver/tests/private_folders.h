#pragma once
// Gives a test process its own settings root and runtime folder (lock files, control
// sockets), so test processes running side by side never see each other's slots.

#include <string>

namespace j4::driver::testing {

// Creates the folders on first use and points J4_SETTINGS_ROOT and XDG_RUNTIME_DIR at
// them; call before any thread starts. Returns the private root.
const std::string& usePrivateFolders();

}  // namespace j4::driver::testing
