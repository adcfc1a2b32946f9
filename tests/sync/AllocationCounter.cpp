#include "AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> g_count{0};
std::atomic<std::size_t> g_largest{0};
} // namespace

// The nothrow form too (std::stable_sort's buffer uses it), so that every block the
// replaced operator delete frees came from here.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    ++g_count;
    if (size > g_largest)
        g_largest = size;
    return std::malloc(size ? size : 1);
}
void* operator new(std::size_t size) {
    if (void* p = operator new(size, std::nothrow))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace qmtest {
long allocationCount() { return g_count; }
std::size_t largestAllocation() { return g_largest; }
void resetLargestAllocation() { g_largest = 0; }
} // namespace qmtest
