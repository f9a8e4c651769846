#include "clap/clap_plugin.h"
#include "clap/entry_point.h"
#include "clap/extensions.h"

namespace fw {
namespace {

uint32_t Get(ClapPlugin& plugin) { return static_cast<uint32_t>(plugin.Latency()); }

constexpr clap_plugin_latency_t kLatency{kEntry<Get>};

}  // namespace

const clap_plugin_latency_t* LatencyExtension() { return &kLatency; }

}  // namespace fw
