#include <algorithm>

#include "clap/clap_plugin.h"

namespace fw {
namespace {

constexpr double kTimeFactor = 1.0 / 2147483648.0;  // 2^-31: CLAP's fixed-point time

template <class Sample>
Sample* const* ChannelPointers(const clap_audio_buffer_t& buffer);
template <>
float* const* ChannelPointers<float>(const clap_audio_buffer_t& buffer) {
  return buffer.data32;
}
template <>
double* const* ChannelPointers<double>(const clap_audio_buffer_t& buffer) {
  return buffer.data64;
}

// Gathers the channel pointers of every buffer in order into `pointers` (as many as
// fit), noting on the way whether any gathered sample is not exactly zero.
template <class Sample>
uint32_t Gather(const clap_audio_buffer_t* buffers, uint32_t count, std::vector<Sample*>& pointers,
                uint32_t frames, bool& silent) {
  uint32_t gathered = 0;
  for (uint32_t b = 0; b < count; ++b) {
    Sample* const* channels = ChannelPointers<Sample>(buffers[b]);
    for (uint32_t c = 0; c < buffers[b].channel_count && gathered < pointers.size(); ++c) {
      Sample* samples = channels[c];
      if (silent) {
        silent = std::all_of(samples, samples + frames, [](Sample s) { return s == 0; });
      }
      pointers[gathered++] = samples;
    }
  }
  return gathered;
}

// Output channels beyond the channel records are no channels of the plug-in's: left as
// they are they would hand the host its own memory back (in place, its raw input).
// They are silenced after the block, except where one aliases a produced channel.
template <class Sample>
void SilenceSurplus(const clap_audio_buffer_t* buffers, uint32_t count,
                    const std::vector<Sample*>& gathered, uint32_t produced, uint32_t frames) {
  const auto producedBegin = gathered.begin();
  const auto producedEnd = producedBegin + std::min<std::size_t>(produced, gathered.size());
  uint64_t index = 0;
  for (uint32_t b = 0; b < count; ++b) {
    Sample* const* channels = ChannelPointers<Sample>(buffers[b]);
    for (uint32_t c = 0; c < buffers[b].channel_count; ++c, ++index) {
      if (index < produced || !channels) continue;
      Sample* samples = channels[c];
      if (samples && std::find(producedBegin, producedEnd, samples) == producedEnd) {
        std::fill_n(samples, frames, Sample{0});
      }
    }
  }
}

uint32_t TotalChannels(const clap_audio_buffer_t* buffers, uint32_t count) {
  uint64_t total = 0;
  for (uint32_t b = 0; b < count; ++b) total += buffers[b].channel_count;
  return static_cast<uint32_t>(std::min<uint64_t>(total, INT32_MAX));
}

}  // namespace

SampleFormat ClapPlugin::ChooseFormat(const clap_process_t& p) const {
  if (p.audio_inputs_count > 0 && p.audio_inputs[0].channel_count > 0) {
    return p.audio_inputs[0].data64 ? SampleFormat::Float64 : SampleFormat::Float32;
  }
  if (p.audio_outputs_count > 0 && p.audio_outputs[0].channel_count > 0) {
    return p.audio_outputs[0].data64 ? SampleFormat::Float64 : SampleFormat::Float32;
  }
  return SampleFormat::Float32;
}

// Every channel pointer the block will follow must exist in the chosen format; a
// host that mixes sample sizes against the ports' rule is refused, not followed.
bool ClapPlugin::BuffersUsable(const clap_process_t& p, SampleFormat format) const {
  auto usable = [&](const clap_audio_buffer_t* buffers, uint32_t count) {
    std::size_t budget = hostPointers64_.size();
    for (uint32_t b = 0; b < count; ++b) {
      const clap_audio_buffer_t& buffer = buffers[b];
      if (buffer.channel_count == 0 || budget == 0) continue;
      const void* const* channels =
          format == SampleFormat::Float64 ? reinterpret_cast<const void* const*>(buffer.data64)
                                          : reinterpret_cast<const void* const*>(buffer.data32);
      if (!channels) return false;
      const std::size_t used = std::min<std::size_t>(buffer.channel_count, budget);
      if (std::find(channels, channels + used, nullptr) != channels + used) return false;
      budget -= used;
    }
    return true;
  };
  return usable(p.audio_inputs, p.audio_inputs_count) &&
         usable(p.audio_outputs, p.audio_outputs_count);
}

void ClapPlugin::ApplyTransport(const clap_event_transport_t& transport) {
  TimeInfo info;
  if (transport.flags & CLAP_TRANSPORT_HAS_TEMPO) info.tempo = transport.tempo;
  if (transport.flags & CLAP_TRANSPORT_HAS_SECONDS_TIMELINE) {
    info.samplePos = static_cast<double>(transport.song_pos_seconds) * SampleRate() * kTimeFactor;
  }
  if (transport.flags & CLAP_TRANSPORT_HAS_BEATS_TIMELINE) {
    info.ppqPos = static_cast<double>(transport.song_pos_beats) * kTimeFactor;
    info.lastBar = static_cast<double>(transport.bar_start) * kTimeFactor;
    info.cycleStart = static_cast<double>(transport.loop_start_beats) * kTimeFactor;
    info.cycleEnd = static_cast<double>(transport.loop_end_beats) * kTimeFactor;
  }
  if (transport.flags & CLAP_TRANSPORT_HAS_TIME_SIGNATURE) {
    info.numerator = transport.tsig_num;
    info.denominator = transport.tsig_denom;
  }
  info.transportIsRunning = (transport.flags & CLAP_TRANSPORT_IS_PLAYING) != 0;
  info.transportLoopEnabled = (transport.flags & CLAP_TRANSPORT_IS_LOOP_ACTIVE) != 0;
  SetTimeInfo(info);
}

void ClapPlugin::RunEditorMessages() {
  MidiMessage midi;
  while (midiFromEditor.Pop(midi)) HandleMidiMessage(midi);
  SysExRecord sysex;
  while (sysexFromEditor.Pop(sysex)) EmitSysEx(sysex.AsMessage());
}

bool ClapPlugin::BindBuffers(const clap_process_t& p, SampleFormat format, bool scanSilence) {
  bool silent = scanSilence;
  const uint32_t frames = p.frames_count;
  struct Side {
    BusDirection direction;
    const clap_audio_buffer_t* buffers;
    uint32_t count;
  };
  for (const Side& side : {Side{BusDirection::Input, p.audio_inputs, p.audio_inputs_count},
                           Side{BusDirection::Output, p.audio_outputs, p.audio_outputs_count}}) {
    const uint32_t channels = TotalChannels(side.buffers, side.count);
    ConnectChannels(side.direction, 0, ChannelCount(side.direction), false);
    ConnectChannels(side.direction, 0, static_cast<int32_t>(channels), true);
    if (channels == 0) continue;
    // Only the inputs decide whether the block counts as silent.
    bool ignored = false;
    bool& scan = side.direction == BusDirection::Input ? silent : ignored;
    if (format == SampleFormat::Float64) {
      Gather(side.buffers, side.count, hostPointers64_, frames, scan);
      BindChannelBuffers(side.direction, 0, channels, hostPointers64_.data(), frames);
    } else {
      Gather(side.buffers, side.count, hostPointers32_, frames, scan);
      BindChannelBuffers(side.direction, 0, channels, hostPointers32_.data(), frames);
    }
  }
  return silent;
}

void ClapPlugin::SilenceSurplusOutputs(const clap_process_t& p, SampleFormat format) {
  // BindBuffers gathered the outputs last, so the pointers hold the produced channels.
  const auto produced = static_cast<uint32_t>(ChannelCount(BusDirection::Output));
  if (format == SampleFormat::Float64) {
    SilenceSurplus(p.audio_outputs, p.audio_outputs_count, hostPointers64_, produced,
                   p.frames_count);
  } else {
    SilenceSurplus(p.audio_outputs, p.audio_outputs_count, hostPointers32_, produced,
                   p.frames_count);
  }
}

// The host's tail extension takes its notice on the audio thread.
void ClapPlugin::AnnounceTailLength() {
  const int32_t tail = TailLength();
  if (tail == announcedTail_) return;
  announcedTail_ = tail;
  const clap_host_tail_t* hostTail = Host().tail;
  if (hostTail && hostTail->changed) hostTail->changed(Host().host);
}

clap_process_status ClapPlugin::Process(const clap_process_t* p) {
  if (!p || (p->audio_inputs_count > 0 && !p->audio_inputs) ||
      (p->audio_outputs_count > 0 && !p->audio_outputs)) {
    return CLAP_PROCESS_ERROR;
  }
  // Refused before anything is touched: the scratch buffers hold BlockSize() frames.
  if (!IsActive() || p->frames_count > static_cast<uint32_t>(BlockSize())) {
    return CLAP_PROCESS_ERROR;
  }
  const SampleFormat format = ChooseFormat(*p);
  if (!BuffersUsable(*p, format)) return CLAP_PROCESS_ERROR;

  if (p->transport) ApplyTransport(*p->transport);
  ReadInputEvents(p->in_events);
  RunEditorMessages();

  const int32_t tail = TailLength();
  const bool tailFinite = tail != 0 && tail != kInfiniteTail;
  const bool silent = BindBuffers(*p, format, tailFinite);
  RunBlock(static_cast<int32_t>(p->frames_count), format);
  SilenceSurplusOutputs(*p, format);
  WriteOutputEvents(p->out_events, p->frames_count);
  AnnounceTailLength();

  if (tail == 0) return CLAP_PROCESS_CONTINUE_IF_NOT_QUIET;
  if (tail == kInfiniteTail) return CLAP_PROCESS_CONTINUE;
  silentSampleCount_ =
      silent ? static_cast<int32_t>(std::min<int64_t>(tail, int64_t{silentSampleCount_} +
                                                                 p->frames_count))
             : 0;
  return silentSampleCount_ < tail ? CLAP_PROCESS_CONTINUE : CLAP_PROCESS_SLEEP;
}

}  // namespace fw
