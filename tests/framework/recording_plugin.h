#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "framework/plugin_base.h"
#include "graphics/platform/headless/graphics_headless.h"

namespace fwtest {

// One ordered log that the plug-in base and its editor write into, so a test can
// check what happened and in which order across both.
using CallLog = std::vector<std::string>;

inline std::string Describe(const char* what, double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%s %g", what, value);
  return text;
}

// A headless graphics context that logs what the delegate asks of it.
class FakeGraphics final : public fw::gui::GraphicsHeadless {
 public:
  FakeGraphics(CallLog& log, fw::gui::GraphicsEditorDelegate* delegate, int width, int height,
               float scale)
      : GraphicsHeadless(delegate, width, height, 60, scale), log_(log) {}

  void SetSizeAndScale(int width, int height, float scale, bool needsPlatformResize) override {
    log_.push_back("size " + std::to_string(width) + "x" + std::to_string(height) +
                   Describe(" scale", scale) + (needsPlatformResize ? " resize" : ""));
    GraphicsHeadless::SetSizeAndScale(width, height, scale, needsPlatformResize);
  }
  void* OpenWindow(void* parent) override {
    log_.push_back("open window");
    return parent;
  }
  void CloseWindow() override { log_.push_back("close window"); }
  void SetParamValueFromHost(int paramIndex, double normalizedValue) override {
    log_.push_back(Describe(("control " + std::to_string(paramIndex)).c_str(), normalizedValue));
  }

 private:
  CallLog& log_;
};

// A plug-in base with three parameters that logs the framework's notifications:
//   0 "Predelay"  real 0…100 ms, step 0.01, default 25
//   1 "Steps"     integer −5…5, default 1
//   2 "Detector"  enumeration "Dry Input", "Wet Output", "Sidechain", default 1
class RecordingPlugin : public fw::PluginBase {
 public:
  explicit RecordingPlugin(int32_t presetCount = 7) : PluginBase(3, presetCount) {
    static const char* const kDetectors[] = {"Dry Input", "Wet Output", "Sidechain"};
    Param(0)->Configure("Predelay", 25, 0, 100, 0.01, "ms", fw::NoParamFlags, "",
                        fw::Parameter::ShapeLinear(), 21);
    Param(1)->ConfigureInteger("Steps", 1, -5, 5, "", fw::NoParamFlags, "");
    Param(2)->ConfigureEnumeration("Detector", 1, 3, "", fw::NoParamFlags, "", kDetectors);
  }

  // Editors made from now on are fake graphics contexts of this size.
  void UseFakeGraphics(int width = 650, int height = 438, float scale = 1.0f) {
    makeGraphicsFunction = [this, width, height, scale] {
      log.push_back("make graphics");
      return std::make_unique<FakeGraphics>(log, this, width, height, scale);
    };
  }

  using EditorDelegate::SetSizeLimits;

  void BeginParamGesture(int32_t) override {}
  void EndParamGesture(int32_t) override {}

  using PluginBase::OnParamChange;
  void OnParamChange(int32_t index, fw::ParamSource source, int32_t sampleOffset) override {
    log.push_back("change " + std::to_string(index) + " " + fw::ParamSourceName(source) + " " +
                  std::to_string(sampleOffset));
    PluginBase::OnParamChange(index, source, sampleOffset);
  }
  void OnParamChangedInEditor(int32_t index, fw::ParamSource source) override {
    log.push_back("in editor " + std::to_string(index) + " " + fw::ParamSourceName(source));
  }
  void OnEditorClosing() override { log.push_back("closing"); }
  void OnPresetsChanged() override { log.push_back("presets changed"); }

  CallLog log;
};

// What OnParamReset(source) logs for the three parameters of RecordingPlugin.
inline CallLog ResetCalls(const char* source) {
  CallLog calls;
  for (int i = 0; i < 3; ++i) {
    calls.push_back("change " + std::to_string(i) + " " + source + " -1");
    calls.push_back("in editor " + std::to_string(i) + " " + source);
  }
  return calls;
}

}  // namespace fwtest
