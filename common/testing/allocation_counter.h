#pragma once
// Counts calls of the global operator new while a scope is active, to check that a
// frame path allocates nothing.

#include <atomic>

namespace j4::common::testing {

std::atomic<long>& allocationCount();
std::atomic<bool>& countingAllocations();

class CountAllocations {
  public:
    CountAllocations() {
        allocationCount() = 0;
        countingAllocations() = true;
    }
    ~CountAllocations() { countingAllocations() = false; }
    long count() const { return allocationCount().load(); }
};

}  // namespace j4::common::testing
