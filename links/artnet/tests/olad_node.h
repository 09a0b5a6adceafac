#pragma once
// OLA's olad as a real Art-Net node on loopback, run as its own user (it refuses to run
// as root) with a fresh configuration in which only the Art-Net plugin is enabled.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "links/artnet/tests/child_process.h"

namespace j4::links::test {

class OladNode {
  public:
    OladNode();
    ~OladNode();
    // Waits until olad answers and shows its Art-Net device; false (with the log in
    // `why`) when it does not come up.
    bool ready(std::string* why);
    // Patches the Art-Net device's input port `port` to OLA universe `universe`.
    bool patchInput(int port, int universe);
    // The levels OLA holds for each universe (python client's FetchDmx).
    std::map<int, std::vector<uint8_t>> fetch(const std::vector<int>& universes);
    std::string log() const;

  private:
    TempDir dir_{"j4-olad"};
    std::unique_ptr<ChildProcess> olad_;
};

}  // namespace j4::links::test
