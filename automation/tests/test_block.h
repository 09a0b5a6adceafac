#pragma once
// A shared block of the test's own, so that tests running in parallel never meet, and
// that is removed (with its console lock file) when the test ends.

#include <memory>
#include <string>

#include "automation/shared_block.h"

namespace j4::automation::testing {

class TestBlock {
  public:
    TestBlock();
    ~TestBlock();
    const std::string& name() const { return name_; }
    // A mapping of the block for looking inside (attached on construction).
    BlockLayout& layout() { return block_->layout(); }
    SharedBlock& block() { return *block_; }

  private:
    std::string name_;
    std::unique_ptr<SharedBlock> block_;
};

}  // namespace j4::automation::testing
