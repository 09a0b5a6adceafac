#pragma once
// Runs a function in a forked child and reports how the child ended, for tests that
// need a second process (locks, settings written by another process).

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

namespace j4::platform::testing {

// The child's exit code is the function's result; -1 when it could not be run or did
// not exit normally.
inline int runInChild(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) _exit(body());
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace j4::platform::testing
