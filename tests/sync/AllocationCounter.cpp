#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_count{0};
std::atomic<std::size_t> g_largest{0};
} // namespace

void* operator new(std::size_t size) {
    ++g_count;
    if (size > g_largest)
        g_largest = size;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace qmtest {
long allocationCount() { return g_count; }
std::size_t largestAllocation() { return g_largest; }
void resetLargestAllocation() { g_largest = 0; }
} // namespace qmtest
