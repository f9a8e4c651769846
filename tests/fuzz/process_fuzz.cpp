// process as a hostile host drives it: any sample rate and block size, any port
// layout, 32- or 64-bit buffers in place or not, audio with NaN, infinities and
// huge values, and event lists of any kind, size, space, time and value.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/fuzz_module.h"
#include "tests/host/test_host.h"

namespace {

constexpr double kRates[] = {1000, 8000, 22050, 44100, 48000, 96000, 192000, 768000};
const std::vector<std::vector<uint32_t>> kInputLayouts = {{1}, {1}, {2}, {1, 1}, {1, 1},
                                                          {2, 1}, {1, 2}, {1, 2}, {2, 2}};
const std::vector<std::vector<uint32_t>> kOutputLayouts = {{1}, {2}, {2}, {1}, {2},
                                                           {2}, {1}, {2}, {2}};
uint8_t sysexBytes[1024];

double Sample(fuzz::Input& input, uint32_t& noise) {
  switch (input.Byte() % 16) {
    case 0: return input.AnyDouble();
    case 1: return 1e308;
    case 2: return 1e-310;
    default:
      noise = noise * 1664525u + 1013904223u;
      return (static_cast<double>(noise >> 8) / 8388608.0 - 1.0);
  }
}

void AddEvent(fuzz::Input& input, testhost::InputEvents& events, uint32_t frames) {
  union {
    clap_event_header_t header;
    clap_event_note_t note;
    clap_event_param_value_t param;
    clap_event_midi_t midi;
    clap_event_midi_sysex_t sysex;
    clap_event_transport_t transport;
    uint8_t bytes[128];
  } event;
  std::memset(&event, 0, sizeof event);
  const uint16_t types[] = {CLAP_EVENT_NOTE_ON, CLAP_EVENT_NOTE_OFF, CLAP_EVENT_PARAM_VALUE,
                            CLAP_EVENT_PARAM_VALUE, CLAP_EVENT_PARAM_MOD, CLAP_EVENT_MIDI,
                            CLAP_EVENT_MIDI_SYSEX, CLAP_EVENT_TRANSPORT};
  const uint8_t choice = input.Byte();
  event.header.type = choice < 240 ? types[choice % 8] : choice;
  uint32_t size = 0;
  switch (event.header.type) {
    case CLAP_EVENT_NOTE_ON:
    case CLAP_EVENT_NOTE_OFF:
      size = sizeof event.note;
      event.note.channel = static_cast<int16_t>(input.U32());
      event.note.key = static_cast<int16_t>(input.U32());
      event.note.velocity = input.Value();
      break;
    case CLAP_EVENT_PARAM_VALUE:
    case CLAP_EVENT_PARAM_MOD:
      size = sizeof event.param;
      event.param.param_id = input.Byte() % 8 == 0 ? input.U32() : input.Byte() % 20;
      event.param.value = input.Value();
      break;
    case CLAP_EVENT_MIDI:
      size = sizeof event.midi;
      for (uint8_t& b : event.midi.data) b = input.Byte();
      break;
    case CLAP_EVENT_MIDI_SYSEX:
      size = sizeof event.sysex;
      event.sysex.size = input.Byte() % 4 == 0 ? input.U32() : input.Below(sizeof sysexBytes);
      event.sysex.buffer = input.Byte() % 8 == 0 ? nullptr : sysexBytes;
      if (event.sysex.size > sizeof sysexBytes) event.sysex.buffer = nullptr;
      break;
    default:
      size = sizeof event.transport;
      event.transport.flags = input.U32();
      event.transport.tempo = input.Value();
      event.transport.song_pos_seconds = static_cast<int64_t>(uint64_t{input.U32()} << 20);
      break;
  }
  // Sometimes a header that claims less (or more) than the event holds.
  event.header.size = input.Byte() % 8 == 0 ? input.Below(sizeof event) : size;
  event.header.space_id = input.Byte() % 16 == 0 ? input.Byte() : CLAP_CORE_EVENT_SPACE_ID;
  event.header.time = input.Byte() % 8 == 0 ? input.U32() : input.Below(frames + 1);
  events.Add(&event, sizeof event);
}

// Nothing non-finite or subnormal ever reaches the host.
void ExpectCleanOutput(const testhost::AudioBlock& block, const std::vector<uint32_t>& outputs) {
  for (uint32_t p = 0; p < outputs.size(); ++p) {
    for (uint32_t c = 0; c < outputs[p]; ++c) {
      for (uint32_t i = 0; i < block.Frames(); ++i) {
        const double v = block.OutputSample(p, c, i);
        if (!std::isfinite(v) || (v != 0.0 && std::fabs(v) < 1.1754943508222875e-38)) std::abort();
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::Input input(data, size);
  testhost::TestHost host;
  testhost::Plugin plugin(fuzz::PluginFactory(), host);
  if (!plugin || !plugin->init(plugin.get())) std::abort();
  const auto* configs =
      plugin.Extension<clap_plugin_audio_ports_config_t>(CLAP_EXT_AUDIO_PORTS_CONFIG);
  const auto* params = plugin.Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);

  const uint32_t config = input.Below(9);
  configs->select(plugin.get(), config);
  const double rate = input.Byte() % 4 == 0 ? 1000.0 + input.Below(767001)
                                            : kRates[input.Below(8)];
  const uint32_t maxFrames = input.Byte() % 4 == 0 ? 1 + input.Below(16384) : 1 + input.Below(600);
  if (!plugin->activate(plugin.get(), rate, 1, maxFrames)) std::abort();
  plugin->start_processing(plugin.get());

  // Usually the ports the configuration declares, sometimes anything.
  std::vector<uint32_t> inputs = kInputLayouts[config];
  std::vector<uint32_t> outputs = kOutputLayouts[config];
  if (input.Byte() % 8 == 0) {
    inputs.assign(input.Below(4), 1 + input.Below(3));
    outputs.assign(input.Below(3), 1 + input.Below(3));
  }
  const bool use64 = input.Byte() % 2;
  const bool inPlace = input.Byte() % 4 == 0;
  uint32_t noise = input.U32();

  for (int round = 0; round < 6 && !input.Empty(); ++round) {
    const uint32_t frames =
        input.Byte() % 16 == 0 ? maxFrames + 1 + input.Below(8) : input.Below(maxFrames + 1);
    testhost::AudioBlock block(inputs, outputs, frames, use64, inPlace);
    for (uint32_t p = 0; p < inputs.size(); ++p) {
      for (uint32_t c = 0; c < inputs[p]; ++c) {
        std::vector<double> samples(frames);
        for (double& s : samples) s = Sample(input, noise);
        block.SetInput(p, c, samples);
      }
    }
    testhost::InputEvents events;
    const uint32_t count = input.Below(40);
    for (uint32_t e = 0; e < count; ++e) AddEvent(input, events, frames);
    testhost::OutputEvents out;
    clap_process_t process = block.Process(&events, input.Byte() % 8 ? &out : nullptr);
    const clap_process_status status = plugin->process(plugin.get(), &process);
    if (status != CLAP_PROCESS_ERROR) ExpectCleanOutput(block, outputs);
    if (frames > maxFrames && status != CLAP_PROCESS_ERROR) std::abort();

    switch (input.Byte() % 16) {
      case 0: plugin->reset(plugin.get()); break;
      case 1: params->flush(plugin.get(), events.List(), out.List()); break;
      default: break;
    }
  }
  plugin->stop_processing(plugin.get());
  plugin->deactivate(plugin.get());
  return 0;
}
