#pragma once
// External programs the network tests talk to (tshark, olad, a python client), run as
// child processes of the test and always ended by their own process id.

#include <string>
#include <vector>

namespace j4::links::test {

class ChildProcess {
  public:
    // Starts `argv[0]` (searched on PATH) with stdout and stderr appended to `logPath`.
    ChildProcess(const std::vector<std::string>& argv, const std::string& logPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ > 0; }
    // Sends `signal` and waits for the exit; returns the wait status.
    int stop(int signal);
    bool running();
    // Waits up to timeoutMs for the child to end by itself; true when it did.
    bool waitExit(int timeoutMs);

  private:
    int pid_ = -1;
    int status_ = 0;
};

// Runs a command to its end; returns its exit code (-1 when it could not run) and its
// standard output in `output`.
int runCommand(const std::vector<std::string>& argv, std::string* output = nullptr);

// Waits until the file contains `text`, up to timeoutMs (polling every 20 ms).
bool waitForText(const std::string& path, const std::string& text, int timeoutMs);

std::string readFile(const std::string& path);
// A fresh directory under /tmp.
std::string makeTempDir(const std::string& prefix);

// A fresh directory under /tmp, removed with everything in it at the end of scope.
class TempDir {
  public:
    explicit TempDir(const std::string& prefix) : path_(makeTempDir(prefix)) {}
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

}  // namespace j4::links::test
