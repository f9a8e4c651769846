#include "framework/lock_free_queue.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <thread>

#include "tests/framework/allocation_counter.h"

namespace {

TEST(LockFreeQueue, HoldsCapacityElementsInOrderAcrossTheWrap) {
  fw::LockFreeQueue<int, 4> queue;
  int next = 0;
  int expected = 0;
  // Several rounds so the indices wrap around the five slots more than once.
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 4; ++i) {
      ASSERT_TRUE(queue.Push(next++));
      EXPECT_EQ(queue.Available(), static_cast<std::size_t>(i + 1));
    }
    EXPECT_FALSE(queue.Push(-1)) << "the (C+1)th element";
    EXPECT_EQ(queue.Available(), 4u);
    int out = -2;
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(queue.Pop(out));
      EXPECT_EQ(out, expected++);
    }
    EXPECT_EQ(queue.Available(), 1u);
    ASSERT_TRUE(queue.Pop(out));
    EXPECT_EQ(out, expected++);
    EXPECT_FALSE(queue.Pop(out));
    EXPECT_EQ(out, expected - 1) << "a failed pop leaves the output alone";
    EXPECT_EQ(queue.Available(), 0u);
  }
}

// Wider than a machine word, so a slot read while it is written would show.
struct Numbered {
  uint64_t sequence;
  uint64_t check[3];
};

Numbered Make(uint64_t sequence) {
  return {sequence, {sequence * 3, ~sequence, sequence ^ 0x5555555555555555u}};
}

bool Intact(const Numbered& n) {
  return n.check[0] == n.sequence * 3 && n.check[1] == ~n.sequence &&
         n.check[2] == (n.sequence ^ 0x5555555555555555u);
}

TEST(LockFreeQueue, OneProducerAndOneConsumerLoseAndReorderNothing) {
  constexpr uint64_t kElements = 2'000'000;
  fw::LockFreeQueue<Numbered, 512> queue;
  std::thread producer([&] {
    for (uint64_t i = 0; i < kElements;) {
      if (queue.Push(Make(i))) {
        ++i;
      } else {
        std::this_thread::yield();  // full: the element was refused, offer it again
      }
    }
  });
  uint64_t received = 0;
  uint64_t faults = 0;
  uint64_t firstFault = 0;
  Numbered element{};
  while (received < kElements) {
    if (!queue.Pop(element)) {
      std::this_thread::yield();
      continue;
    }
    if (element.sequence != received || !Intact(element)) {
      if (faults++ == 0) firstFault = received;
    }
    ++received;
  }
  producer.join();
  EXPECT_EQ(faults, 0u) << "first at element " << firstFault;
  EXPECT_FALSE(queue.Pop(element));
}

TEST(LockFreeQueue, PushAndPopAllocateNothing) {
  fw::LockFreeQueue<Numbered, 8> queue;
  {
    // The counter sees allocations at all.
    fwtest::AllocationCounter counter;
    auto probe = std::make_unique<Numbered>();
    EXPECT_EQ(counter.Count(), 1);
  }
  fwtest::AllocationCounter counter;
  Numbered element{};
  for (uint64_t i = 0; i < 20; ++i)
    queue.Push(Make(i));  // also into the full ring
  while (queue.Pop(element)) {
  }
  queue.Pop(element);  // and from the empty one
  EXPECT_EQ(counter.Count(), 0);
}

}  // namespace
