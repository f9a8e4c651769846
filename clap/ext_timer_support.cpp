#include "clap/clap_plugin.h"
#include "clap/entry_point.h"
#include "clap/extensions.h"

namespace fw {
namespace {

void OnTimer(ClapPlugin& plugin, clap_id id) {
  if (ClapTimerClock* clock = plugin.Clock()) clock->OnHostTimer(id);
}

constexpr clap_plugin_timer_support_t kTimerSupport{kEntry<OnTimer>};

}  // namespace

const clap_plugin_timer_support_t* TimerSupportExtension() { return &kTimerSupport; }

}  // namespace fw
