#include <gtest/gtest.h>

#include <stdexcept>

#include "graphics/bitmap_controls.h"
#include "graphics/text_control.h"
#include "tests/graphics/art/fixture_art.h"
#include "tests/graphics/test_support.h"

namespace {

using fw::gui::Bitmap;
using fw::gui::MouseMods;
using fw::gui::Rect;
using gfxtest::At;
using gfxtest::DragTo;
using gfxtest::Log;

class TestKnob : public fw::gui::KnobControlBase {
 public:
  using KnobControlBase::KnobControlBase;
  void Render(fw::gui::Graphics&) override {}
};

class TestSlider : public fw::gui::SliderControlBase {
 public:
  using SliderControlBase::SliderControlBase;
  void Render(fw::gui::Graphics&) override {}
};

class TestSwitch : public fw::gui::SwitchControlBase {
 public:
  using SwitchControlBase::SwitchControlBase;
  void Render(fw::gui::Graphics&) override {}
};

struct Editor {
  Editor() : g(gfxtest::MakeContext(delegate)) {}
  template <class T, class... Args>
  T* Add(Args&&... args) {
    auto* c = static_cast<T*>(g->AddControl(std::make_unique<T>(std::forward<Args>(args)...)));
    delegate.log.clear();
    return c;
  }
  void Press(float x, float y, MouseMods mods = {}) {
    auto e = At(x, y, mods);
    g->PointerDown({&e, 1});
  }
  void Drag(float dX, float dY, MouseMods mods = {}) {
    auto e = DragTo(0, 0, dX, dY, mods);
    g->PointerDrag({&e, 1});
  }
  void Release() {
    auto e = At(0, 0);
    g->PointerUp({&e, 1});
  }

