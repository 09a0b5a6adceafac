#pragma once
// The record of device calls the simulated interfaces received, in the order they
// arrived across all of them (reads are not recorded: their timing is the threads').

#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace j4::driver::sim {

class Transcript {
  public:
    void setRecording(bool on) {
        std::lock_guard g(mutex_);
        recording_ = on;
    }
    void add(std::string line) {
        std::lock_guard g(mutex_);
        if (recording_) lines_.push_back(std::move(line));
    }
    std::vector<std::string> take() {
        std::lock_guard g(mutex_);
        return std::exchange(lines_, {});
    }

  private:
    std::mutex mutex_;
    bool recording_ = false;
    std::vector<std::string> lines_;
};

}  // namespace j4::driver::sim
