// Drives the simulated interface of a running driver from the command line:
//   j4sim [--slot N] COMMAND [ARGUMENTS...]
// e.g. "j4sim step 30", "j4sim input 1 255 128", "j4sim timecode 25 00:10:00:00".
// Prints the driver's reply; exit code 0 for "ok", 1 otherwise.

#include <cstdio>
#include <cstring>
#include <string>

#include "driver/sim/simulation_control.h"
#include "platform/lock_file.h"

int main(int argc, char** argv) {
    int slot = 0;
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--slot") == 0) {
        slot = std::atoi(argv[2]);
        first = 3;
    }
    if (first >= argc || slot < 0 || slot > 7) {
        std::fprintf(stderr, "usage: j4sim [--slot N] COMMAND [ARGUMENTS...]\n");
        return 2;
    }
    std::string command;
    for (int i = first; i < argc; ++i) command += (i > first ? " " : "") + std::string(argv[i]);
    const auto reply = j4::driver::sim::sendSimulationCommand(
        j4::driver::sim::simulationSocketPath(j4::platform::LockFile::runtimeFolder(), slot),
        command);
    if (!reply) {
        std::fprintf(stderr, "no simulated interface runs in slot %d\n", slot);
        return 1;
    }
    std::printf("%s\n", reply->c_str());
    return reply->rfind("ok", 0) == 0 ? 0 : 1;
}
