#include "framework/plugin_base.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "tests/framework/recording_plugin.h"

namespace {

using fw::ByteChunk;
using fwtest::RecordingPlugin;
using fwtest::ResetCalls;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
const std::vector<double> kDefaults = {25, 1, 1};

std::vector<double> ValuesOf(const fw::PluginBase& plugin) {
  std::vector<double> values;
  for (int32_t i = 0; i < plugin.ParamCount(); ++i)
    values.push_back(plugin.Param(i)->Value());
  return values;
}

void SetValues(fw::PluginBase& plugin, const std::vector<double>& values) {
  for (int32_t i = 0; i < plugin.ParamCount(); ++i)
    plugin.Param(i)->SetValue(values[i]);
}

// The little-endian bytes of a double, assembled by hand.
std::vector<uint8_t> LittleEndianBytes(double value) {
  const auto bits = std::bit_cast<uint64_t>(value);
  std::vector<uint8_t> bytes;
  for (int shift = 0; shift < 64; shift += 8)
    bytes.push_back(static_cast<uint8_t>(bits >> shift));
  return bytes;
}

TEST(PluginBase, StateIsTheValuesAsLittleEndianDoublesInIndexOrder) {
  RecordingPlugin plugin;
  SetValues(plugin, {50.5, -3, 2});
  ByteChunk chunk;
  const uint8_t lead[] = {0xAA, 0xBB};
  chunk.Append(lead, 2);  // saving appends to what the chunk holds
  ASSERT_TRUE(plugin.SaveState(chunk));
  std::vector<uint8_t> expected = {0xAA, 0xBB};
  for (double value : {50.5, -3.0, 2.0}) {
    const std::vector<uint8_t> bytes = LittleEndianBytes(value);
    expected.insert(expected.end(), bytes.begin(), bytes.end());
  }
  ASSERT_EQ(chunk.Size(), 26);
  EXPECT_EQ(std::vector<uint8_t>(chunk.Bytes(), chunk.Bytes() + chunk.Size()), expected);
}

struct LoadCase {
  const char* what;
  int leadingBytes;
  std::vector<double> stored;
  int droppedBytes;  // cut from the end of the chunk
  int32_t startPos;
  int32_t expectedPos;
  std::vector<double> expectedValues;
};

TEST(PluginBase, LoadingAppliesWhatFitsAndAlwaysAnnouncesAReset) {
  const LoadCase cases[] = {
      {"exact", 0, {50, -2, 2}, 0, 0, 24, {50, -2, 2}},
      {"short by one byte", 0, {50, -2, 2}, 1, 0, -1, {50, -2, 1}},
      {"longer", 0, {50, -2, 2, 7}, 0, 0, 24, {50, -2, 2}},
      {"after a header", 4, {50, -2, 2}, 0, 4, 28, {50, -2, 2}},
      {"start at the end", 0, {50, -2, 2}, 0, 24, -1, kDefaults},
      {"start past the end", 0, {50, -2, 2}, 0, 30, -1, kDefaults},
      {"out of range and off step", 0, {1000, 2.5, -7}, 0, 0, 24, {100, 3, 0}},
      {"infinities", 0, {-kInf, kInf, kInf}, 0, 0, 24, {0, 5, 2}},
      {"not a number keeps to the default", 0, {kNaN, kNaN, 0}, 0, 0, 24, {25, 1, 0}},
  };
  for (const LoadCase& c : cases) {
    RecordingPlugin plugin;
    ByteChunk chunk;
    const std::vector<uint8_t> header(c.leadingBytes, 0xEE);
    chunk.Append(header.data(), c.leadingBytes);
    for (double value : c.stored)
      chunk.AppendValue(value);
    chunk.Resize(chunk.Size() - c.droppedBytes);

    EXPECT_EQ(plugin.LoadState(chunk, c.startPos), c.expectedPos) << c.what;
    EXPECT_EQ(ValuesOf(plugin), c.expectedValues) << c.what;
    EXPECT_EQ(plugin.log, ResetCalls("Preset")) << c.what;
  }
}

TEST(PluginBase, FirstApplyCapturesTheStateAndTheNextRestoresIt) {
  RecordingPlugin plugin;
  SetValues(plugin, {40, -1, 0});
  ASSERT_TRUE(plugin.ApplyPreset(2));
  const fw::PresetSlot& slot = *plugin.Preset(2);
  EXPECT_TRUE(slot.initialized);
  EXPECT_STREQ(plugin.PresetName(2), "user preset 1");
  ByteChunk saved;
  plugin.SaveState(saved);
  ASSERT_EQ(slot.chunk.Size(), saved.Size());
  EXPECT_TRUE(std::equal(saved.Bytes(), saved.Bytes() + saved.Size(), slot.chunk.Bytes()));
  EXPECT_EQ(plugin.CurrentPresetIndex(), 2);

  SetValues(plugin, {70, 4, 2});
  ASSERT_TRUE(plugin.ApplyPreset(6));  // another capture moves the current index
  EXPECT_EQ(plugin.CurrentPresetIndex(), 6);
  plugin.log.clear();
  ASSERT_TRUE(plugin.ApplyPreset(2));
  EXPECT_EQ(ValuesOf(plugin), (std::vector<double>{40, -1, 0}));
  EXPECT_EQ(plugin.CurrentPresetIndex(), 2);
  EXPECT_STREQ(plugin.PresetName(2), "user preset 1");
  // The load's reset, then the preset notification and the push to the editor.
  fwtest::CallLog expected = ResetCalls("Preset");
  expected.push_back("presets changed");
  for (int i = 0; i < 3; ++i)
    expected.push_back("in editor " + std::to_string(i) + " Editor Delegate");
  EXPECT_EQ(plugin.log, expected);
}

TEST(PluginBase, CapturedNamesCountTheUserPresetsAlreadyNamed) {
  RecordingPlugin plugin;
  ASSERT_TRUE(plugin.ApplyPreset(3));
  ASSERT_TRUE(plugin.ApplyPreset(5));
  ASSERT_TRUE(plugin.ApplyPreset(5));  // a restore keeps the name
  ASSERT_TRUE(plugin.ApplyPreset(0));
  const std::vector<std::string> expected = {
      "user preset 3", "empty", "empty", "user preset 1", "empty", "user preset 2", "empty"};
  std::vector<std::string> names;
  for (int32_t i = 0; i < plugin.PresetCount(); ++i)
    names.push_back(plugin.PresetName(i));
  EXPECT_EQ(names, expected);
}

TEST(PluginBase, PresetIndicesOutsideTheSlotsChangeNothing) {
  RecordingPlugin plugin;
  ASSERT_TRUE(plugin.ApplyPreset(3));
  plugin.log.clear();
  for (int32_t index :
       {-1, 7, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()}) {
    EXPECT_FALSE(plugin.ApplyPreset(index)) << index;
    EXPECT_STREQ(plugin.PresetName(index), "") << index;
    EXPECT_EQ(plugin.Preset(index), nullptr) << index;
  }
  EXPECT_EQ(plugin.CurrentPresetIndex(), 3);
  EXPECT_TRUE(plugin.log.empty());
}

// A plug-in whose state save or load can be made to fail.
class FailingStatePlugin final : public RecordingPlugin {
 public:
  bool SaveState(ByteChunk& chunk) const override { return !failSave && SerializeParams(chunk); }
  int32_t LoadState(const ByteChunk& chunk, int32_t startPos) override {
    return failLoad ? -1 : UnserializeParams(chunk, startPos);
  }
  bool failSave = false;
  bool failLoad = false;
};

TEST(PluginBase, FailedSaveOrLoadIsReportedAndKeepsTheCurrentPreset) {
  FailingStatePlugin plugin;
  plugin.failSave = true;
  EXPECT_FALSE(plugin.ApplyPreset(1));
  // The slot was claimed before the save failed, as a host may already list it.
  EXPECT_TRUE(plugin.Preset(1)->initialized);
  EXPECT_STREQ(plugin.PresetName(1), "user preset 1");
  EXPECT_EQ(plugin.CurrentPresetIndex(), 0);

  plugin.failSave = false;
  ASSERT_TRUE(plugin.ApplyPreset(4));
  plugin.failLoad = true;
  plugin.log.clear();
  EXPECT_FALSE(plugin.ApplyPreset(4));
  EXPECT_EQ(plugin.CurrentPresetIndex(), 4);
  ASSERT_TRUE(plugin.ApplyPreset(2));
  EXPECT_FALSE(plugin.ApplyPreset(4));
  EXPECT_EQ(plugin.CurrentPresetIndex(), 2);
  EXPECT_EQ(std::count(plugin.log.begin(), plugin.log.end(), "presets changed"), 1);
}

// No parameters: the state is empty, and restoring an empty state succeeds.
class StatelessPlugin final : public fw::PluginBase {
 public:
  StatelessPlugin() : PluginBase(0, 2) {}
  void BeginParamGesture(int32_t) override {}
  void EndParamGesture(int32_t) override {}
};

TEST(PluginBase, EmptyStateCapturesAndRestores) {
  StatelessPlugin plugin;
  ByteChunk chunk;
  EXPECT_TRUE(plugin.SaveState(chunk));
  EXPECT_EQ(chunk.Size(), 0);
  ASSERT_TRUE(plugin.ApplyPreset(1));
  EXPECT_TRUE(plugin.ApplyPreset(1));
  EXPECT_EQ(plugin.CurrentPresetIndex(), 1);
}

}  // namespace
