// Attaching refuses blocks it cannot trust and finishes ones whose creator died.

#include "automation/shared_block.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "automation/tests/test_block.h"

namespace j4::automation {
namespace {

// Runs `spoil` on the raw shared-memory object and returns whether attaching succeeds.
bool attachesAfter(const std::function<void(int fd, BlockLayout*)>& spoil) {
    testing::TestBlock block;  // created properly
    const int fd = shm_open(block.name().c_str(), O_RDWR, 0);
    EXPECT_GE(fd, 0);
    void* m = mmap(nullptr, sizeof(BlockLayout), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    spoil(fd, static_cast<BlockLayout*>(m));
    munmap(m, sizeof(BlockLayout));
    close(fd);
    std::string error;
    const bool ok = SharedBlock::attach(block.name(), &error) != nullptr;
    if (!ok) {
        EXPECT_FALSE(error.empty());
    }
    return ok;
}

TEST(SharedBlock, AttachChecksTheHeaderAndTheOwner) {
    EXPECT_TRUE(attachesAfter([](int, BlockLayout*) {}));
    EXPECT_FALSE(attachesAfter([](int, BlockLayout* b) { b->magic ^= 1; }));
    EXPECT_FALSE(attachesAfter([](int, BlockLayout* b) { b->version = BLOCK_VERSION + 1; }));
    EXPECT_FALSE(attachesAfter([](int, BlockLayout* b) { b->size = 840; }));
    EXPECT_FALSE(attachesAfter([](int fd, BlockLayout*) { ASSERT_EQ(ftruncate(fd, 840), 0); }));
    EXPECT_FALSE(attachesAfter([](int fd, BlockLayout*) { ASSERT_EQ(fchmod(fd, 0644), 0); }));
}

TEST(SharedBlock, ABlockLeftHalfMadeIsFinished) {
    testing::TestBlock block;
    block.layout().magic = 0;  // its creator died before the last step
    block.layout().writeIndex = 7;
    std::string error;
    auto again = SharedBlock::attach(block.name(), &error);
    ASSERT_NE(again, nullptr) << error;
    EXPECT_EQ(again->layout().magic, BLOCK_MAGIC);
    EXPECT_EQ(again->layout().writeIndex, 0);
}

TEST(SharedBlock, IsPrivateToTheUser) {
    testing::TestBlock block;
    struct stat st {};
    const int fd = shm_open(block.name().c_str(), O_RDONLY, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(fstat(fd, &st), 0);
    close(fd);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(st.st_uid, geteuid());
}

}  // namespace
}  // namespace j4::automation
