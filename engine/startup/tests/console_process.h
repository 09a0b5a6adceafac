#pragma once
// The real console program in a child process on the simulated interface (frames
// stepped by hand through its control socket), with a private settings root, runtime
// folder and automation block, and the tools to drive and watch it from the test.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

#include "automation/j4auto.h"
#include "show/file/show_content.h"

namespace j4::engine::testing {

class ConsoleProcess {
  public:
    // Makes the private folders and the machine settings (libraries, simulation with
    // manual pacing) and writes `show` as show.j4.
    explicit ConsoleProcess(const show::ShowContent& show);
    ~ConsoleProcess();
    ConsoleProcess(const ConsoleProcess&) = delete;
    ConsoleProcess& operator=(const ConsoleProcess&) = delete;

    // Starts CorvantaJ4 --headless on the show (plus `extra` arguments).
    bool start(const std::vector<std::string>& extra = {});
    // Waits until automation clients see the console.
    bool waitConnected();
    // SIGTERM (or another signal) and the exit status (128 + signal when killed).
    int stop(int signal = 15);
    // Runs another CorvantaJ4 with the same environment to its end; its exit status.
    int runSecondConsole(std::string* errors);
    pid_t pid() const { return pid_; }

    // One command to the simulated interface; its reply line.
    std::string simulation(const std::string& command) const;
    // The bytes the interface sends on universe 1 (send length: 32 channels).
    std::vector<uint8_t> transmitted() const;
    // Steps one interface frame at a time until `done` holds (or a guard of frames
    // passes, which only a fault reaches).
    template <typename F>
    bool stepUntil(F done, int guardFrames = 600) {
        for (int i = 0; i < guardFrames; ++i) {
            if (done()) return true;
            stepAndSettle();
        }
        return done();
    }
    void stepAndSettle();

    // The console's clock as automation clients read it.
    struct Clock {
        int32_t time = -1, mode = -1, state = -1, timecode = -1;
    };
    Clock clock() const;

    J4AutoClient* client() const { return client_; }
    // Runs j4ctl with these arguments against this console; its exit status.
    int j4ctl(const std::vector<std::string>& arguments) const;

    const std::string& folder() const { return folder_; }
    std::string showPath() const { return folder_ + "/show.j4"; }
    std::string errors() const;  // what the console wrote on standard error
    std::vector<std::string> environment() const;

  private:
    std::string folder_;
    std::string block_;
    pid_t pid_ = -1;
    J4AutoClient* client_ = nullptr;
};

}  // namespace j4::engine::testing
