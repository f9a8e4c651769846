#include "tests/framework/allocation_counter.h"

#include <cstdlib>
#include <new>

namespace fwtest {
namespace {

// A plain pointer: reading it never allocates, even from inside operator new.
thread_local AllocationCounter* activeCounter = nullptr;

}  // namespace

AllocationCounter::AllocationCounter() {
  activeCounter = this;
}

AllocationCounter::~AllocationCounter() {
  activeCounter = nullptr;
}

void AllocationCounter::NoteAllocation() {
  if (activeCounter) ++activeCounter->count_;
}

}  // namespace fwtest

namespace {

void* Allocate(std::size_t size) {
  fwtest::AllocationCounter::NoteAllocation();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void* AllocateAligned(std::size_t size, std::align_val_t alignment) {
  fwtest::AllocationCounter::NoteAllocation();
  const auto align = static_cast<std::size_t>(alignment);
  // aligned_alloc wants a whole number of alignments.
  const std::size_t rounded = (size + align - 1) / align * align;
  if (void* p = std::aligned_alloc(align, rounded ? rounded : align)) return p;
  throw std::bad_alloc();
}

}  // namespace

// The nothrow forms of the standard library call these.
void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
  return AllocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
  return AllocateAligned(size, alignment);
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
void operator delete(void* p, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
  std::free(p);
}
