#include "framework/timer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// Hands out its own timer ids, from 1, and fires them when a test says so.
class FakeClock final : public fw::TimerClock {
 public:
  uint64_t StartPlatformTimer(uint32_t) override { return refuse ? 0 : nextId++; }
  void StopPlatformTimer(uint64_t id) override { stopped.push_back(id); }
  void Fire(uint64_t id) const { fw::TimerImpl::Dispatch(*this, id); }

  bool refuse = false;
  uint64_t nextId = 1;
  std::vector<uint64_t> stopped;
};

// A callback that notes which timer it was handed.
fw::TimerImpl::Callback Note(std::vector<fw::Timer*>& fired) {
  return [&fired](fw::Timer& timer) { fired.push_back(&timer); };
}

TEST(Timer, StopsItsPlatformTimerOnce) {
  FakeClock clock;
  std::vector<fw::Timer*> fired;
  auto timer = fw::StartTimer(clock, Note(fired), 20);
  timer->Stop();
  timer->Stop();
  clock.Fire(1);
  timer.reset();
  EXPECT_EQ(clock.stopped, (std::vector<uint64_t>{1}));
  EXPECT_TRUE(fired.empty());

  auto destroyed = fw::StartTimer(clock, Note(fired), 20);
  destroyed.reset();
  EXPECT_EQ(clock.stopped, (std::vector<uint64_t>{1, 2}));
}

TEST(Timer, DispatchRunsTheTimerOfThatClockAndId) {
  FakeClock first, second;  // both hand out id 1
  std::vector<fw::Timer*> fired;
  auto a = fw::StartTimer(first, Note(fired), 20);
  auto b = fw::StartTimer(second, Note(fired), 20);
  auto c = fw::StartTimer(first, Note(fired), 20);
  second.Fire(1);
  first.Fire(2);
  first.Fire(1);
  first.Fire(3);  // unknown: nothing
  EXPECT_EQ(fired, (std::vector<fw::Timer*>{b.get(), c.get(), a.get()}));

  fired.clear();
  a->Stop();  // the others keep running
  first.Fire(1);
  second.Fire(1);
  first.Fire(2);
  EXPECT_EQ(fired, (std::vector<fw::Timer*>{b.get(), c.get()}));
}

TEST(Timer, CallbackMayStopDestroyOrStartTimers) {
  FakeClock clock;
  int calls = 0;
  auto stopping = fw::StartTimer(
      clock,
      [&](fw::Timer& self) {
        ++calls;
        self.Stop();
      },
      20);
  std::unique_ptr<fw::Timer> destroying;
  destroying = fw::StartTimer(
      clock,
      [&](fw::Timer&) {
        ++calls;
        destroying.reset();
      },
      20);
  std::unique_ptr<fw::Timer> started;
  auto starting = fw::StartTimer(
      clock,
      [&](fw::Timer&) {
        started = fw::StartTimer(
            clock, [](fw::Timer&) {}, 20);
      },
      20);

  for (uint64_t id : {1, 2, 3, 1, 2})
    clock.Fire(id);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(destroying, nullptr);
  EXPECT_EQ(clock.stopped, (std::vector<uint64_t>{1, 2}));
  ASSERT_NE(started, nullptr);
  EXPECT_TRUE(static_cast<fw::TimerImpl&>(*started).Running());
}

TEST(Timer, CallbackKeepsItsStateFromTickToTick) {
  FakeClock clock;
  std::vector<int> ticks;
  auto timer = fw::StartTimer(
      clock, [&ticks, count = 0](fw::Timer&) mutable { ticks.push_back(++count); }, 20);
  for (int i = 0; i < 3; ++i)
    clock.Fire(1);
  EXPECT_EQ(ticks, (std::vector<int>{1, 2, 3}));
}

TEST(Timer, TimerWithoutAPlatformTimerNeverFires) {
  FakeClock clock;
  clock.refuse = true;
  std::vector<fw::Timer*> fired;
  auto timer = fw::StartTimer(clock, Note(fired), 20);
  ASSERT_NE(timer, nullptr);
  EXPECT_FALSE(static_cast<fw::TimerImpl&>(*timer).Running());
  for (uint64_t id : {0, 1})
    clock.Fire(id);
  timer.reset();
  EXPECT_TRUE(fired.empty());
  EXPECT_TRUE(clock.stopped.empty());
}

}  // namespace
