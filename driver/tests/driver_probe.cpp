// A second process for the "in use" tests: loads the driver library, initialises one
// slot, prints the result and exits (the kernel drops its slot lock).
//   j4_driver_probe LIBRARY SLOT

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "driver/dmx_dll.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    void* lib = dlopen(argv[1], RTLD_NOW);
    if (!lib) return 3;
    auto init = reinterpret_cast<DMXDllInitializeFn>(dlsym(lib, "DMXDllInitialize"));
    auto cleanup = reinterpret_cast<DMXDllVoidFn>(dlsym(lib, "DMXDllCleanup"));
    if (!init || !cleanup) return 4;
    int32_t version = std::atoi(argv[2]);
    const int32_t result = init(&version);
    std::printf("%d %#x\n", result, version);
    cleanup();
    return 0;
}
