#include <cstdint>

#include "clap/clap_plugin.h"
#include "clap/entry_point.h"
#include "clap/extensions.h"

namespace fw {
namespace {

constexpr int64_t kReadPiece = 256;
// A stream that never ends is cut off here and treated as a chunk that is too long.
constexpr int64_t kMaxStateBytes = 1 << 20;

bool Save(ClapPlugin& plugin, const clap_ostream_t* stream) {
  if (!stream || !stream->write) return false;
  ByteChunk chunk;
  if (!plugin.SaveState(chunk)) return false;
  const int64_t size = chunk.Size();
  for (int64_t pos = 0; pos < size;) {
    const int64_t written =
        stream->write(stream, chunk.Bytes() + pos, static_cast<uint64_t>(size - pos));
    if (written < 1 || written > size - pos) return false;
    pos += written;
  }
  return true;
}

bool Load(ClapPlugin& plugin, const clap_istream_t* stream) {
  if (!stream || !stream->read) return false;
  ByteChunk chunk;
  uint8_t piece[kReadPiece];
  int64_t got = 0;
  while (chunk.Size() <= kMaxStateBytes) {
    got = stream->read(stream, piece, sizeof piece);
    if (got <= 0) break;
    if (got > kReadPiece || chunk.Append(piece, static_cast<int>(got)) <= 0) return false;
  }
  if (got < 0 || chunk.Size() == 0) return false;
  const int32_t pos = plugin.LoadState(chunk, 0);
  if (pos < 0 || pos != chunk.Size()) return false;
  plugin.OnStateRestored();
  if (plugin.HostParamsUsable()) {
    plugin.Host().params->rescan(plugin.Host().host, CLAP_PARAM_RESCAN_VALUES);
  }
  return true;
}

constexpr clap_plugin_state_t kState{kEntry<Save>, kEntry<Load>};

}  // namespace

const clap_plugin_state_t* StateExtension() { return &kState; }

}  // namespace fw
