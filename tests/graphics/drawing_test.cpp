#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "graphics/bitmap_controls.h"
#include "graphics/cairo/graphics_cairo.h"
#include "graphics/text_control.h"
#include "tests/graphics/art/fixture_art.h"
#include "tests/graphics/test_support.h"

namespace {

using fw::gui::Bitmap;
using fw::gui::Blend;
using fw::gui::Color;
using fw::gui::Rect;
using gfxtest::PixelAt;

// The fixture editor: background, a horizontal slider at half, a switch that is on,
// a rotating knob and a text line.
void LayOutFixture(fw::gui::Graphics& g) {
  g.RegisterFont("Roboto-Regular", "Roboto-Regular.ttf");
  g.SetBackgroundImage("fixture_back.png");
  Bitmap handle = g.FetchBitmap("fixture_handle.png");
  auto* slider = g.AddControl(std::make_unique<fw::gui::BitmapSliderControl>(
      100.0f, 300.0f, 220.0f, handle, Bitmap{}, 0, fw::gui::kHorizontal));
  slider->SetValueFromHost(0.5);
  auto* sw = g.AddControl(std::make_unique<fw::gui::BitmapSwitchControl>(
      400.0f, 100.0f, g.FetchBitmap("fixture_check.png", 2, false), -1));
  sw->SetValueFromHost(1.0);
  g.AddControl(
      std::make_unique<fw::gui::BitmapKnobRotaterControl>(500.0f, 300.0f, handle, 3, -90.0, 90.0));
  fw::gui::TextStyle style;
  style.color = {255, 255, 255, 255};
  g.AddControl(
      std::make_unique<fw::gui::TextControl>(Rect{20, 20, 300, 60}, "Halvern 4.1.2", style));
}

TEST(Drawing, TheFixtureEditorPaintsTheExpectedPixelsAt1xAnd2x) {
  for (float scale : {1.0f, 1.5f, 2.0f}) {
    gfxtest::TestDelegate delegate;
    auto g = gfxtest::MakeContext(delegate, scale);
    LayOutFixture(*g);
    ASSERT_TRUE(g->Frame());
    gfxtest::Snapshot(*g, "fixture_editor_" + std::to_string(static_cast<int>(scale * 10)));
    if (scale == 1.5f) continue;  // looked at, not pinned: 1.5 resamples the 2× art
    auto at = [&](float x, float y) {
      return PixelAt(*g, static_cast<int>(x * scale), static_cast<int>(y * scale));
    };
    SCOPED_TRACE(scale);
    EXPECT_EQ(at(10, 400), fixture::kBackLeft);
    EXPECT_EQ(at(640, 400), fixture::kBackRight);
    // Slider: track 100…320, the 20-point handle at half travel spans 200…220.
    EXPECT_EQ(at(210, 305), fixture::kHandle);
    EXPECT_EQ(at(200.5f, 300.5f), fixture::kHandle);
    EXPECT_EQ(at(199, 305), fixture::kBackLeft);
    EXPECT_EQ(at(221, 305), fixture::kBackLeft);
    // Switch on: its second frame.
    EXPECT_EQ(at(408, 108), fixture::kCheck);
    EXPECT_EQ(at(417, 108), fixture::kBackRight);
    // Knob at value 0 turned by −90°: the 20 × 10 handle stands upright around (510, 305),
    // within the knob's own bounds (500…520 × 300…310).
    EXPECT_EQ(at(510, 308), fixture::kHandle);
    EXPECT_EQ(at(503, 305), fixture::kBackRight);
    EXPECT_EQ(at(510, 312), fixture::kBackRight);
    // Only the 2× background has the one-pixel stripe at pixel column 101.
    uint32_t stripe = PixelAt(*g, 101, 200);
    EXPECT_EQ(stripe, scale == 2.0f ? fixture::kStripe2x : fixture::kBackLeft);
    EXPECT_EQ(PixelAt(*g, 102, 200), fixture::kBackLeft);
    // Text: some white ink inside its line, none far from it.
    int ink = 0;
    for (float x = 100; x < 220; x += 0.5f)
      ink += (at(x, 40) & 0xff) > 0xc0;
    EXPECT_GT(ink, 10);
    EXPECT_EQ(at(150, 70), fixture::kBackLeft);
  }
}

TEST(Drawing, PixelsArePremultipliedBgraInMemory) {
  gfxtest::TestDelegate delegate;
  auto g = gfxtest::MakeContext(delegate);
  g->FillRect({128, 255, 0, 64}, {0, 0, 10, 10});
  const uint8_t* p = g->PixelData() + 5 * g->RowBytes() + 5 * 4;
  EXPECT_NEAR(p[0], 32, 1);   // blue, premultiplied: 64 × 128/255
  EXPECT_EQ(p[1], 0);         // green
  EXPECT_NEAR(p[2], 128, 1);  // red, premultiplied
  EXPECT_EQ(p[3], 128);       // alpha
  Color back = g->ReadPixel(5, 5);
  EXPECT_EQ(back.A, 128);
  EXPECT_NEAR(back.R, 255, 2);
}

TEST(Drawing, ABitmapFrameAtItsOwnResolutionIsCopiedPixelForPixel) {
  gfxtest::TestDelegate delegate;
  auto g = gfxtest::MakeContext(delegate, 2.0f);
  Bitmap back = g->FetchBitmap("fixture_back.png");
  ASSERT_EQ(back.api->Scale(), 2);
  g->DrawBitmapFrame(back, {10, 10, 60, 60}, 25, 0);  // source points 25…75: the stripe at 50.5
  cairo_surface_t* source = static_cast<fw::gui::CairoBitmap*>(back.api)->Surface();
  cairo_surface_flush(source);
  const uint8_t* src = cairo_image_surface_get_data(source);
  int srcStride = cairo_image_surface_get_stride(source);
  int mismatches = 0;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 100; ++x) {
      uint32_t expected = reinterpret_cast<const uint32_t*>(src + y * srcStride)[50 + x];
      mismatches += PixelAt(*g, 20 + x, 20 + y) != (expected | 0xff000000u);
    }
  }
  EXPECT_EQ(mismatches, 0);
  EXPECT_EQ(PixelAt(*g, 20 + 51, 50), fixture::kStripe2x);
  EXPECT_EQ(PixelAt(*g, 19, 50), 0u);  // outside the destination
  EXPECT_EQ(PixelAt(*g, 120, 50), 0u);
}

