#pragma once
// The block of memory every automation client and the console share: POSIX shared
// memory private to the user (mode 0600, owner checked on attach), starting with a
// header that names its layout, so that a stranger's or another version's block is
// refused instead of misread.
//
// Nothing in the block is trusted: readers validate every index before use.

#include <pthread.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "automation/commands.h"
#include "automation/j4auto.h"

namespace j4::automation {

inline constexpr uint32_t BLOCK_MAGIC = 0x4A344155;  // "UA4J" in memory order
inline constexpr uint32_t BLOCK_VERSION = 1;
// 25 slots: the queue is full when one is left, so 24 commands wait at most.
inline constexpr int32_t SLOT_COUNT = 25;

struct CommandSlot {
    int32_t code;
    int32_t argument1;
    int32_t argument2;
    char path[PATH_FIELD_BYTES];
};

// All 32-bit fields are accessed through std::atomic_ref.
struct BlockLayout {
    uint32_t magic;
    uint32_t version;
    uint32_t size;  // sizeof(BlockLayout): differs between ABIs, so it is checked too
    uint32_t reserved;

    // The console's clock, published every frame under a sequence count (odd while
    // being written) so that a reader gets the four values of one frame.
    uint32_t clockSequence;
    int32_t clock[4];  // time ms, mode, state, timecode status

    // Bumped after every post; the console's waiter sleeps on it as a futex word.
    uint32_t wakeSequence;

    int32_t writeIndex;  // next slot to fill, 0..24: clients under postLock
    int32_t readIndex;   // next slot to take, 0..24: the console only

    // Serialises posting clients. Process-shared and robust: a client that dies while
    // holding it hands the next locker EOWNERDEAD instead of wedging everyone.
    pthread_mutex_t postLock;

    CommandSlot slots[SLOT_COUNT];
};

class SharedBlock {
  public:
    ~SharedBlock();
    SharedBlock(const SharedBlock&) = delete;
    SharedBlock& operator=(const SharedBlock&) = delete;

    // $J4_AUTOMATION_BLOCK when set (tests use a name of their own), else
    // "/j4auto-<uid>".
    static std::string defaultName();
    // A POSIX shared-memory name: "/" followed by 1..200 characters without "/".
    J4AUTO_API static bool isValidName(std::string_view name);

    // Opens the block, creating and initialising it when it does not exist yet (or
    // when its creator died before finishing). nullptr with `error` set when the name
    // is invalid, the block belongs to another user or is open to others, or its header
    // does not match this library.
    static std::unique_ptr<SharedBlock> attach(const std::string& name, std::string* error);

    // Deletes the name; processes that have the block mapped keep it. Tests only.
    static bool remove(const std::string& name);

    BlockLayout& layout() { return *layout_; }
    const BlockLayout& layout() const { return *layout_; }
    const std::string& name() const { return name_; }

    // The lock file a running console holds: the kernel drops it when the console
    // dies, so "connected" can never outlive the console.
    std::string consoleLockPath() const;

  private:
    SharedBlock(std::string name, BlockLayout* layout) : name_(std::move(name)), layout_(layout) {}

    std::string name_;
    BlockLayout* layout_;
};

}  // namespace j4::automation