  gfxtest::TestDelegate delegate;
  std::unique_ptr<fw::gui::GraphicsHeadless> g;
};

MouseMods Shift() {
  MouseMods mods;
  mods.shift = true;
  return mods;
}

TEST(KnobControl, RelativeDragsFollowTheGearing) {
  Editor e;
  auto* knob = e.Add<TestKnob>(Rect{0, 0, 100, 100}, 0, fw::gui::kVertical, 4.0);
  e.Press(50, 50);
  e.Drag(0, -10);
  EXPECT_DOUBLE_EQ(knob->Value(), 0.025);  // a fortieth
  e.Drag(0, -10, Shift());
  EXPECT_DOUBLE_EQ(knob->Value(), 0.0275);  // plus a four-hundredth
  e.Drag(0, -1000);
  EXPECT_EQ(knob->Value(), 1.0);
  e.Drag(0, -1000);  // no reserve builds up beyond the end
  e.Drag(0, 10);
  EXPECT_DOUBLE_EQ(knob->Value(), 0.975);
  e.Release();
  EXPECT_EQ(e.delegate.log.front(), "begin 0");
  EXPECT_EQ(e.delegate.log.back(), "end 0");
  using Call = fw::gui::GraphicsHeadless::CursorCall;
  EXPECT_EQ(e.g->CursorCalls(), (std::vector<Call>{{Call::Hide, 0, true}, {Call::Show, 0, true}}));
}

TEST(KnobControl, SteppedParametersSnapWhileTheDragAccumulates) {
  Editor e;
  auto* knob = e.Add<TestKnob>(Rect{0, 0, 100, 100}, 1, fw::gui::kVertical, 4.0);
  e.Press(50, 50);
  const double expected[] = {0, 0, 0.1, 0.1, 0.1, 0.1, 0.1, 0.2};
  for (double value : expected) {
    e.Drag(0, -8);  // a fiftieth
    EXPECT_NEAR(knob->Value(), value, 1e-12);
  }
  EXPECT_NEAR(knob->dragValue, 8.0 / 50, 1e-12);
}

TEST(KnobControl, WheelStepsByHundredthsOrByTheParameterStep) {
  Editor e;
  auto* knob = e.Add<TestKnob>(Rect{0, 0, 100, 100}, 0);
  auto* stepped = e.Add<TestKnob>(Rect{100, 0, 200, 100}, 1);
  MouseMods ctrl;
  ctrl.ctrl = true;
  e.g->Wheel(50, 50, {}, 1);
  EXPECT_DOUBLE_EQ(knob->Value(), 0.01);
  e.g->Wheel(50, 50, ctrl, 1);
  EXPECT_DOUBLE_EQ(knob->Value(), 0.011);
  e.g->Wheel(50, 50, {}, -5);
  EXPECT_EQ(knob->Value(), 0.0);  // clamped
  stepped->SetValueFromHost(0.5);
  e.g->Wheel(150, 50, {}, -3);
  EXPECT_NEAR(stepped->Value(), 0.4, 1e-12);  // one step, whatever the delta
  e.g->Wheel(150, 50, {}, 0);
  EXPECT_NEAR(stepped->Value(), 0.4, 1e-12);
}

TEST(KnobControl, DoubleClickResetsToTheDefaultAndReportsItOnce) {
  Editor e;
  auto* knob = e.Add<TestKnob>(Rect{0, 0, 100, 100}, 0);
  knob->SetValueFromHost(0.9);
  EXPECT_TRUE(e.g->PointerDoubleClick(50, 50, {}));
  EXPECT_EQ(knob->Value(), 0.5);
  EXPECT_EQ(e.delegate.log, (Log{"send 0 0.5000"}));
}

TEST(SliderControl, APressJumpsToThePointerInThousandths) {
  const struct {
    float y;
    double value;
  } cases[] = {{199.99f, 0.0}, {200.0f - 37.4f, 0.374}, {100.0f, 1.0}};
  for (const auto& c : cases) {
    Editor e;
    auto* slider = e.Add<TestSlider>(Rect{0, 100, 20, 200}, 0, fw::gui::kVertical);
    e.Press(10, c.y);
    EXPECT_DOUBLE_EQ(slider->Value(), c.value) << c.y;
    ASSERT_FALSE(e.delegate.log.empty());
    EXPECT_EQ(e.delegate.log.front(), "begin 0");
  }
}

TEST(SliderControl, DragsAreRelativeAlongTheTrack) {
  Editor e;
  auto* slider = e.Add<TestSlider>(Rect{0, 0, 200, 20}, 0, fw::gui::kHorizontal, 1.0);
  e.Press(100, 10);
  EXPECT_DOUBLE_EQ(slider->Value(), 0.5);
  e.Drag(20, 0);
  EXPECT_DOUBLE_EQ(slider->Value(), 0.6);
  e.Drag(20, 0, Shift());
  EXPECT_DOUBLE_EQ(slider->Value(), 0.61);
}

TEST(SwitchControl, StepsThroughItsStates) {
  Editor e;
  auto* three = e.Add<TestSwitch>(Rect{0, 0, 10, 10}, -1, nullptr, 3);
  auto* two = e.Add<TestSwitch>(Rect{20, 0, 30, 10}, -1, nullptr, 2);
  auto* mode = e.Add<TestSwitch>(Rect{40, 0, 50, 10}, 2, nullptr, 2);
  EXPECT_EQ(mode->numStates, 3);  // from the parameter's range
  std::vector<double> values;
  for (int i = 0; i < 3; ++i) {
    e.Press(5, 5);
    e.Release();
    values.push_back(three->Value());
  }
  EXPECT_EQ(values, (std::vector<double>{0.5, 1.0, 0.0}));
  two->SetValueFromHost(0.3);
  e.g->PointerDoubleClick(25, 5, {});  // a double click is one more press
  EXPECT_EQ(two->Value(), 0.0);
  e.g->PointerDoubleClick(25, 5, {});
  EXPECT_EQ(two->Value(), 1.0);
}

TEST(Control, GreyedOutControlsFadeAndIgnoreThePointer) {
  Editor e;
  auto* knob = e.Add<TestKnob>(Rect{0, 0, 100, 100}, 0);
  knob->SetGreyedOut(true);
  EXPECT_EQ(knob->blend.weight, 0.25f);
  EXPECT_EQ(e.g->FindControlAt(50, 50, false), nullptr);
  knob->mouseWhenDisabled = true;
  EXPECT_EQ(e.g->FindControlAt(50, 50, false), knob);
  knob->SetGreyedOut(false);
  EXPECT_EQ(knob->blend.weight, 1.0f);
}

TEST(Control, BindingAValueThatDoesNotExistThrows) {
  TestKnob knob(Rect{0, 0, 10, 10});
  knob.BindParam(3, 0);
  EXPECT_EQ(knob.ParamIdx(), 3);
  try {
    knob.BindParam(3, 1);
    FAIL() << "no exception";
  } catch (const std::out_of_range& error) {
    EXPECT_STREQ(error.what(), "invalid vector subscript");
  }
}

TEST(Control, GeometryMovesBothRectangles) {
  TestKnob knob(Rect{10, 10, 30, 20});
  knob.MoveTo(-5, 40);
  EXPECT_EQ(knob.bounds, (Rect{0, 40, 20, 50}));
  EXPECT_EQ(knob.targetBounds, knob.bounds);
  knob.ResizeTo(-3, 7);
  EXPECT_EQ(knob.bounds, (Rect{0, 40, 0, 47}));
}

TEST(BitmapControls, TheValueSelectsTheFrame) {
  const struct {
    double value;
    int frame;
  } cases[] = {{0.0, 1}, {1.0, 60}, {0.5, 31}, {0.0084, 1}, {0.0085, 2}, {2.0, 60}};
  for (const auto& c : cases) {
    EXPECT_EQ(fw::gui::BitmapBase::FrameForValue(60, c.value), c.frame) << c.value;
  }
  EXPECT_EQ(fw::gui::BitmapBase::FrameForValue(1, 0.7), 1);

  Editor e;  // and the frame drawn is that one: frame k of the strip has red = k
  Bitmap strip = e.g->FetchBitmap("fixture_strip.png", fixture::kStripFrames, false);
  auto* control = e.Add<fw::gui::BitmapControl>(Rect{100, 100, 110, 110}, strip, 0);
  for (const auto& c : cases) {
    control->SetValueFromHost(c.value);
    e.g->Frame();
    uint32_t pixel = gfxtest::PixelAt(*e.g, 105, 105);
    EXPECT_EQ(static_cast<int>(pixel >> 16 & 0xff), c.frame) << c.value;
  }
}

TEST(BitmapControls, GeometryComesFromTheBitmaps) {
  Editor e;
  Bitmap handle = e.g->FetchBitmap("fixture_handle.png");
  Bitmap check = e.g->FetchBitmap("fixture_check.png", 2, false);
  auto* knob = e.Add<fw::gui::BitmapKnobControl>(Rect{0, 0, 40, 30}, check, 0);
  EXPECT_EQ(knob->bounds, (Rect{12, 7, 28, 23}));  // one frame centred
  auto* sw = e.Add<fw::gui::BitmapSwitchControl>(100.0f, 50.0f, check, -1);
  EXPECT_EQ(sw->bounds, (Rect{100, 50, 116, 66}));
  auto* h = e.Add<fw::gui::BitmapSliderControl>(10.0f, 200.0f, 120.0f, handle, Bitmap{}, 0,
                                                fw::gui::kHorizontal);
  EXPECT_EQ(h->bounds, (Rect{10, 200, 130, 210}));
  EXPECT_EQ(h->handleSize, 20.0f);
  EXPECT_EQ(h->track, (Rect{10, 200, 130, 210}));
  h->SetValueFromHost(1.0);
  EXPECT_EQ(h->HandleRect(), (Rect{110, 200, 130, 210}));
  auto* v = e.Add<fw::gui::BitmapSliderControl>(300.0f, 100.0f, 110.0f, handle, Bitmap{}, 0);
  EXPECT_EQ(v->bounds, (Rect{300, 100, 320, 210}));
  EXPECT_EQ(v->track, (Rect{300, 100, 320, 210}));
  EXPECT_EQ(v->HandleRect(), (Rect{300, 200, 320, 210}));  // value 0: at the bottom
  e.Press(105, 55);
  EXPECT_EQ(sw->Value(), 1.0);
  e.Release();
  e.Press(105, 55);
  EXPECT_EQ(sw->Value(), 0.0);  // past the last frame: back to the first
}

TEST(TextControl, SizesItselfToItsText) {
  Editor e;
  ASSERT_TRUE(e.g->RegisterFont("Roboto-Regular", "Roboto-Regular.ttf"));
  auto* text = e.Add<fw::gui::TextControl>(Rect{100, 100, 300, 140}, "Version 4.1.2",
                                           fw::gui::TextStyle{}, fw::gui::Color{0, 0, 0, 0}, true);
  Rect measured;
  e.g->MeasureText(text->textStyle, "Version 4.1.2", measured);
  EXPECT_FLOAT_EQ(text->bounds.W(), measured.W());
  EXPECT_FLOAT_EQ(text->bounds.H(), measured.H());
  EXPECT_FLOAT_EQ(text->bounds.MW(), 200.0f);
  EXPECT_TRUE(text->ignoreMouse);
  text->SetTextFormatted(4, "%s", "truncated");
  EXPECT_EQ(text->GetText(), "trun");
}

}  // namespace
