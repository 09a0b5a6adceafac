#pragma once
// File-system side of compound files: OFD locks for the sharing modes, reading a whole
// file, and replacing a file safely (temporary file in the same folder, fsync, rename,
// fsync of the folder).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/compound/compound_file.h"

namespace j4::platform::compound_detail {

// Takes a whole-file OFD lock without waiting: shared for readers, exclusive for
// writers. InUse when another open file description holds a conflicting lock (also in
// this process: that is what makes a second exclusive open fail).
CompoundStatus lockWholeFile(int fd, bool exclusive);
// True when some open of `path` holds a lock that an exclusive open would conflict with.
bool lockedByOthers(const std::string& path);

// Opens `path` and takes the lock for the sharing mode; NotFound when it is missing.
CompoundResult<int> openLocked(const std::string& path, bool exclusive);
CompoundResult<std::vector<uint8_t>> readWholeFile(int fd, uint64_t maxSize);

struct SafeWriteOptions {
    std::optional<std::string> backupPath;
    // Keep the new file open, holding an exclusive lock from before it appears under
    // its name, and return its descriptor.
    bool keepLocked = false;
};

// Replaces `path` by `bytes` so that a crash leaves the old or the new content. Returns
// the locked descriptor (keepLocked) or -1.
CompoundResult<int> replaceFileSafely(const std::string& path, std::span<const uint8_t> bytes,
                                      const SafeWriteOptions& options);

}  // namespace j4::platform::compound_detail
