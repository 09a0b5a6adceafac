#include "links/artnet/network_settings.h"

#include "platform/settings_store.h"

namespace j4::links {

NetworkSettings loadNetworkSettings(const platform::SettingsStore& userSettings) {
    NetworkSettings s;
    if (auto v = userSettings.readString(SETTINGS_KEY, NETWORK_INTERFACE_VALUE); v && !v->empty())
        s.interfaceAddress = *v;
    return s;
}

}  // namespace j4::links
