// Note, MIDI and system-exclusive traffic of process: host events in, the messages
// the processor and the editor emit out, with their sample offsets.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "tests/extensions/session.h"

namespace {

using exttest::ProbeSession;
using testhost::AudioBlock;
using testhost::InputEvents;
using testhost::OutputEvents;
using Message = std::array<int, 4>;  // offset, status, data1, data2

std::vector<Message> Messages(const std::vector<fw::MidiMessage>& midi) {
  std::vector<Message> messages;
  for (const fw::MidiMessage& m : midi)
    messages.push_back({m.offset, m.status, m.data1, m.data2});
  return messages;
}

clap_event_header_t Header(uint32_t size, uint16_t type, uint32_t time) {
  return {size, time, CLAP_CORE_EVENT_SPACE_ID, type, 0};
}

clap_event_note_t Note(uint16_t type, int16_t channel, int16_t key, double velocity,
                       uint32_t time) {
  return {Header(sizeof(clap_event_note_t), type, time), -1, 0, channel, key, velocity};
}

clap_event_midi_t Midi(uint8_t status, uint8_t data1, uint8_t data2, uint32_t time) {
  return {Header(sizeof(clap_event_midi_t), CLAP_EVENT_MIDI, time), 0, {status, data1, data2}};
}

clap_event_midi_sysex_t SysEx(const std::vector<uint8_t>& bytes, uint32_t time) {
  return {Header(sizeof(clap_event_midi_sysex_t), CLAP_EVENT_MIDI_SYSEX, time), 0, bytes.data(),
          static_cast<uint32_t>(bytes.size())};
}

// What one output event says, in a form the tests compare directly.
struct Sent {
  uint16_t type;
  uint32_t time;
  std::vector<int> fields;  // note: channel, key, velocity·127; MIDI: the bytes; sysex: the bytes
};

std::vector<Sent> Sents(const OutputEvents& out) {
  std::vector<Sent> sent;
  for (std::size_t i = 0; i < out.Size(); ++i) {
    const clap_event_header_t& header = out.Header(i);
    EXPECT_EQ(header.space_id, CLAP_CORE_EVENT_SPACE_ID);
    EXPECT_EQ(header.flags, 0u);
    Sent s{header.type, header.time, {}};
    if (header.type == CLAP_EVENT_NOTE_ON || header.type == CLAP_EVENT_NOTE_OFF) {
      const auto& note = out.As<clap_event_note_t>(i);
      EXPECT_EQ(header.size, sizeof(clap_event_note_t));
      EXPECT_EQ(note.note_id, -1);
      EXPECT_EQ(note.port_index, 0);
      s.fields = {note.channel, note.key, static_cast<int>(note.velocity * 127.0 + 0.5)};
    } else if (header.type == CLAP_EVENT_MIDI) {
      const auto& midi = out.As<clap_event_midi_t>(i);
      EXPECT_EQ(header.size, sizeof(clap_event_midi_t));
      EXPECT_EQ(midi.port_index, 0);
      s.fields = {midi.data[0], midi.data[1], midi.data[2]};
    } else if (header.type == CLAP_EVENT_MIDI_SYSEX) {
      EXPECT_EQ(header.size, sizeof(clap_event_midi_sysex_t));
      EXPECT_EQ(out.As<clap_event_midi_sysex_t>(i).port_index, 0);
      s.fields.assign(out.SysExBytes(i).begin(), out.SysExBytes(i).end());
    }
    sent.push_back(s);
  }
  return sent;
}

void ExpectSent(const OutputEvents& out, const std::vector<Sent>& expected) {
  const std::vector<Sent> sent = Sents(out);
  ASSERT_EQ(sent.size(), expected.size());
  for (std::size_t i = 0; i < sent.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(sent[i].type, expected[i].type);
    EXPECT_EQ(sent[i].time, expected[i].time);
    EXPECT_EQ(sent[i].fields, expected[i].fields);
  }
}

TEST(MidiIn, NoteAndMidiEventsReachTheProcessorTheEditorAndComeBackOut) {
  ProbeSession session(exttest::WithTimers());
  InputEvents in;
  in.Add(Note(CLAP_EVENT_NOTE_ON, 3, 60, 0.5, 7));
  in.Add(Note(CLAP_EVENT_NOTE_OFF, 2, 61, 0.7, 9));
  in.Add(Midi(0xB1, 7, 100, 11));
  OutputEvents out;
  AudioBlock block({2}, {2}, 512);
  session.Process(block, &in, &out);

  const std::vector<Message> expected = {{7, 0x93, 60, 64}, {9, 0x82, 61, 0}, {11, 0xB1, 7, 100}};
  EXPECT_EQ(Messages(session.api->MidiReceived()), expected);
  EXPECT_TRUE(session.api->MidiInEditor().empty());
  session.host.FireTimers();
  EXPECT_EQ(Messages(session.api->MidiInEditor()), expected);
  // The processor's default passes what it receives on to the host.
  ExpectSent(out, {{CLAP_EVENT_NOTE_ON, 7, {3, 60, 64}},
                   {CLAP_EVENT_NOTE_OFF, 9, {2, 61, 0}},
                   {CLAP_EVENT_MIDI, 11, {0xB1, 7, 100}}});
}

TEST(MidiIn, MalformedEventsAreSkippedOneByOne) {
  ProbeSession session;
  const std::vector<uint8_t> sysexBytes = {0xF0, 0x7E, 0x01, 0xF7};
  InputEvents in;
  clap_event_note_t shortNote = Note(CLAP_EVENT_NOTE_ON, 0, 60, 1.0, 0);
  shortNote.header.size = sizeof(clap_event_note_t) - 8;
  in.Add(shortNote);
  in.Add(Midi(0x90, 1, 1, 1));
  clap_event_midi_t tinyHeader = Midi(0x90, 9, 9, 2);
  tinyHeader.header.size = sizeof(clap_event_header_t) - 1;
  in.Add(tinyHeader);
  clap_event_midi_t foreign = Midi(0x90, 9, 9, 3);
  foreign.header.space_id = 1;
  in.Add(foreign);
  in.Add(Midi(0x90, 2, 2, 4));
  clap_event_midi_sysex_t nullBuffer = SysEx(sysexBytes, 5);
  nullBuffer.buffer = nullptr;
  in.Add(nullBuffer);
  in.Add(SysEx(sysexBytes, 6));
  // A note outside MIDI's channels or keys has no MIDI message to become.
  in.Add(Note(CLAP_EVENT_NOTE_OFF, -1, -1, 0.0, 7));
  in.Add(Note(CLAP_EVENT_NOTE_ON, 16, 60, 1.0, 7));
  in.Add(Note(CLAP_EVENT_NOTE_ON, 0, 128, 1.0, 7));
  in.Add(Midi(0x90, 3, 3, 8));
  AudioBlock block({2}, {2}, 512);
  session.Process(block, &in);

  EXPECT_EQ(Messages(session.api->MidiReceived()),
            (std::vector<Message>{{1, 0x90, 1, 1}, {4, 0x90, 2, 2}, {8, 0x90, 3, 3}}));
  const std::vector<probe::SysEx> sysex = session.api->SysExReceived();
  ASSERT_EQ(sysex.size(), 1u);
  EXPECT_EQ(sysex[0].offset, 6);
  EXPECT_EQ(sysex[0].bytes, sysexBytes);
}

TEST(MidiOut, MessagesBeyondTheBlockGoOutInTheNextBlockAndSysExLeadsAtEqualOffsets) {
  ProbeSession session;
  session.api->EmitDuringNextBlock({{600, 0x90, 60, 127}, {10, 0xB0, 1, 2}, {10, 0x80, 60, 0}},
                                   {{10, {0xF0, 0x01, 0xF7}}, {700, {0xF0, 0x02, 0xF7}}});
  OutputEvents out;
  AudioBlock block({2}, {2}, 512);
  session.Process(block, nullptr, &out);
  ExpectSent(out, {{CLAP_EVENT_MIDI_SYSEX, 10, {0xF0, 0x01, 0xF7}},
                   {CLAP_EVENT_MIDI, 10, {0xB0, 1, 2}},
                   {CLAP_EVENT_NOTE_OFF, 10, {0, 60, 0}}});
  out.Clear();
  session.Process(block, nullptr, &out);
  ExpectSent(out, {{CLAP_EVENT_NOTE_ON, 88, {0, 60, 127}},
                   {CLAP_EVENT_MIDI_SYSEX, 188, {0xF0, 0x02, 0xF7}}});
}

TEST(MidiOut, WithoutAnOutputListMessagesWaitWithTheirOffsets) {
  ProbeSession session;
  session.api->EmitDuringNextBlock({{5, 0x91, 64, 127}, {300, 0xB0, 1, 2}}, {{100, {0xF0, 0xF7}}});
  AudioBlock block({2}, {2}, 512);
  session.Process(block);
  OutputEvents out;
  // The parameters flush sends only parameter events.
  session.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS)->flush(session.Get(), nullptr, out.List());
  EXPECT_EQ(out.Size(), 0u);
  session.Process(block, nullptr, &out);
  ExpectSent(out, {{CLAP_EVENT_NOTE_ON, 5, {1, 64, 127}},
                   {CLAP_EVENT_MIDI_SYSEX, 100, {0xF0, 0xF7}},
                   {CLAP_EVENT_MIDI, 300, {0xB0, 1, 2}}});
}

