#include "support/failing_allocator.h"

#include <cstdlib>
#include <new>

#include "platform/platform-fake.h"

namespace failing_allocator {
namespace {

bool armed = false;
bool failAllAfter = false;
std::size_t failAt = 0;
std::size_t count = 0;
std::size_t bytes = 0;

bool ShouldFail(std::size_t size) {
  // What the fake records of the program's output is not the program's
  // memory: it is neither counted nor failed.
  if (!armed || fake::Recording()) return false;
  bytes += size;
  const std::size_t index = count++;
  return index == failAt || (failAllAfter && index > failAt);
}

}  // namespace

void FailAllocation(std::size_t n, bool andAllAfter) {
  failAt = n;
  failAllAfter = andAllAfter;
  count = 0;
  bytes = 0;
  armed = true;
}

std::size_t Disarm() {
  armed = false;
  return count;
}

std::size_t BytesAllocated() { return bytes; }

}  // namespace failing_allocator

void* operator new(std::size_t size) {
  if (failing_allocator::ShouldFail(size)) throw std::bad_alloc();
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}

void* operator new[](std::size_t size) { return ::operator new(size); }

void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

// The nothrow forms too (std::stable_sort asks for its buffer with them):
// each must pair with the delete above.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (failing_allocator::ShouldFail(size)) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return ::operator new(size, tag);
}
void operator delete(void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}
void operator delete[](void* block, const std::nothrow_t&) noexcept {
  std::free(block);
}
