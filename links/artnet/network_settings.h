#pragma once
// What the network outputs take from the user's settings. The interface address
// decides where discovery polls are broadcast; it defaults to loopback so that nothing
// leaves the machine until the user picks a real interface.

#include <string>

namespace j4::platform {
class SettingsStore;
}

namespace j4::links {

// User-scope value under the console's key: the IPv4 address of the interface the
// Art-Net and visualizer links use ("127.0.0.1" when absent or empty).
inline constexpr const char* SETTINGS_KEY = "Software\\Corvanta\\Corvanta J4";
inline constexpr const char* NETWORK_INTERFACE_VALUE = "NetworkInterface";
inline constexpr const char* DEFAULT_INTERFACE = "127.0.0.1";

struct NetworkSettings {
    std::string interfaceAddress = DEFAULT_INTERFACE;
    // How long discovery waits for the next datagram before giving up.
    int discoveryTimeoutMs = 2000;
    // Pause before a repeated search.
    int retryDelayMs = 1000;
    // True: when no node answers, the sender waits for the user's answer (the
    // console's UI thread asks). False (headless): keep searching quietly.
    bool askWhenNoNode = true;
};

NetworkSettings loadNetworkSettings(const platform::SettingsStore& userSettings);

}  // namespace j4::links
