// j4_make_console_show PATH [INPUT_FLAGS]: writes the console's small generated show.

#include <cstdlib>
#include <iostream>

#include "engine/startup/console_show.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: j4_make_console_show PATH [INPUT_FLAGS]\n";
        return 2;
    }
    const int32_t flags = argc == 3 ? static_cast<int32_t>(std::strtol(argv[2], nullptr, 0)) : 0x01;
    std::string error;
    if (!j4::engine::writeConsoleShow(argv[1], j4::engine::makeConsoleShow(flags), &error)) {
        std::cerr << "j4_make_console_show: " << argv[1] << ": " << error << "\n";
        return 1;
    }
    return 0;
}
