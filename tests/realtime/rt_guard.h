#pragma once

// Catches allocation and locking on the audio thread. The test executable replaces
// malloc and its family and the pthread lock functions; while a RealtimeScope is
// open on a thread, every such call made on that thread is counted.

#include <cstddef>

namespace rtguard {

class RealtimeScope {
 public:
  RealtimeScope();
  ~RealtimeScope();
  RealtimeScope(const RealtimeScope&) = delete;
  RealtimeScope& operator=(const RealtimeScope&) = delete;
};

struct Violations {
  std::size_t allocations = 0;
  std::size_t frees = 0;
  std::size_t locks = 0;
  std::size_t Total() const { return allocations + frees + locks; }
};

Violations Count();
void ResetCount();

}  // namespace rtguard