// Porter-Duff on premultiplied channels in 0…1: returns the result for one channel.
double Compose(int method, double s, double sa, double d, double da) {
  switch (method) {
    case 0:
      return s + d * (1 - sa);
    case 1:
      return s * da;
    case 2:
      return s * (1 - da);
    case 3:
      return s * da + d * (1 - sa);
    case 4:
      return s * (1 - da) + d;
    case 5:
      return d * sa;
    case 6:
      return d * (1 - sa);
    case 7:
      return s * (1 - da) + d * sa;
    case 8:
      return std::min(1.0, s + d);
    case 9:
      return s * (1 - da) + d * (1 - sa);
    default:
      return 0;
  }
}

TEST(Drawing, EveryBlendModeActsUnderTheShapeOnly) {
  const std::array<double, 4> dst = {0.5, 0.0, 0.0,
                                     0.5};  // alpha, red, green, blue (premultiplied)
  const std::array<double, 4> src = {0.75, 0.75, 0.375, 0.0};
  for (int method = 0; method <= 12; ++method) {
    if (method == 11) continue;  // 11 and 12 both clear
    gfxtest::TestDelegate delegate;
    auto g = gfxtest::MakeContext(delegate);
    g->FillRect({128, 0, 0, 255}, {0, 0, 40, 40});
    Blend blend{method, 1.0f};
    const Rect shape{10, 10, 20, 20};
    g->FillRect({191, 255, 128, 0}, shape, &blend);
    g->DrawBitmapFrame(g->FetchBitmap("fixture_check.png", 2, false), {25, 25, 35, 35}, 0, 16,
                       &blend);
    SCOPED_TRACE(method);
    uint32_t inside = PixelAt(*g, 15, 15);
    double sa = 191 / 255.0, da = 128 / 255.0;
    const double expected[4] = {
        Compose(method, sa, sa, da, da), Compose(method, sa * 1.0, sa, 0, da),
        Compose(method, sa * 128 / 255.0, sa, 0, da), Compose(method, 0, sa, da, da)};
    const int shifts[4] = {24, 16, 8, 0};
    for (int c = 0; c < 4; ++c) {
      EXPECT_NEAR((inside >> shifts[c] & 0xff) / 255.0, expected[c], 2.5 / 255) << "channel " << c;
    }
    uint32_t untouched = PixelAt(*g, 5, 5);
    EXPECT_EQ(untouched, PixelAt(*g, 38, 5)) << "outside the shape";
    EXPECT_EQ(untouched >> 24, 128u);
    // The bitmap's shape is its frame: outside it, inside the clip, nothing changes.
    EXPECT_EQ(PixelAt(*g, 24, 30), untouched);
    EXPECT_EQ(PixelAt(*g, 36, 30), untouched);
    (void)dst;
    (void)src;
  }
}

