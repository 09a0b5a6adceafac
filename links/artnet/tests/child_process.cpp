#include "links/artnet/tests/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace j4::links::test {

namespace {

std::vector<char*> argvOf(const std::vector<std::string>& argv) {
    std::vector<char*> a;
    for (const auto& s : argv) a.push_back(const_cast<char*>(s.c_str()));
    a.push_back(nullptr);
    return a;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& logPath) {
    auto a = argvOf(argv);
    int log = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    pid_t pid = ::fork();
    if (pid == 0) {
        // A test that dies must not leave its peers running.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (log >= 0) {
            ::dup2(log, 1);
            ::dup2(log, 2);
        }
        int devnull = ::open("/dev/null", O_RDONLY);
        if (devnull >= 0) ::dup2(devnull, 0);
        ::execvp(a[0], a.data());
        ::_exit(127);
    }
    if (log >= 0) ::close(log);
    pid_ = pid;
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) stop(SIGTERM);
}

bool ChildProcess::running() {
    if (pid_ <= 0) return false;
    int st = 0;
    pid_t r = ::waitpid(pid_, &st, WNOHANG);
    if (r == pid_) {
        status_ = st;
        pid_ = -1;
        return false;
    }
    return true;
}

bool ChildProcess::waitExit(int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        if (!running()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

int ChildProcess::stop(int signal) {
    if (pid_ <= 0) return status_;
    ::kill(pid_, signal);
    // A child that ignores the signal is ended after 5 s so a test never hangs.
    for (int i = 0; i < 250; ++i) {
        if (!running()) return status_;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, &status_, 0);
    pid_ = -1;
    return status_;
}

int runCommand(const std::vector<std::string>& argv, std::string* output) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
    auto a = argvOf(argv);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeFds[1], 1);
        int devnull = ::open("/dev/null", O_RDWR);
        if (devnull >= 0) {
            ::dup2(devnull, 0);
            ::dup2(devnull, 2);
        }
        ::execvp(a[0], a.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(pipeFds[0], buf, sizeof buf)) > 0) out.append(buf, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    int st = 0;
    if (pid < 0 || ::waitpid(pid, &st, 0) != pid) return -1;
    if (output) *output = std::move(out);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool waitForText(const std::string& path, const std::string& text, int timeoutMs) {
    for (int waited = 0; waited <= timeoutMs; waited += 20) {
        if (readFile(path).find(text) != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::string makeTempDir(const std::string& prefix) {
    std::string t = "/tmp/" + prefix + ".XXXXXX";
    char* d = ::mkdtemp(t.data());
    return d ? std::string(d) : std::string();
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

}  // namespace j4::links::test
