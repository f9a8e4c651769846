#pragma once

#include <cstdint>
#include <memory>

#include "clap/abi.h"
#include "framework/timer.h"

namespace fw {

// Main-thread timers on hosts without a message loop of ours: either the host's
// timer-support extension fires them, or a helper thread asks the host for a
// main-thread callback whenever one is due.
class ClapTimerClock : public TimerClock {
 public:
  // The host fired its timer `id` (timer-support).
  virtual void OnHostTimer(clap_id /*id*/) {}
  // The host called on_main_thread.
  virtual void OnMainThreadCallback() {}

  static std::unique_ptr<ClapTimerClock> For(const clap_host_t* host,
                                             const clap_host_timer_support_t* timerSupport);
};

class HostTimerClock final : public ClapTimerClock {
 public:
  HostTimerClock(const clap_host_t* host, const clap_host_timer_support_t* timerSupport)
      : host_(host), timerSupport_(timerSupport) {}

  uint64_t StartPlatformTimer(uint32_t intervalMs) override;
  void StopPlatformTimer(uint64_t id) override;
  void OnHostTimer(clap_id id) override;

 private:
  // Timer ids are offset by one so that host id 0 never reads as "no timer".
  const clap_host_t* host_;
  const clap_host_timer_support_t* timerSupport_;
};

// Without timer-support the clocks of every instance share one process-wide pump
// thread (started with the first clock, stopped with the last) that asks each host for
// a main-thread callback when one of its clock's timers is due.
class CallbackTimerClock final : public ClapTimerClock {
 public:
  explicit CallbackTimerClock(const clap_host_t* host);
  ~CallbackTimerClock() override;

  uint64_t StartPlatformTimer(uint32_t intervalMs) override;
  void StopPlatformTimer(uint64_t id) override;
  void OnMainThreadCallback() override;

  const clap_host_t* Host() const { return host_; }

 private:
  const clap_host_t* host_;
};

}  // namespace fw
