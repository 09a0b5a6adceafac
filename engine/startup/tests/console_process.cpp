#include "engine/startup/tests/console_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "common/settings_names.h"
#include "driver/driver_settings.h"
#include "driver/sim/simulation_control.h"
#include "engine/startup/console_show.h"
#include "platform/settings_store.h"

extern char** environ;

namespace j4::engine::testing {

namespace {

std::string makeFolder() {
    // Under /tmp, not the build tree: the simulated interface's socket lives in this
    // folder, and a socket path may not exceed 107 bytes wherever the tree was cloned.
    std::string pattern = "/tmp/j4-console-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!::mkdtemp(buf.data())) throw std::runtime_error("mkdtemp failed");
    const std::string dir = buf.data();
    ::mkdir((dir + "/settings").c_str(), 0700);
    ::mkdir((dir + "/run").c_str(), 0700);
    return dir;
}

// Runs a program with `env` and standard error into `errorFile`; its pid.
pid_t spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env,
            const std::string& errorFile) {
    std::vector<char*> args, envp;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const int err = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        const int null = ::open("/dev/null", O_RDWR);
        if (err >= 0) ::dup2(err, 2);
        if (null >= 0) ::dup2(null, 1);
        ::execve(args[0], args.data(), envp.data());
        ::_exit(127);
    }
    return pid;
}

int waitFor(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

ConsoleProcess::ConsoleProcess(const show::ShowContent& show) : folder_(makeFolder()) {
    static std::atomic<int> counter{0};
    block_ = "/j4auto-console-test-" + std::to_string(::getpid()) + "-" +
             std::to_string(counter.fetch_add(1));
    platform::SettingsStore machine(platform::SettingsScope::Machine, folder_ + "/settings");
    machine.writeString(common::SETTINGS_KEY, common::SETTING_TEMPLATE_PATH,
                        J4_TEMPLATE_LIBRARY_DIR);
    machine.writeString(common::SETTINGS_KEY, common::SETTING_EFFECT_PATH, J4_EFFECT_LIBRARY_DIR);
    machine.writeNumber(driver::SETTINGS_KEY, driver::SETTING_SIMULATION, 1);
    machine.writeString(driver::SETTINGS_KEY, driver::SETTING_SIMULATION_PACING, "Manual");
    std::string error;
    if (!writeConsoleShow(showPath(), show, &error)) throw std::runtime_error(error);
    // Clients find a running console by its lock in the runtime folder.
    ::setenv("XDG_RUNTIME_DIR", (folder_ + "/run").c_str(), 1);
    client_ = j4auto_open(block_.c_str());
}

ConsoleProcess::~ConsoleProcess() {
    if (pid_ > 0) stop(SIGKILL);
    j4auto_close(client_);
    ::shm_unlink(block_.c_str());
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::vector<std::string> ConsoleProcess::environment() const {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string_view v(*e);
        if (v.starts_with("J4_") || v.starts_with("XDG_RUNTIME_DIR=")) continue;
        env.emplace_back(v);
    }
    env.push_back("J4_SETTINGS_ROOT=" + folder_ + "/settings");
    env.push_back("XDG_RUNTIME_DIR=" + folder_ + "/run");
    env.push_back("J4_AUTOMATION_BLOCK=" + block_);
    env.push_back("J4_CONSOLE_TRACE=1");
    return env;
}

bool ConsoleProcess::start(const std::vector<std::string>& extra) {
    std::vector<std::string> argv = {J4_CONSOLE_PATH, "--headless"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.push_back(showPath());
    pid_ = spawn(argv, environment(), folder_ + "/stderr.txt");
    return pid_ > 0;
}

bool ConsoleProcess::waitConnected() {
    for (int i = 0; i < 10'000; ++i) {
        if (j4auto_is_connected(client_) == 1) return true;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}

int ConsoleProcess::stop(int signal) {
    if (pid_ <= 0) return -1;
    ::kill(pid_, signal);
    const int status = waitFor(pid_);
    pid_ = -1;
    return status;
}

int ConsoleProcess::runSecondConsole(std::string* errors) {
    const std::string file = folder_ + "/second-stderr.txt";
    const int status =
        waitFor(spawn({J4_CONSOLE_PATH, "--headless", showPath()}, environment(), file));
    if (errors) {
        std::ifstream in(file);
        std::stringstream s;
        s << in.rdbuf();
        *errors = s.str();
    }
    return status;
}

std::string ConsoleProcess::simulation(const std::string& command) const {
    return driver::sim::sendSimulationCommand(
               driver::sim::simulationSocketPath(folder_ + "/run/corvanta-j4", 0), command)
        .value_or("no reply");
}

std::vector<uint8_t> ConsoleProcess::transmitted() const {
    std::istringstream reply(simulation("transmitted 1"));
    std::string word;
    reply >> word;
    std::vector<uint8_t> bytes;
    while (reply >> word) bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
    return bytes;
}

void ConsoleProcess::stepAndSettle() {
    simulation("step 1");
    // The console's engine thread takes the frame on its own time.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

ConsoleProcess::Clock ConsoleProcess::clock() const {
    Clock c;
    j4auto_get_clock(client_, &c.time, &c.mode, &c.state, &c.timecode);
    return c;
}

int ConsoleProcess::j4ctl(const std::vector<std::string>& arguments) const {
    std::vector<std::string> argv = {J4CTL_PATH, "--block", block_};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return waitFor(spawn(argv, environment(), folder_ + "/j4ctl-stderr.txt"));
}

std::string ConsoleProcess::errors() const {
    std::ifstream in(folder_ + "/stderr.txt");
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace j4::engine::testing
