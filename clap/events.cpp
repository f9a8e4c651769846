#include <algorithm>
#include <cmath>

#include "clap/clap_plugin.h"
#include "clap/host_values.h"

namespace fw {
namespace {

// A hostile list that keeps growing must not hold the audio thread forever.
constexpr uint32_t kMaxEventsPerCall = 1u << 20;

template <class Event>
const Event* As(const clap_event_header_t* header) {
  return header->size >= sizeof(Event) ? reinterpret_cast<const Event*>(header) : nullptr;
}

clap_event_header_t Header(uint32_t size, uint16_t type, int32_t time) {
  return clap_event_header_t{size, static_cast<uint32_t>(std::max(time, 0)),
                             CLAP_CORE_EVENT_SPACE_ID, type, 0};
}

// MIDI has 16 channels and 128 keys; a note event outside them (such as a wildcard
// -1) has no MIDI message to become, and masking it would make a different message.
bool IsMidiNote(const clap_event_note_t& note) {
  return note.channel >= 0 && note.channel < 16 && note.key >= 0 && note.key < 128;
}

uint8_t Velocity127(double velocity) {
  const double scaled = std::round(velocity * 127.0);
  return static_cast<uint8_t>(scaled >= 0.0 ? std::min(scaled, 127.0) : 0.0);
}

void Push(const clap_output_events_t* list, const clap_event_header_t& header) {
  list->try_push(list, &header);
}

void PushMidi(const clap_output_events_t* list, const MidiMessage& m) {
  const uint8_t kind = m.status & 0xF0;
  if (kind == 0x90 || kind == 0x80) {
    clap_event_note_t note{};
    note.header =
        Header(sizeof note, kind == 0x90 ? CLAP_EVENT_NOTE_ON : CLAP_EVENT_NOTE_OFF, m.offset);
    note.note_id = -1;
    note.port_index = 0;
    note.channel = static_cast<int16_t>(m.status & 0x0F);
    note.key = m.data1;
    note.velocity = m.data2 / 127.0;
    Push(list, note.header);
  } else {
    clap_event_midi_t midi{};
    midi.header = Header(sizeof midi, CLAP_EVENT_MIDI, m.offset);
    midi.port_index = 0;
    midi.data[0] = m.status;
    midi.data[1] = m.data1;
    midi.data[2] = m.data2;
    Push(list, midi.header);
  }
}

void PushSysEx(const clap_output_events_t* list, const SysExRecord& record) {
  clap_event_midi_sysex_t sysex{};
  sysex.header = Header(sizeof sysex, CLAP_EVENT_MIDI_SYSEX, record.offset);
  sysex.port_index = 0;
  sysex.buffer = record.data;
  sysex.size = static_cast<uint32_t>(std::clamp(record.size, 0, SysExRecord::kCapacity));
  Push(list, sysex.header);
}

}  // namespace

void ClapPlugin::ReadInputEvents(const clap_input_events_t* events) {
  if (!events || !events->size || !events->get) return;
  for (uint32_t i = 0; i < events->size(events) && i < kMaxEventsPerCall; ++i) {
    const clap_event_header_t* header = events->get(events, i);
    if (!header || header->size < sizeof(clap_event_header_t) ||
        header->space_id != CLAP_CORE_EVENT_SPACE_ID) {
      continue;
    }
    MidiMessage midi;
    const int32_t offset = static_cast<int32_t>(header->time);
    switch (header->type) {
      case CLAP_EVENT_NOTE_ON:
      case CLAP_EVENT_NOTE_OFF: {
        const auto* note = As<clap_event_note_t>(header);
        if (!note || !IsMidiNote(*note)) continue;
        const bool on = header->type == CLAP_EVENT_NOTE_ON;
        midi = {offset, static_cast<uint8_t>((on ? 0x90 : 0x80) | note->channel),
                static_cast<uint8_t>(note->key), on ? Velocity127(note->velocity) : uint8_t{0}};
        break;
      }
      case CLAP_EVENT_MIDI: {
        const auto* event = As<clap_event_midi_t>(header);
        if (!event) continue;
        midi = {offset, event->data[0], event->data[1], event->data[2]};
        break;
      }
      case CLAP_EVENT_PARAM_VALUE:
        if (const auto* event = As<clap_event_param_value_t>(header)) ApplyParamValueEvent(*event);
        continue;
      case CLAP_EVENT_MIDI_SYSEX: {
        const auto* event = As<clap_event_midi_sysex_t>(header);
        if (!event || (!event->buffer && event->size > 0) || event->size > INT32_MAX) continue;
        const SysExMessage message{offset, static_cast<int32_t>(event->size), event->buffer};
        HandleSysEx(message);
        if (SysExRecord::Fits(message)) sysexToEditor.Push(SysExRecord::From(message));
        continue;
      }
      default:
        continue;
    }
    HandleMidiMessage(midi);
    midiToEditor.Push(midi);
  }
}

void ClapPlugin::ApplyParamValueEvent(const clap_event_param_value_t& event) {
  const auto index = static_cast<int32_t>(event.param_id);
  Parameter* param = event.param_id < static_cast<uint32_t>(ParamCount()) ? Param(index) : nullptr;
  if (!param) return;
  const double real = RealFromHost(*param, event.value);
  param->SetValue(real);
  QueueParamForEditor(index, real, false);
  OnParamChange(index, ParamSource::Host, static_cast<int32_t>(event.header.time));
}

void ClapPlugin::WriteParamEvents(const clap_output_events_t* list) {
  if (!list || !list->try_push) return;
  HostParamChange change;
  while (hostParamQueue_.Pop(change)) {
    if (change.kind == HostParamChange::GestureBegin ||
        change.kind == HostParamChange::GestureEnd) {
      clap_event_param_gesture_t gesture{};
      gesture.header =
          Header(sizeof gesture,
                 change.kind == HostParamChange::GestureBegin ? CLAP_EVENT_PARAM_GESTURE_BEGIN
                                                              : CLAP_EVENT_PARAM_GESTURE_END,
                 0);
      gesture.param_id = static_cast<clap_id>(change.index);
      Push(list, gesture.header);
    } else {
      clap_event_param_value_t value{};
      value.header = Header(sizeof value, CLAP_EVENT_PARAM_VALUE, 0);
      value.param_id = static_cast<clap_id>(change.index);
      value.cookie = nullptr;
      value.note_id = -1;
      value.port_index = -1;
      value.channel = -1;
      value.key = -1;
      value.value = change.value;
      Push(list, value.header);
    }
  }
}

void ClapPlugin::WriteOutputEvents(const clap_output_events_t* list, uint32_t frames) {
  if (!list || !list->try_push) return;
  WriteParamEvents(list);
  const int64_t end = frames;
  std::size_t midi = 0;
  std::size_t sysex = 0;
  for (;;) {
    const bool midiDue = midi < midiOut_.Size() && midiOut_[midi].offset < end;
    const bool sysexDue = sysex < sysexOut_.Size() && sysexOut_[sysex].offset < end;
    if (sysexDue && (!midiDue || sysexOut_[sysex].offset <= midiOut_[midi].offset)) {
      PushSysEx(list, sysexOut_[sysex++]);
    } else if (midiDue) {
      PushMidi(list, midiOut_[midi++]);
    } else {
      break;
    }
  }
  midiOut_.Consume(midi, static_cast<int32_t>(frames));
  sysexOut_.Consume(sysex, static_cast<int32_t>(frames));
}

bool ClapPlugin::EmitMidiMessage(const MidiMessage& message) {
  midiOut_.Insert(message);
  return true;
}

bool ClapPlugin::EmitSysEx(const SysExMessage& message) {
  // A message longer than a record is dropped rather than cut into corrupt data.
  if (SysExRecord::Fits(message)) sysexOut_.Insert(SysExRecord::From(message));
  return true;
}

}  // namespace fw
