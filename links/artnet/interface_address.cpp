#include "links/artnet/interface_address.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace j4::links {

std::optional<InterfaceAddress> resolveInterface(const std::string& dotted, std::string* error) {
    in_addr wanted{};
    if (inet_pton(AF_INET, dotted.c_str(), &wanted) != 1) {
        if (error) *error = "not an IPv4 address: \"" + dotted + "\"";
        return std::nullopt;
    }
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        if (error) *error = "cannot list the network interfaces";
        return std::nullopt;
    }
    std::optional<InterfaceAddress> found;
    for (ifaddrs* i = list; i != nullptr && !found; i = i->ifa_next) {
        if (i->ifa_addr == nullptr || i->ifa_addr->sa_family != AF_INET) continue;
        auto* a = reinterpret_cast<const sockaddr_in*>(i->ifa_addr);
        if (a->sin_addr.s_addr != wanted.s_addr) continue;
        InterfaceAddress r;
        r.address = wanted.s_addr;
        if ((i->ifa_flags & IFF_BROADCAST) && i->ifa_broadaddr != nullptr) {
            r.broadcast = reinterpret_cast<const sockaddr_in*>(i->ifa_broadaddr)->sin_addr.s_addr;
        } else {
            // Loopback has no broadcast flag; its subnet's broadcast (127.255.255.255)
            // still reaches every socket bound on it.
            uint32_t mask =
                i->ifa_netmask
                    ? reinterpret_cast<const sockaddr_in*>(i->ifa_netmask)->sin_addr.s_addr
                    : 0xFFFFFFFFu;
            r.broadcast = wanted.s_addr | ~mask;
        }
        found = r;
    }
    freeifaddrs(list);
    if (!found && error) *error = "no local interface has the address " + dotted;
    return found;
}

std::string ipv4Text(uint32_t address) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr a{};
    a.s_addr = address;
    inet_ntop(AF_INET, &a, text, sizeof text);
    return text;
}

}  // namespace j4::links
