// Clients and consoles in separate processes, as they run in a show.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "automation/console_exports.h"
#include "automation/console_side.h"
#include "automation/j4_automation.h"
#include "automation/tests/test_block.h"

namespace j4::automation {
namespace {

using std::chrono::milliseconds;

constexpr int GUARD_MS = 10'000;  // only ever reached when something is broken

struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() { EXPECT_EQ(pipe(fds), 0); }
    ~Pipe() {
        for (int fd : fds)
            if (fd >= 0) close(fd);
    }
    int readEnd() const { return fds[0]; }
    int writeEnd() const { return fds[1]; }
};

bool writeAll(int fd, const void* data, size_t size) {
    return write(fd, data, size) == static_cast<ssize_t>(size);
}
bool readAll(int fd, void* data, size_t size) {
    auto* p = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, p, size);
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

int exitCodeOf(pid_t pid) {
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Children run the body and leave with _exit, so nothing of the test framework runs
// twice. Forking happens while the test process has no other threads.
template <typename Body>
pid_t forkChild(Body body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    return pid;
}

TEST(Processes, ConcurrentClientsNeitherLoseNorTearCommands) {
    testing::TestBlock block;
    constexpr int CLIENTS = 4;
    constexpr int PER_CLIENT = 400;
    Pipe go;
    std::vector<pid_t> children;
    for (int client = 0; client < CLIENTS; ++client) {
        children.push_back(forkChild([&, client] {
            char start;
            if (!readAll(go.readEnd(), &start, 1)) return 10;
            J4Automation automation(block.name());
            automation.setPostTimeout(milliseconds(GUARD_MS));
            for (int seq = 0; seq < PER_CLIENT; ++seq) {
                // Every tenth command carries a path that names its sender and number.
                const PostResult r =
                    seq % 10 == 0 ? automation.Load("/c" + std::to_string(client) + "/" +
                                                    std::to_string(seq) + std::string(200, 'p'))
                                  : automation.SetSubmasterLevel(client, seq);
                if (r != PostResult::Posted) return 20 + static_cast<int>(r);
            }
            return 0;
        }));
    }

    platform::Event wakeUp;
    ConsoleSide console(block.name());
    ASSERT_EQ(console.registerConsole(&wakeUp), J4AUTO_OK);
    const char start[CLIENTS] = {};
    ASSERT_TRUE(writeAll(go.writeEnd(), start, CLIENTS));

    std::vector<int> nextSeq(CLIENTS, 0);
    int received = 0;
    while (received < CLIENTS * PER_CLIENT) {
        ASSERT_TRUE(wakeUp.wait(GUARD_MS)) << "stalled after " << received;
        J4AutoCommand c{};
        int r;
        while ((r = console.take(c)) != J4AUTO_EMPTY) {
            ASSERT_EQ(r, J4AUTO_OK);
            int client = c.argument1, seq = c.argument2;
            if (c.code == 14) {
                ASSERT_EQ(std::sscanf(c.path, "/c%d/%d", &client, &seq), 2) << c.path;
                ASSERT_EQ(std::strlen(c.path), ("/c0/" + std::to_string(seq)).size() + 200);
            } else {
                ASSERT_EQ(c.code, 1);
            }
            ASSERT_GE(client, 0);
            ASSERT_LT(client, CLIENTS);
            ASSERT_EQ(seq, nextSeq[client]) << "client " << client;  // none lost, in order
            ++nextSeq[client];
            ++received;
        }
    }
    for (pid_t pid : children) EXPECT_EQ(exitCodeOf(pid), 0);
}

TEST(Processes, AClientKilledHoldingTheQueueLockDoesNotWedgeOthers) {
#if defined(__SANITIZE_THREAD__)
    // The thread sanitizer cannot see a lock taken in another process and reports the
    // recovered robust mutex's unlock as an unlock of an unlocked mutex.
    GTEST_SKIP() << "cross-process robust mutex recovery is invisible to the sanitizer";
#endif
    testing::TestBlock block;
    for (int round = 0; round < 2; ++round) {
        const pid_t holder = forkChild([&] {
            std::string error;
            auto mine = SharedBlock::attach(block.name(), &error);
            if (!mine) return 1;
            const int rc = pthread_mutex_lock(&mine->layout().postLock);
            if (rc != 0 && rc != EOWNERDEAD) return 2;
            _exit(0);  // dies holding it, with the block still mapped as a client's is
        });
        ASSERT_EQ(exitCodeOf(holder), 0);
    }
    platform::Event wakeUp;
    ConsoleSide console(block.name());
    ASSERT_EQ(console.registerConsole(&wakeUp), J4AUTO_OK);
    J4Automation client(block.name());
    client.setPostTimeout(milliseconds(GUARD_MS));
    EXPECT_EQ(client.Play(-1), PostResult::Posted);
    EXPECT_EQ(client.Stop(), PostResult::Posted);
    J4AutoCommand c{};
    ASSERT_EQ(console.take(c), J4AUTO_OK);
    EXPECT_EQ(c.code, 10);
    ASSERT_EQ(console.take(c), J4AUTO_OK);
    EXPECT_EQ(c.code, 11);
}

TEST(Processes, ConnectedFollowsTheConsoleProcess) {
    testing::TestBlock block;
    Pipe ready;
    const pid_t consolePid = forkChild([&] {
        platform::Event wakeUp;
        ConsoleSide console(block.name());
        if (console.registerConsole(&wakeUp) != J4AUTO_OK) return 1;
        writeAll(ready.writeEnd(), "r", 1);
        for (;;) pause();
    });
    char byte;
    ASSERT_TRUE(readAll(ready.readEnd(), &byte, 1));
    J4Automation client(block.name());
    EXPECT_EQ(client.IsConnected(), 1);
    // Killed without a chance to unregister: the kernel drops its lock.
    kill(consolePid, SIGKILL);
    EXPECT_EQ(exitCodeOf(consolePid), 128 + SIGKILL);
    EXPECT_EQ(client.IsConnected(), 0);
    EXPECT_EQ(client.Stop(), PostResult::NotConnected);
}

TEST(Processes, TheConsoleExportsEndToEnd) {
    testing::TestBlock block;
    Pipe ready, taken;
    const pid_t consolePid = forkChild([&] {
        setenv("J4_AUTOMATION_BLOCK", block.name().c_str(), 1);
        platform::Event wakeUp;
        AutoDllSetTime(12'345, 0, 1, 0);
        if (AutoDllSetEvent(&wakeUp) != J4AUTO_OK) return 1;
        writeAll(ready.writeEnd(), "r", 1);
        for (;;) {
            if (!wakeUp.wait(GUARD_MS)) return 2;
            J4AutoCommand c{};
            while (AutoDllGetCommand(&c) == J4AUTO_OK) {
                writeAll(taken.writeEnd(), &c, sizeof c);
                if (c.code == 11) {
                    AutoDllSetEvent(nullptr);
                    return 0;
                }
            }
        }
    });
    char byte;
    ASSERT_TRUE(readAll(ready.readEnd(), &byte, 1));
    J4Automation client(block.name());
    EXPECT_EQ(client.IsConnected(), 1);
    EXPECT_EQ(client.J4Time(), 12'345);
    EXPECT_EQ(client.J4State(), 1);
    ASSERT_EQ(client.Load("/shows/demo.j4"), PostResult::Posted);
    ASSERT_EQ(client.Automate(60'000, -1), PostResult::Posted);
    ASSERT_EQ(client.Stop(), PostResult::Posted);

    J4AutoCommand c{};
    ASSERT_TRUE(readAll(taken.readEnd(), &c, sizeof c));
    EXPECT_EQ(c.code, 14);
    EXPECT_STREQ(c.path, "/shows/demo.j4");
    ASSERT_TRUE(readAll(taken.readEnd(), &c, sizeof c));
    EXPECT_EQ(c.code, 13);
    EXPECT_EQ(c.argument1, 60'000);
    EXPECT_EQ(c.argument2, -1);
    ASSERT_TRUE(readAll(taken.readEnd(), &c, sizeof c));
    EXPECT_EQ(c.code, 11);
    EXPECT_EQ(exitCodeOf(consolePid), 0);
    EXPECT_EQ(client.IsConnected(), 0);
}

}  // namespace
}  // namespace j4::automation
