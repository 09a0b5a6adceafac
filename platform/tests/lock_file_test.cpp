#include "platform/lock_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace j4::platform {
namespace {

std::string testFolder() {
    const char* root = std::getenv("J4_SETTINGS_ROOT");
    return std::string(root != nullptr ? root : "/tmp/j4-platform-test") + "/locks";
}

TEST(LockFile, SecondHolderInTheSameProcessSeesInUse) {
    const std::string path = testFolder() + "/deep/er/same.lock";
    LockFile first, second;
    ASSERT_EQ(first.tryLock(path), LockFile::Result::Acquired);  // creates the folders
    EXPECT_TRUE(first.locked());
    EXPECT_EQ(second.tryLock(path), LockFile::Result::InUse);
    EXPECT_FALSE(second.locked());
    EXPECT_TRUE(LockFile::isHeld(path));

    LockFile moved(std::move(first));
    EXPECT_FALSE(first.locked());
    EXPECT_TRUE(moved.locked());
    EXPECT_EQ(second.tryLock(path), LockFile::Result::InUse);
    moved.unlock();
    EXPECT_FALSE(LockFile::isHeld(path));
    EXPECT_EQ(second.tryLock(path), LockFile::Result::Acquired);
}

TEST(LockFile, RefusesWhatCannotBeALockFile) {
    LockFile lock;
    EXPECT_EQ(lock.tryLock(""), LockFile::Result::Failed);
    EXPECT_EQ(lock.tryLock(testFolder()), LockFile::Result::Failed);  // a folder
    EXPECT_FALSE(LockFile::isHeld(testFolder() + "/never-created.lock"));
    const std::string link = testFolder() + "/planted.lock";
    unlink(link.c_str());
    ASSERT_EQ(symlink("/tmp/elsewhere.lock", link.c_str()), 0);
    EXPECT_EQ(lock.tryLock(link), LockFile::Result::Failed);
}

TEST(LockFile, HeldByAnotherProcessUntilThatProcessDies) {
    const std::string path = testFolder() + "/cross.lock";
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        LockFile lock;
        const char answer = lock.tryLock(path) == LockFile::Result::Acquired ? 'y' : 'n';
        if (write(ready[1], &answer, 1) != 1) _exit(1);
        for (;;) pause();  // holds the lock until killed
    }
    close(ready[1]);
    char answer = 0;
    ASSERT_EQ(read(ready[0], &answer, 1), 1);
    close(ready[0]);
    ASSERT_EQ(answer, 'y');

    LockFile mine;
    EXPECT_EQ(mine.tryLock(path), LockFile::Result::InUse);
    EXPECT_TRUE(LockFile::isHeld(path));

    // A crash must not leave the resource marked in use.
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_FALSE(LockFile::isHeld(path));
    EXPECT_EQ(mine.tryLock(path), LockFile::Result::Acquired);
}

TEST(LockFile, RuntimeFolderFollowsTheEnvironment) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string keep = saved != nullptr ? saved : "";
    setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(LockFile::runtimeFolder(), "/run/user/4242/corvanta-j4");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(LockFile::runtimeFolder(), "/tmp/corvanta-j4-" + std::to_string(getuid()));
    if (saved != nullptr) setenv("XDG_RUNTIME_DIR", keep.c_str(), 1);
}

}  // namespace
}  // namespace j4::platform
