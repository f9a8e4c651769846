#include "clap/timer_clocks.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace fw {

std::unique_ptr<ClapTimerClock> ClapTimerClock::For(const clap_host_t* host,
                                                    const clap_host_timer_support_t* timerSupport) {
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

void HostTimerClock::OnHostTimer(clap_id id) {
  TimerImpl::Dispatch(*this, uint64_t{id} + 1);
}

namespace {

// The one thread that wakes the hosts of every callback clock in the process.
class CallbackPump {
 public:
  static CallbackPump& Instance() {
    // Never destroyed, since clocks may be released from exit handlers after statics are
    // gone; and not on the heap, which a module unloaded by its host would leak.
    alignas(CallbackPump) static unsigned char storage[sizeof(CallbackPump)];
    static CallbackPump* pump = new (storage) CallbackPump;
    return *pump;
  }

  void Attach() {
    std::lock_guard guard(lock_);
    // A thread still finishing from an earlier last Detach sees a newer generation and ends.
    if (clocks_++ == 0)
      thread_ = std::thread([this, generation = generation_] { Run(generation); });
  }

  // Forgets the clock's timers; waits while its host is being called, and stops the
  // thread with the last clock.
  void Detach(const CallbackTimerClock* clock) {
    std::thread finished;
    {
      std::unique_lock guard(lock_);
      std::erase_if(entries_, [clock](const Entry& e) { return e.clock == clock; });
      idle_.wait(guard, [&] { return calling_ != clock; });
      if (--clocks_ == 0) {
        ++generation_;
        finished = std::move(thread_);
        entries_ = {};  // nothing of ours stays on the heap once the last clock has gone
      }
    }
    wake_.notify_all();
    if (finished.joinable()) finished.join();
  }

  uint64_t Add(const CallbackTimerClock* clock, uint32_t intervalMs) {
    std::lock_guard guard(lock_);
    const auto interval = std::chrono::milliseconds(std::max<uint32_t>(intervalMs, 1));
    const uint64_t id = nextId_++;
    entries_.push_back({clock, id, interval, Clock::now() + interval, false});
    wake_.notify_all();
    return id;
  }

  void Remove(uint64_t id) {
    std::lock_guard guard(lock_);
    std::erase_if(entries_, [id](const Entry& e) { return e.id == id; });
  }

  // The clock's timers that fell due since its last callback.
  std::vector<uint64_t> TakeDue(const CallbackTimerClock* clock) {
    std::vector<uint64_t> due;
    std::lock_guard guard(lock_);
    for (Entry& entry : entries_) {
      if (entry.clock != clock || !entry.due) continue;
      due.push_back(entry.id);
      entry.due = false;
    }
    return due;
  }

 private:
  using Clock = std::chrono::steady_clock;
  struct Entry {
    const CallbackTimerClock* clock;
    uint64_t id;
    Clock::duration interval;
    Clock::time_point next;
    bool due;
  };

  void Run(uint64_t generation) {
    std::unique_lock guard(lock_);
    std::vector<const CallbackTimerClock*> wake;
    while (generation_ == generation) {
      if (entries_.empty()) {
        wake_.wait(guard);
        continue;
      }
      // A copy: the entries may move while the wait has the lock released.
      const Clock::time_point due =
          std::min_element(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
            return a.next < b.next;
          })->next;
      if (wake_.wait_until(guard, due) == std::cv_status::no_timeout) continue;
      const auto now = Clock::now();
      wake.clear();
      for (Entry& entry : entries_) {
        if (entry.next > now) continue;
        // One request per clock until its callback has run.
        if (!entry.due && std::find(wake.begin(), wake.end(), entry.clock) == wake.end()) {
          wake.push_back(entry.clock);
        }
        entry.due = true;
        entry.next = std::max(entry.next + entry.interval, now);
      }
      for (const CallbackTimerClock* clock : wake) {
        // Detached while we were calling another host: skip it.
        if (std::none_of(entries_.begin(), entries_.end(),
                         [clock](const Entry& e) { return e.clock == clock; })) {
          continue;
        }
        const clap_host_t* host = clock->Host();
        if (!host || !host->request_callback) continue;
        // Called unlocked, so a host that calls straight back cannot deadlock; Detach
        // waits until the call has returned.
        calling_ = clock;
        guard.unlock();
        host->request_callback(host);
        guard.lock();
        if (calling_ == clock) calling_ = nullptr;
        idle_.notify_all();
        if (generation_ != generation) break;
      }
    }
  }

  std::mutex lock_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::vector<Entry> entries_;
  const CallbackTimerClock* calling_ = nullptr;
  uint64_t nextId_ = 1;
  int clocks_ = 0;
  uint64_t generation_ = 0;
  std::thread thread_;
};

}  // namespace

CallbackTimerClock::CallbackTimerClock(const clap_host_t* host) : host_(host) {
  CallbackPump::Instance().Attach();
}

CallbackTimerClock::~CallbackTimerClock() {
  CallbackPump::Instance().Detach(this);
}

uint64_t CallbackTimerClock::StartPlatformTimer(uint32_t intervalMs) {
  return CallbackPump::Instance().Add(this, intervalMs);
}

void CallbackTimerClock::StopPlatformTimer(uint64_t id) {
  CallbackPump::Instance().Remove(id);
}

void CallbackTimerClock::OnMainThreadCallback() {
  // Dispatched outside the pump's lock: a callback may stop or start timers.
  for (uint64_t id : CallbackPump::Instance().TakeDue(this))
    TimerImpl::Dispatch(*this, id);
}

}  // namespace fw
