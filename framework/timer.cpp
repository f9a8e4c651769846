#include "framework/timer.h"

#include <mutex>
#include <type_traits>

namespace fw {

// The process-wide list of running timers, linked through the timers themselves, in
// the order they started. The lock is recursive because a callback, which runs under
// it, may stop its own timer or start another. Nothing here has a destructor, so a
// host that destroys instances (and so stops timers) from its own exit handlers,
// after this module's static objects are gone, still finds the registry intact, and
// unloading the module leaves nothing behind.
struct TimerRegistry {
  std::recursive_mutex lock;
  TimerImpl* first = nullptr;
  TimerImpl* last = nullptr;
};

namespace {

constinit TimerRegistry registry;
static_assert(std::is_trivially_destructible_v<TimerRegistry>);

}  // namespace

TimerImpl::TimerImpl(TimerClock& clock, Callback callback, uint32_t intervalMs)
    : clock_(clock),
      callback_(std::make_shared<Callback>(std::move(callback))),
      intervalMs_(intervalMs) {
  std::lock_guard guard(registry.lock);
  timerId_ = clock_.StartPlatformTimer(intervalMs_);
  if (timerId_ == 0) return;
  previous_ = registry.last;
  (previous_ ? previous_->next_ : registry.first) = this;
  registry.last = this;
}

TimerImpl::~TimerImpl() {
  Stop();
}

void TimerImpl::Stop() {
  std::lock_guard guard(registry.lock);
  if (timerId_ == 0) return;
  clock_.StopPlatformTimer(timerId_);
  (previous_ ? previous_->next_ : registry.first) = next_;
  (next_ ? next_->previous_ : registry.last) = previous_;
  previous_ = next_ = nullptr;
  timerId_ = 0;
}

void TimerImpl::Dispatch(const TimerClock& clock, uint64_t id) {
  std::lock_guard guard(registry.lock);
  for (TimerImpl* timer = registry.first; timer; timer = timer->next_) {
    if (&timer->clock_ == &clock && timer->timerId_ == id) {
      const std::shared_ptr<Callback> callback = timer->callback_;
      (*callback)(*timer);
      return;
    }
  }
}

std::unique_ptr<Timer> StartTimer(TimerClock& clock, TimerImpl::Callback callback,
                                  uint32_t intervalMs) {
  return std::make_unique<TimerImpl>(clock, std::move(callback), intervalMs);
}

}  // namespace fw
