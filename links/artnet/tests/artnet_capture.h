#pragma once
// Art-Net traffic on the private network's loopback, captured by tshark into a file and
// read back through Wireshark's Art-Net dissector: the independent reader of what the
// senders put on the wire.

#include <signal.h>

#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "links/artnet/tests/child_process.h"

namespace j4::links::test {

class ArtNetCapture {
  public:
    // With `packets` > 0 tshark stops by itself after that many: it hands packets over in
    // blocks with a time-out, so interrupting it right after the last send loses them.
    explicit ArtNetCapture(const std::string& dir, int packets = 0)
        : file_(dir + "/artnet.pcap"), log_(dir + "/tshark.log"), tshark_(command(packets), log_) {}

    bool started() { return waitForText(log_, "Capture started", 20000); }
    // A counted capture: waits for its end, else interrupts it.
    void finish() {
        if (!tshark_.waitExit(20000)) tshark_.stop(SIGINT);
    }
    void stop() { tshark_.stop(SIGINT); }
    std::string log() const { return readFile(log_); }

    // One row per packet the display filter keeps, with the named dissector fields in
    // order (the file may still be growing while the capture runs).
    std::vector<std::vector<std::string>> rows(const std::string& displayFilter,
                                               std::initializer_list<const char*> fields) const {
        std::vector<std::string> argv = {"tshark", "-r",     file_, "-Y",         displayFilter,
                                         "-T",     "fields", "-E",  "separator=;"};
        for (const char* f : fields) {
            argv.push_back("-e");
            argv.push_back(f);
        }
        std::string out;
        runCommand(argv, &out);
        std::vector<std::vector<std::string>> rows;
        std::istringstream lines(out);
        for (std::string line; std::getline(lines, line);) {
            if (line.empty()) continue;
            std::vector<std::string> row;
            std::istringstream cells(line);
            for (std::string cell; std::getline(cells, cell, ';');) row.push_back(cell);
            row.resize(fields.size());
            rows.push_back(std::move(row));
        }
        return rows;
    }

  private:
    std::vector<std::string> command(int packets) const {
        std::vector<std::string> argv = {"tshark", "-i", "any", "-f", "udp port 6454"};
        if (packets > 0) {
            argv.push_back("-c");
            argv.push_back(std::to_string(packets));
        }
        argv.push_back("-w");
        argv.push_back(file_);
        return argv;
    }

    std::string file_, log_;
    ChildProcess tshark_;
};

}  // namespace j4::links::test
