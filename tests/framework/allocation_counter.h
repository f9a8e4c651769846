#pragma once

namespace fwtest {

// Counts the heap allocations made on the calling thread while it is alive. The
// test executable replaces the global allocation functions to make this possible.
class AllocationCounter {
 public:
  AllocationCounter();
  ~AllocationCounter();
  AllocationCounter(const AllocationCounter&) = delete;
  AllocationCounter& operator=(const AllocationCounter&) = delete;

  int Count() const { return count_; }

  // Called by the replaced allocation functions.
  static void NoteAllocation();

 private:
  int count_ = 0;
};

}  // namespace fwtest