TEST(MidiOut, EditorMidiAndSysExReachTheProcessorAtTheNextProcess) {
  ProbeSession session;
  session.api->EditorSendsMidi({0, 0xB2, 3, 4});
  session.api->EditorSendsSysEx({0xF0, 0x05, 0xF7});
  EXPECT_TRUE(session.api->MidiReceived().empty());
  OutputEvents out;
  AudioBlock block({2}, {2}, 512);
  session.Process(block, nullptr, &out);
  EXPECT_EQ(Messages(session.api->MidiReceived()), (std::vector<Message>{{0, 0xB2, 3, 4}}));
  ExpectSent(out,
             {{CLAP_EVENT_MIDI_SYSEX, 0, {0xF0, 0x05, 0xF7}}, {CLAP_EVENT_MIDI, 0, {0xB2, 3, 4}}});
}

TEST(MidiOut, SysExLongerThanARecordIsDroppedWhole) {
  for (bool fromEditor : {true, false}) {
    SCOPED_TRACE(fromEditor ? "from the editor" : "from the processor");
    ProbeSession session;
    std::vector<uint8_t> fits(512, 0x11);
    std::vector<uint8_t> tooLong(513, 0x22);
    for (const std::vector<uint8_t>* bytes : {&fits, &tooLong}) {
      if (fromEditor) {
        session.api->EditorSendsSysEx(*bytes);
      } else {
        session.api->EmitDuringNextBlock({}, {{0, *bytes}});
      }
      OutputEvents out;
      AudioBlock block({2}, {2}, 512);
      session.Process(block, nullptr, &out);
      if (bytes == &fits) {
        ASSERT_EQ(out.Size(), 1u);
        EXPECT_EQ(out.SysExBytes(0), fits);
      } else {
        EXPECT_EQ(out.Size(), 0u);
      }
    }
  }
}

}  // namespace
