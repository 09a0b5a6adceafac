#include "links/artnet/tests/olad_node.h"

#include <pwd.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace j4::links::test {

namespace {

const char* const OTHER_PLUGINS[] = {
    "dmx4linux",  "dummy",    "e131",    "espnet",   "ftdidmx", "gpio",
    "karate",     "kinet",    "milinst", "nanoleaf", "opendmx", "openpixelcontrol",
    "osc",        "pathport", "renard",  "sandnet",  "shownet", "spi",
    "stageprofi", "uartdmx",  "usbdmx",  "usbserial"};

void writeFile(const std::string& path, const std::string& text, uid_t owner) {
    std::ofstream(path) << text;
    if (::chown(path.c_str(), owner, static_cast<gid_t>(-1)) != 0) {
    }
}

// Reads back universes with OLA's python client; prints "universe hex" lines.
const char* FETCH_SCRIPT = R"(
import sys
from ola.ClientWrapper import ClientWrapper
wrapper = ClientWrapper()
client = wrapper.Client()
wanted = [int(u) for u in sys.argv[1:]]
got = {}
def receiver(u):
    def done(status, universe, data):
        got[u] = bytes(data).hex() if status.Succeeded() else ''
        if len(got) == len(wanted):
            wrapper.Stop()
    return done
for u in wanted:
    client.FetchDmx(u, receiver(u))
wrapper.AddEvent(5000, wrapper.Stop)
wrapper.Run()
for u in wanted:
    print(u, got.get(u, ''))
)";

}  // namespace

OladNode::OladNode() {
    passwd* pw = ::getpwnam("olad");
    uid_t uid = pw ? pw->pw_uid : 0;
    if (::chown(dir_.path().c_str(), uid, static_cast<gid_t>(-1)) != 0) {
    }
    writeFile(dir_.path() + "/ola-artnet.conf",
              "enabled = true\nip = 127.0.0.1\nuse_loopback = true\n", uid);
    for (const char* p : OTHER_PLUGINS)
        writeFile(dir_.path() + "/ola-" + p + ".conf", "enabled = false\n", uid);
    olad_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{"setpriv", "--reuid=olad", "--regid=nogroup", "--clear-groups",
                                 "olad", "-c", dir_.path(), "--no-http",
                                 "--no-register-with-dns-sd", "-l", "3"},
        dir_.path() + "/olad.log");
}

OladNode::~OladNode() {
    olad_->stop(SIGTERM);
}

bool OladNode::ready(std::string* why) {
    for (int i = 0; i < 150; ++i) {
        std::string out;
        if (runCommand({"ola_dev_info"}, &out) == 0 && out.find("ArtNet") != std::string::npos)
            return true;
        if (!olad_->running()) break;
        ::usleep(100 * 1000);
    }
    if (why) *why = log();
    return false;
}

bool OladNode::patchInput(int port, int universe) {
    return runCommand({"ola_patch", "-d", "1", "-p", std::to_string(port), "-i", "-u",
                       std::to_string(universe)}) == 0;
}

std::map<int, std::vector<uint8_t>> OladNode::fetch(const std::vector<int>& universes) {
    std::vector<std::string> argv = {"/usr/bin/python3", "-c", FETCH_SCRIPT};
    for (int u : universes) argv.push_back(std::to_string(u));
    std::string out;
    runCommand(argv, &out);
    std::map<int, std::vector<uint8_t>> result;
    std::istringstream in(out);
    int u;
    std::string hex;
    while (in >> u) {
        std::getline(in, hex);
        std::vector<uint8_t> bytes;
        size_t start = hex.find_first_not_of(' ');
        for (size_t i = start; i != std::string::npos && i + 1 < hex.size(); i += 2)
            bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        result[u] = bytes;
    }
    return result;
}

std::string OladNode::log() const {
    return readFile(dir_.path() + "/olad.log");
}

}  // namespace j4::links::test
