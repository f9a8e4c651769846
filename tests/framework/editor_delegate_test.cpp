#include <gtest/gtest.h>

#include <string>

#include "tests/framework/recording_plugin.h"

namespace {

using fwtest::CallLog;
using fwtest::RecordingPlugin;

TEST(EditorDelegate, ConstrainEditorSizeClampsIntoTheLimits) {
  const struct {
    int minW, maxW, minH, maxH;
    int width, height;
    bool within;
    int expectedW, expectedH;
  } cases[] = {
      {216, 1950, 146, 1314, 100, 100, false, 216, 146},
      {216, 1950, 146, 1314, 650, 438, true, 650, 438},
      {216, 1950, 146, 1314, 216, 1314, true, 216, 1314},
      {216, 1950, 146, 1314, 2000, 500, false, 1950, 500},
      {216, 1950, 146, 1314, 500, 2000, false, 500, 1314},
      {1950, 216, 1314, 146, 100, 100, false, 216, 146},  // limits given the wrong way round
  };
  for (const auto& c : cases) {
    RecordingPlugin plugin;
    plugin.SetSizeLimits(c.minW, c.maxW, c.minH, c.maxH);
    int32_t width = c.width, height = c.height;
    EXPECT_EQ(plugin.ConstrainEditorSize(width, height), c.within) << c.width << "x" << c.height;
    EXPECT_EQ(width, c.expectedW) << c.width << "x" << c.height;
    EXPECT_EQ(height, c.expectedH) << c.width << "x" << c.height;
  }
  RecordingPlugin unlimited;  // 10…100000 both ways until limits are set
  int32_t width = 9, height = 100001;
  EXPECT_FALSE(unlimited.ConstrainEditorSize(width, height));
  EXPECT_EQ(width, 10);
  EXPECT_EQ(height, 100000);
}

TEST(EditorDelegate, ParamResetAnnouncesEveryIndexInOrder) {
  for (fw::ParamSource source : {fw::ParamSource::Reset, fw::ParamSource::Preset}) {
    RecordingPlugin plugin;
    plugin.OnParamReset(source);
    EXPECT_EQ(plugin.log, fwtest::ResetCalls(fw::ParamSourceName(source)));
  }
}

TEST(GraphicsEditorDelegate, EveryOpenStartsWithTheCloseSequence) {
  RecordingPlugin plugin;
  plugin.UseFakeGraphics();
  int parent = 0;
  EXPECT_EQ(plugin.OpenEditor(&parent), &parent);
  EXPECT_EQ(plugin.log, (CallLog{"closing", "make graphics", "open window"}));
  ASSERT_NE(plugin.GetGraphics(), nullptr);

  plugin.log.clear();
  plugin.OpenEditor(&parent);  // reopening an open editor replaces its context
  EXPECT_EQ(plugin.log, (CallLog{"closing", "close window", "make graphics",
                                 "size 650x438 scale 1 resize", "open window"}));
}

TEST(GraphicsEditorDelegate, ReopenedEditorGetsTheSizeAndScaleItWasClosedWith) {
  RecordingPlugin plugin;
  plugin.UseFakeGraphics();
  int parent = 0;
  plugin.OpenEditor(&parent);
  plugin.GetGraphics()->SetSizeAndScale(975, 657, 1.5f, false);
  plugin.CloseEditor();
  EXPECT_EQ(plugin.GetGraphics(), nullptr);
  plugin.log.clear();
  plugin.OpenEditor(&parent);
  EXPECT_EQ(plugin.log,
            (CallLog{"closing", "make graphics", "size 975x657 scale 1.5 resize", "open window"}));
}

TEST(GraphicsEditorDelegate, DeliveredValuesReachTheControlsNormalised) {
  RecordingPlugin plugin;
  plugin.UseFakeGraphics();
  plugin.DeliverParamToEditor(0, 25, false);  // closed: only the hook
  int parent = 0;
  plugin.OpenEditor(&parent);
  plugin.log.clear();
  plugin.DeliverParamToEditor(0, 25, false);   // real 25 ms of 0…100
  plugin.DeliverParamToEditor(0, 0.75, true);  // already normalised
  plugin.DeliverParamToEditor(2, 2, false);    // the last of three choices
  EXPECT_EQ(plugin.log,
            (CallLog{"control 0 0.25", "in editor 0 Editor Delegate", "control 0 0.75",
                     "in editor 0 Editor Delegate", "control 2 1", "in editor 2 Editor Delegate"}));

  plugin.log.clear();
  plugin.OnStateRestored();  // pushes every current value
  EXPECT_EQ(plugin.log, (CallLog{"control 0 0.25", "in editor 0 Editor Delegate", "control 1 0.6",
                                 "in editor 1 Editor Delegate", "control 2 0.5",
                                 "in editor 2 Editor Delegate"}));
}

TEST(GraphicsEditorDelegate, NoEditorWithoutAMakeGraphicsCallable) {
  RecordingPlugin plugin;
  EXPECT_EQ(plugin.MakeGraphics(), nullptr);
  int parent = 0;
  EXPECT_EQ(plugin.OpenEditor(&parent), nullptr);
  EXPECT_EQ(plugin.GetGraphics(), nullptr);
  EXPECT_EQ(plugin.log, (CallLog{"closing"}));
  plugin.DeliverParamToEditor(1, 3, false);
  EXPECT_EQ(plugin.log.back(), "in editor 1 Editor Delegate");
}

}  // namespace
