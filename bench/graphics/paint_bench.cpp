// Repaint cost of an editor-sized context: 650 × 438 points with a background and
// twenty bitmap controls (twelve faders, four rotating knobs, four switches).
#include <benchmark/benchmark.h>

#include "framework/graphics_editor_delegate.h"
#include "graphics/bitmap_controls.h"
#include "graphics/platform/headless/graphics_headless.h"

namespace {

using namespace fw::gui;

class BenchDelegate : public GraphicsEditorDelegate {
 public:
  BenchDelegate() : GraphicsEditorDelegate(20) {
    for (int i = 0; i < 20; ++i) {
      Param(i)->Configure("P", 0.5, 0, 1, 0.001, "", fw::NoParamFlags, "",
                          fw::Parameter::ShapeLinear(), 21);
    }
  }
  void BeginParamGesture(int32_t) override {}
  void EndParamGesture(int32_t) override {}
};

struct Editor {
  explicit Editor(float scale) : g(&delegate, 650, 438, 60, scale) {
    g.SetBackgroundImage("fixture_back.png");
    Bitmap handle = g.FetchBitmap("fixture_handle.png");
    Bitmap check = g.FetchBitmap("fixture_check.png", 2, false);
    for (int i = 0; i < 12; ++i) {
      fader = g.AddControl(std::make_unique<BitmapSliderControl>(30.0f + 48 * i, 120.0f, 200.0f,
                                                                 handle, Bitmap{}, i, kVertical));
    }
    for (int i = 0; i < 4; ++i) {
      g.AddControl(
          std::make_unique<BitmapKnobRotaterControl>(60.0f + 140 * i, 360.0f, handle, 12 + i));
    }
    for (int i = 0; i < 4; ++i) {
      g.AddControl(std::make_unique<BitmapSwitchControl>(400.0f + 30 * i, 40.0f, check, 16 + i));
    }
    int n = 0;
    g.ForEachControl([&n](Control& c) { c.SetValueFromHost(0.1 + 0.04 * n++); });
    g.Frame();
  }

  BenchDelegate delegate;
  GraphicsHeadless g;
  BitmapSliderControl* fader = nullptr;
};

void FullRepaint(benchmark::State& state) {
  Editor editor(static_cast<float>(state.range(0)) / 100);
  for (auto _ : state) {
    editor.g.MarkAllDirty();
    editor.g.Frame();
    benchmark::DoNotOptimize(editor.g.PixelData()[0]);
  }
}

void SingleControlRepaint(benchmark::State& state) {
  Editor editor(static_cast<float>(state.range(0)) / 100);
  double value = 0.0;
  for (auto _ : state) {
    value = value < 0.9 ? value + 0.05 : 0.0;
    editor.fader->SetValueFromHost(value);
    editor.g.Frame();
    benchmark::DoNotOptimize(editor.g.PixelData()[0]);
  }
}

// The argument is the draw scale in per cent.
BENCHMARK(FullRepaint)->Arg(100)->Arg(200)->ArgName("zoom")->Unit(benchmark::kMillisecond);
BENCHMARK(SingleControlRepaint)->Arg(100)->Arg(200)->ArgName("zoom")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
