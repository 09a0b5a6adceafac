// j4ctl: sends automation commands to a running console and shows its clock.

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "automation/commands.h"
#include "automation/j4_automation.h"
#include "automation/j4ctl/command_line.h"
#include "automation/j4ctl/status_text.h"

namespace {

using namespace j4::automation;

volatile sig_atomic_t stopRequested = 0;

void onSignal(int) {
    stopRequested = 1;
}

// Waits up to `ms` for a console; true when one runs.
bool waitForConsole(const J4Automation& automation, int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!automation.IsConnected()) {
        if (stopRequested || std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

int exitStatusFor(PostResult result) {
    switch (result) {
        case PostResult::Posted:
            return EXIT_DONE;
        case PostResult::OutOfRange:
            return EXIT_USAGE;
        case PostResult::NotConnected:
            return EXIT_NOT_CONNECTED;
        case PostResult::Dropped:
            return EXIT_DROPPED;
        case PostResult::Failed:
            return EXIT_UNAVAILABLE;
    }
    return EXIT_UNAVAILABLE;
}

int watchStatus(const J4Automation& automation, int intervalMs) {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    const bool terminal = isatty(STDOUT_FILENO) == 1;
    std::string shown;
    while (!stopRequested) {
        const std::string line = statusLine(automation.IsConnected() == 1, automation.clock());
        if (terminal) {
            // Back to the start of the line, rewrite it, clear what the old one left.
            std::printf("\r%s\x1b[K", line.c_str());
            std::fflush(stdout);
        } else if (line != shown) {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        }
        shown = line;
        poll(nullptr, 0, intervalMs);  // a signal ends the wait early
    }
    if (terminal) std::printf("\n");
    return automation.IsConnected() ? EXIT_DONE : EXIT_NOT_CONNECTED;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const ParsedCommandLine parsed = parseCommandLine(args);
    if (!parsed.invocation) {
        std::fprintf(stderr, "j4ctl: %s\n", parsed.error.c_str());
        return EXIT_USAGE;
    }
    const Invocation& inv = *parsed.invocation;
    if (inv.action == Invocation::Action::Help) {
        std::fputs(usageText().c_str(), stdout);
        return EXIT_DONE;
    }

    J4Automation automation = inv.blockName.empty() ? J4Automation() : J4Automation(inv.blockName);
    if (!automation.attached()) {
        std::fprintf(stderr, "j4ctl: %s\n", automation.error().c_str());
        return EXIT_UNAVAILABLE;
    }
    automation.setPostTimeout(std::chrono::milliseconds(inv.postTimeoutMs));
    if (inv.waitForConsoleMs > 0) waitForConsole(automation, inv.waitForConsoleMs);

    if (inv.action == Invocation::Action::Status) {
        if (inv.watch) return watchStatus(automation, inv.intervalMs);
        const bool connected = automation.IsConnected() == 1;
        std::fputs(statusReport(connected, automation.clock()).c_str(), stdout);
        return connected ? EXIT_DONE : EXIT_NOT_CONNECTED;
    }

    // The console opens the path from its own working folder: send it absolute.
    std::string path = inv.path;
    if (!path.empty() && path.front() != '/') {
        std::error_code ec;
        path = std::filesystem::absolute(path, ec).lexically_normal().string();
        if (ec || !isValidLoadPath(path)) {
            std::fprintf(stderr, "j4ctl: load: the full show path must have 1 to %d characters\n",
                         PATH_MAX_CHARACTERS);
            return EXIT_USAGE;
        }
    }
    const PostResult result = automation.post(inv.code, inv.argument1, inv.argument2, path);
    if (result != PostResult::Posted) {
        std::fprintf(stderr, "j4ctl: %s\n", postResultText(result));
        return exitStatusFor(result);
    }
    return EXIT_DONE;
}
