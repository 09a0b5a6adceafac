#include "automation/tests/test_block.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>

namespace j4::automation::testing {

namespace {
std::atomic<int> counter{0};
}

TestBlock::TestBlock() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    name_ = "/j4auto-test-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + "-" +
            (info ? info->name() : "x");
    std::string error;
    block_ = SharedBlock::attach(name_, &error);
    if (!block_) ADD_FAILURE() << error;
}

TestBlock::~TestBlock() {
    if (block_) std::remove(block_->consoleLockPath().c_str());
    SharedBlock::remove(name_);
}

}  // namespace j4::automation::testing
