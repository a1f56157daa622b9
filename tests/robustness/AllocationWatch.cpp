// The test program's own operator new: it remembers the largest single request, so a reader that
// believes a count in a damaged file and asks for gigabytes is caught even when the machine grants it.
#include <atomic>
#include <cstdlib>
#include <new>

#include "tests/robustness/AllocationWatch.h"

namespace {

std::atomic<std::size_t> largest{0};

void* Allocate(std::size_t size) {
    std::size_t seen = largest.load(std::memory_order_relaxed);
    while (size > seen && !largest.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {
    }
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    return p;
}

}  // namespace

namespace robustness {

std::size_t LargestAllocation() {
    return largest.load(std::memory_order_relaxed);
}

void ResetLargestAllocation() {
    largest.store(0, std::memory_order_relaxed);
}

}  // namespace robustness

void* operator new(std::size_t size) {
    return Allocate(size);
}
void* operator new[](std::size_t size) {
    return Allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
