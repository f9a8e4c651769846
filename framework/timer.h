#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace fw {

// A repeating main-thread timer. Destroying it stops it.
class Timer {
 public:
  virtual ~Timer() = default;
  virtual void Stop() = 0;
};

// The platform seam that makes repeating timers fire on the main thread. A clock
// hands out its own timer ids; when one fires it calls TimerImpl::Dispatch.
class TimerClock {
 public:
  virtual ~TimerClock() = default;
  // Starts a repeating platform timer; 0 when none could be made.
  virtual uint64_t StartPlatformTimer(uint32_t intervalMs) = 0;
  virtual void StopPlatformTimer(uint64_t id) = 0;
};

class TimerImpl final : public Timer {
 public:
  using Callback = std::function<void(Timer&)>;

  TimerImpl(TimerClock& clock, Callback callback, uint32_t intervalMs);
  ~TimerImpl() override;
  void Stop() override;

  bool Running() const { return timerId_ != 0; }
  uint32_t IntervalMs() const { return intervalMs_; }

  // Runs the callback of the running timer that `clock` knows as `id`. Callbacks run
  // one at a time across the process; a callback may stop or destroy its own timer.
  static void Dispatch(const TimerClock& clock, uint64_t id);

 private:
  TimerClock& clock_;
  uint64_t timerId_ = 0;
  // Shared so that a dispatch keeps the callback alive while it destroys its own
  // timer, without copying it: a callback's state then carries from tick to tick.
  std::shared_ptr<Callback> callback_;
  uint32_t intervalMs_;
  // Links of the process-wide registry of running timers.
  TimerImpl* previous_ = nullptr;
  TimerImpl* next_ = nullptr;
  friend struct TimerRegistry;
};

std::unique_ptr<Timer> StartTimer(TimerClock& clock, TimerImpl::Callback callback,
                                  uint32_t intervalMs);

}  // namespace fw
