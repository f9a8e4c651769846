#include "clap/timer_clocks.h"

#include <algorithm>

namespace fw {

std::unique_ptr<ClapTimerClock> ClapTimerClock::For(
    const clap_host_t* host, const clap_host_timer_support_t* timerSupport) {
  if (timerSupport && timerSupport->register_timer && timerSupport->unregister_timer) {
    return std::make_unique<HostTimerClock>(host, timerSupport);
  }
  return std::make_unique<CallbackTimerClock>(host);
}

uint64_t HostTimerClock::StartPlatformTimer(uint32_t intervalMs) {
  clap_id id = CLAP_INVALID_ID;
  if (!timerSupport_->register_timer(host_, intervalMs, &id) || id == CLAP_INVALID_ID) return 0;
  return uint64_t{id} + 1;
}

void HostTimerClock::StopPlatformTimer(uint64_t id) {
  timerSupport_->unregister_timer(host_, static_cast<clap_id>(id - 1));
}

void HostTimerClock::OnHostTimer(clap_id id) { TimerImpl::Dispatch(*this, uint64_t{id} + 1); }

CallbackTimerClock::~CallbackTimerClock() {
  {
    std::lock_guard guard(lock_);
    quit_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

uint64_t CallbackTimerClock::StartPlatformTimer(uint32_t intervalMs) {
  std::lock_guard guard(lock_);
  const auto interval = std::chrono::milliseconds(std::max<uint32_t>(intervalMs, 1));
  const uint64_t id = nextId_++;
  entries_.push_back({id, interval, Clock::now() + interval, false});
  if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  wake_.notify_all();
  return id;
}

void CallbackTimerClock::StopPlatformTimer(uint64_t id) {
  std::lock_guard guard(lock_);
  std::erase_if(entries_, [id](const Entry& e) { return e.id == id; });
}

void CallbackTimerClock::Run() {
  std::unique_lock guard(lock_);
  while (!quit_) {
    if (entries_.empty()) {
      wake_.wait(guard);
      continue;
    }
    auto next = std::min_element(entries_.begin(), entries_.end(),
                                 [](const Entry& a, const Entry& b) { return a.next < b.next; });
    if (wake_.wait_until(guard, next->next) == std::cv_status::no_timeout) continue;
    bool request = false;
    const auto now = Clock::now();
    for (Entry& entry : entries_) {
      if (entry.next > now) continue;
      request = request || !entry.due;
      entry.due = true;
      entry.next = std::max(entry.next + entry.interval, now);
    }
    if (request && host_ && host_->request_callback) {
      guard.unlock();
      host_->request_callback(host_);
      guard.lock();
    }
  }
}

void CallbackTimerClock::OnMainThreadCallback() {
  std::vector<uint64_t> due;
  {
    std::lock_guard guard(lock_);
    for (Entry& entry : entries_) {
      if (entry.due) due.push_back(entry.id);
      entry.due = false;
    }
  }
  // Dispatched outside the lock: a callback may stop or start timers.
  for (uint64_t id : due) TimerImpl::Dispatch(*this, id);
}

}  // namespace fw
