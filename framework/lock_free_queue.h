#pragma once

#include <atomic>
#include <cstddef>
#include <memory>

namespace fw {

// Fixed-capacity ring for exactly one producer thread and one consumer thread.
// The slot is written before the index that publishes it; a push into a full ring
// is refused, so neither side ever waits. Storage is allocated once, up front.
template <class T, std::size_t Capacity>
class LockFreeQueue {
 public:
  static constexpr std::size_t kSlots = Capacity + 1;

  LockFreeQueue() : slots_(new T[kSlots]()) {}
  LockFreeQueue(const LockFreeQueue&) = delete;
  LockFreeQueue& operator=(const LockFreeQueue&) = delete;

  bool Push(const T& element) {
    std::size_t write = write_.load(std::memory_order_acquire);
    std::size_t next = (write + 1) % kSlots;
    if (next == read_.load(std::memory_order_acquire)) return false;
    slots_[write] = element;
    write_.store(next, std::memory_order_release);
    return true;
  }

  bool Pop(T& out) {
    std::size_t read = read_.load(std::memory_order_acquire);
    if (read == write_.load(std::memory_order_acquire)) return false;
    out = slots_[read];
    read_.store((read + 1) % kSlots, std::memory_order_release);
    return true;
  }

  std::size_t Available() const {
    std::size_t write = write_.load(std::memory_order_acquire);
    std::size_t read = read_.load(std::memory_order_acquire);
    return (write + kSlots - read) % kSlots;
  }

  static constexpr std::size_t capacity() { return Capacity; }

 private:
  std::unique_ptr<T[]> slots_;
  alignas(64) std::atomic<std::size_t> write_{0};
  alignas(64) std::atomic<std::size_t> read_{0};
};

}  // namespace fw
