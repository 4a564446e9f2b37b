#pragma once
// Test programs whose freed memory is poisoned (items/PoisonedHeap.cpp) replace the global
// operator new; a test that must see the blocks asked for watches them through this hook instead
// of replacing the operator again.
#include <atomic>
#include <cstddef>

namespace testing_support {

using TAllocationWatch = void (*)(size_t size);
// While set, told the size of every block asked for, on whatever thread asks; it must not
// allocate.
extern std::atomic<TAllocationWatch> AllocationWatch;

}  // namespace testing_support
