// libFuzzer target for the compound-file reader: any input must be refused with an
// error or read into a tree that writes out and reads back identically.

#include <cstdio>
#include <cstdlib>

#include "platform/compound/fuzz/image_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string broken = j4::platform::compound_check::checkImage({data, size});
    if (!broken.empty()) {
        std::fprintf(stderr, "compound reader property broken: %s\n", broken.c_str());
        std::abort();
    }
    return 0;
}
