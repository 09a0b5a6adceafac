#include "common/testing/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace j4::common::testing {

std::atomic<long>& allocationCount() {
    static std::atomic<long> count{0};
    return count;
}

std::atomic<bool>& countingAllocations() {
    static std::atomic<bool> on{false};
    return on;
}

}  // namespace j4::common::testing

void* operator new(std::size_t size) {
    if (j4::common::testing::countingAllocations().load(std::memory_order_relaxed))
        ++j4::common::testing::allocationCount();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
