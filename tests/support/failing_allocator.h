// Makes the test program's memory allocations fail on demand, to see how
// the code under test behaves when memory runs out.
#ifndef HOTFIXES_TESTS_SUPPORT_FAILING_ALLOCATOR_H_
#define HOTFIXES_TESTS_SUPPORT_FAILING_ALLOCATOR_H_

#include <cstddef>

namespace failing_allocator {

// From now on, allocation number `n` (counted from 0) fails; with
// `andAllAfter`, every later one fails too.
void FailAllocation(std::size_t n, bool andAllAfter = false);
// Allocations succeed again; returns how many were made while armed.
std::size_t Disarm();
// The bytes asked for while armed (the last time, if disarmed since).
std::size_t BytesAllocated();

// Arms for the life of a scope.
class Scope {
 public:
  Scope(std::size_t n, bool andAllAfter = false) {
    FailAllocation(n, andAllAfter);
  }
  ~Scope() { Disarm(); }
  Scope(const Scope&) = delete;
  Scope& operator=(const Scope&) = delete;
};

}  // namespace failing_allocator

#endif  // HOTFIXES_TESTS_SUPPORT_FAILING_ALLOCATOR_H_
