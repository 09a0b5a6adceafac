#include "driver/tests/private_folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace j4::driver::testing {

const std::string& usePrivateFolders() {
    static const std::string root = [] {
        // Under /tmp, not the build tree: the simulated interface's socket lives in the
        // runtime folder, and a socket path may not exceed 107 bytes wherever the tree
        // was cloned.
        std::string pattern = "/tmp/j4-driver-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed in /tmp");
        std::string dir = buf.data();
        ::mkdir((dir + "/settings").c_str(), 0700);
        ::mkdir((dir + "/run").c_str(), 0700);
        ::setenv("J4_SETTINGS_ROOT", (dir + "/settings").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (dir + "/run").c_str(), 1);
        // Removed when the test process ends (not when a forked child does).
        static const std::string removeAtExit = dir;
        static const pid_t owner = ::getpid();
        std::atexit([] {
            if (::getpid() != owner) return;
            std::error_code ignored;
            std::filesystem::remove_all(removeAtExit, ignored);
        });
        return dir;
    }();
    return root;
}

}  // namespace j4::driver::testing
