#include "links/artnet/tests/private_network.h"

#include <sched.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace j4::links::test {

namespace {
bool entered = false;
std::string error = "enterPrivateNetwork() was not called";
}  // namespace

void enterPrivateNetwork() {
    if (entered) return;
    if (::unshare(CLONE_NEWNET) != 0) {
        error = std::string("unshare(CLONE_NEWNET): ") + std::strerror(errno);
        return;
    }
    // Child processes (ip, tshark, olad) inherit the namespace.
    if (std::system("ip link set lo up && ip route add 255.255.255.255/32 dev lo") != 0) {
        // The namespace exists but has no working loopback: nothing can be tested,
        // and a missing tool is a failure, not a reason to skip.
        std::fprintf(stderr, "cannot bring up loopback in the private namespace (ip)\n");
        std::exit(2);
    }
    entered = true;
    error.clear();
}

bool inPrivateNetwork() {
    return entered;
}
const std::string& privateNetworkError() {
    return error;
}

}  // namespace j4::links::test
