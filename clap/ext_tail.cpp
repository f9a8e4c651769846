#include "clap/clap_plugin.h"
#include "clap/entry_point.h"
#include "clap/extensions.h"

namespace fw {
namespace {

uint32_t Get(ClapPlugin& plugin) {
  const int32_t tail = plugin.TailLength();
  return tail == Processor::kInfiniteTail ? UINT32_MAX : static_cast<uint32_t>(tail);
}

constexpr clap_plugin_tail_t kTail{kEntry<Get>};

}  // namespace

const clap_plugin_tail_t* TailExtension() { return &kTail; }

}  // namespace fw
