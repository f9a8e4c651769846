#include "clap/clap_plugin.h"
#include "clap/entry_point.h"
#include "clap/extensions.h"
#include "framework/text.h"

namespace fw {
namespace {

// MIDI passes through the plug-in's events without a note port of its own.
uint32_t Count(ClapPlugin& /*plugin*/, bool /*isInput*/) { return 0; }

bool Get(ClapPlugin& plugin, uint32_t index, bool isInput, clap_note_port_info_t* info) {
  if (!info || index >= Count(plugin, isInput)) return false;
  *info = clap_note_port_info_t{};
  info->id = index;
  info->supported_dialects = CLAP_NOTE_DIALECT_MIDI;
  info->preferred_dialect = CLAP_NOTE_DIALECT_MIDI;
  CopyText(info->name, isInput ? "MIDI Input" : "MIDI Output");
  return true;
}

constexpr clap_plugin_note_ports_t kNotePorts{kEntry<Count>, kEntry<Get>};

}  // namespace

const clap_plugin_note_ports_t* NotePortsExtension() { return &kNotePorts; }

}  // namespace fw
