// The largest single operator new request since the last reset (see AllocationWatch.cpp).
#pragma once

#include <cstddef>

namespace robustness {

// More than this for one request while reading a file of a few kilobytes is a count taken on trust.
constexpr std::size_t kAbsurdAllocation = std::size_t(256) << 20;

std::size_t LargestAllocation();
void ResetLargestAllocation();

}  // namespace robustness
