#pragma once
// Finds the local IPv4 interface the user chose and the broadcast address that goes
// with it. Broadcasts are only ever sent to that derived address, so with the default
// (loopback) every poll stays inside 127.0.0.0/8.

#include <cstdint>
#include <optional>
#include <string>

namespace j4::links {

struct InterfaceAddress {
    uint32_t address = 0;    // network byte order
    uint32_t broadcast = 0;  // network byte order
};

// Nothing when the text is not an IPv4 address or no local interface carries it
// (then `error` says which).
std::optional<InterfaceAddress> resolveInterface(const std::string& dotted, std::string* error);

// "a.b.c.d" of an address in network byte order.
std::string ipv4Text(uint32_t address);

}  // namespace j4::links
