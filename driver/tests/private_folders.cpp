#include "driver/tests/private_folders.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

namespace j4::driver::testing {

const std::string& usePrivateFolders() {
    static const std::string root = [] {
        const char* base = std::getenv("J4_SETTINGS_ROOT");
        std::string parent = base ? base : "/tmp";
        std::filesystem::create_directories(parent);
        std::string pattern = parent + "/private-XXXXXX";
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed in " + parent);
        std::string dir = buf.data();
        ::mkdir((dir + "/settings").c_str(), 0700);
        ::mkdir((dir + "/run").c_str(), 0700);
        ::setenv("J4_SETTINGS_ROOT", (dir + "/settings").c_str(), 1);
        ::setenv("XDG_RUNTIME_DIR", (dir + "/run").c_str(), 1);
        return dir;
    }();
    return root;
}

}  // namespace j4::driver::testing
