#pragma once
// Watches the allocations of this test program, whose operator new is replaced.
#include <cstddef>

namespace qmtest {
long allocationCount();
std::size_t largestAllocation(); // since the last reset
void resetLargestAllocation();
} // namespace qmtest