TEST(Drawing, TextIsSizedFromAscenderToDescender) {
  gfxtest::TestDelegate delegate;
  auto g = gfxtest::MakeContext(delegate);
  ASSERT_TRUE(g->RegisterFont("Roboto-Regular", "Roboto-Regular.ttf"));
  fw::gui::TextStyle style;  // 14 points, centred both ways; Roboto: 2048 units, 1900 / −500
  Rect box{100, 100, 200, 140};
  float width = g->MeasureText(style, "Reverb", box);
  EXPECT_GT(width, 20.0f);
  EXPECT_NEAR(box.left, 100 + (100 - width) / 2, 1e-3);  // centred in the 100-point box
  // Ascender to descender spans the style's 14 points, centred on the box's middle; with
  // the ascender 1900/2400 of that above the baseline this needs the em size 14 × 2048/2400.
  EXPECT_NEAR(box.H(), 14.0, 1e-4);
  EXPECT_NEAR(box.top, 113.0, 1e-3);

  const struct {
    fw::gui::Align align;
    float left;
  } aligns[] = {{fw::gui::Align::Near, 100}, {fw::gui::Align::Far, 200 - width}};
  for (const auto& a : aligns) {
    style.align = a.align;
    Rect r{100, 100, 200, 140};
    g->MeasureText(style, "Reverb", r);
    EXPECT_NEAR(r.left, a.left, 1e-3);
  }
  Rect empty{100, 100, 200, 140};
  EXPECT_EQ(g->MeasureText(style, "", empty), 0.0f);
  EXPECT_TRUE(empty.Empty());
  style.font = "Not-Registered";
  Rect unknown{100, 100, 200, 140};
  EXPECT_EQ(g->MeasureText(style, "Reverb", unknown), 0.0f);
  g->DrawText(style, "Reverb", {0, 0, 650, 438});
  EXPECT_EQ(std::count(reinterpret_cast<const uint32_t*>(g->PixelData()),
                       reinterpret_cast<const uint32_t*>(g->PixelData()) + 650 * 438, 0u),
            650 * 438);
}

TEST(Drawing, ShapesCoverWhatTheyDescribe) {
  using Graphics = fw::gui::Graphics;
  const Color ink{255, 0, 0, 0};
  const float xs[] = {10, 30, 20}, ys[] = {10, 10, 30};
  const struct {
    const char* shape;
    std::function<void(Graphics&)> draw;
    float inX, inY, outX, outY;
  } cases[] = {
      {"filled ellipse",
       [&](Graphics& g) {
         g.FillEllipse(ink, {10, 10, 50, 30});
       },
       48, 20, 12, 12},
      {"ellipse outline",
       [&](Graphics& g) {
         g.DrawEllipse(ink, {10, 10, 50, 30}, nullptr, 2);
       },
       10.5f, 20, 30, 20},
      {"filled polygon", [&](Graphics& g) { g.FillConvexPolygon(ink, xs, ys); }, 20, 15, 12, 28},
      {"polygon outline", [&](Graphics& g) { g.DrawConvexPolygon(ink, xs, ys, nullptr, 2); }, 20,
       10.5f, 20, 15},
      {"triangle outline",
       [&](Graphics& g) { g.DrawTriangle(ink, 10, 10, 30, 10, 20, 30, nullptr, 2); }, 20, 10.5f, 20,
       15},
      {"point", [&](Graphics& g) { g.DrawPoint(ink, 7, 7); }, 7.5f, 7.5f, 8.5f, 7.5f},
      {"dotted line",
       [&](Graphics& g) { g.DrawDottedLine(ink, 10, 10.5f, 50, 10.5f, nullptr, 1, 4); }, 11, 10.5f,
       15, 10.5f},
      {"grid",
       [&](Graphics& g) {
         g.DrawGrid(ink, {0, 0, 40, 40}, 10, 0, nullptr, 2);
       },
       20, 35, 25, 35},
  };
  for (const auto& c : cases) {
    gfxtest::TestDelegate delegate;
    auto g = gfxtest::MakeContext(delegate);
    c.draw(*g);
    EXPECT_GT(PixelAt(*g, static_cast<int>(c.inX), static_cast<int>(c.inY)) >> 24, 200u) << c.shape;
    EXPECT_EQ(PixelAt(*g, static_cast<int>(c.outX), static_cast<int>(c.outY)), 0u) << c.shape;
  }
}

TEST(Drawing, FontsThatAreNotFontsAreRefused) {
  gfxtest::TestDelegate delegate;
  auto g = gfxtest::MakeContext(delegate);
  EXPECT_FALSE(g->RegisterFont("Fixture", "fixture_back.png"));  // not a TTF resource
  EXPECT_FALSE(g->RegisterFont("Fixture", "missing.ttf"));
  EXPECT_TRUE(g->RegisterFont("Roboto-Regular", "ROBOTO-REGULAR.TTF"));
}

}  // namespace
