#include "framework/timer.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace fw {
namespace {

// The process-wide list of running timers. The lock is recursive because a
// callback, which runs under it, may stop its own timer or start another.
struct Registry {
  std::recursive_mutex lock;
  std::vector<TimerImpl*> timers;
};

// Never destroyed: a host may destroy instances (and so stop timers) from its own exit
// handlers, after this module's static objects are gone.
Registry& TheRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

}  // namespace

TimerImpl::TimerImpl(TimerClock& clock, Callback callback, uint32_t intervalMs)
    : clock_(clock),
      callback_(std::make_shared<Callback>(std::move(callback))),
      intervalMs_(intervalMs) {
  Registry& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  timerId_ = clock_.StartPlatformTimer(intervalMs_);
  if (timerId_ != 0) registry.timers.push_back(this);
}

TimerImpl::~TimerImpl() { Stop(); }

void TimerImpl::Stop() {
  Registry& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  if (timerId_ == 0) return;
  clock_.StopPlatformTimer(timerId_);
  registry.timers.erase(std::find(registry.timers.begin(), registry.timers.end(), this));
  timerId_ = 0;
}

void TimerImpl::Dispatch(const TimerClock& clock, uint64_t id) {
  Registry& registry = TheRegistry();
  std::lock_guard guard(registry.lock);
  auto found = std::find_if(registry.timers.begin(), registry.timers.end(), [&](TimerImpl* t) {
    return &t->clock_ == &clock && t->timerId_ == id;
  });
  if (found == registry.timers.end()) return;
  TimerImpl& timer = **found;
  const std::shared_ptr<Callback> callback = timer.callback_;
  (*callback)(timer);
}

std::unique_ptr<Timer> StartTimer(TimerClock& clock, TimerImpl::Callback callback,
                                  uint32_t intervalMs) {
  return std::make_unique<TimerImpl>(clock, std::move(callback), intervalMs);
}

}  // namespace fw
