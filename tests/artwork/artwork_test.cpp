#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "editor/panel_layout.h"
#include "tools/artwork/artwork_set.h"
#include "tools/artwork/scales.h"

namespace {

std::vector<std::string> BuiltFiles() {
  std::vector<std::string> files;
  std::stringstream list(HALVERN_ARTWORK_FILES);
  for (std::string file; std::getline(list, file, ';');)
    files.push_back(file);
  return files;
}

struct Png {
  explicit Png(const std::string& path)
      : surface(cairo_image_surface_create_from_png(path.c_str())) {}
  ~Png() { cairo_surface_destroy(surface); }
  bool Ok() const { return cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS; }
  int Width() const { return cairo_image_surface_get_width(surface); }
  int Height() const { return cairo_image_surface_get_height(surface); }
  uint8_t Alpha(int x, int y) const {
    cairo_surface_flush(surface);
    const uint8_t* row = cairo_image_surface_get_data(surface) +
                         static_cast<std::ptrdiff_t>(y) * cairo_image_surface_get_stride(surface);
    return static_cast<uint8_t>(reinterpret_cast<const uint32_t*>(row)[x] >> 24);
  }
  cairo_surface_t* surface;
};

TEST(BuiltArtwork, EveryBitmapExistsAtOneAndTwoTimesItsPointSize) {
  const std::vector<std::string> files = BuiltFiles();
  EXPECT_EQ(files.size(), panel::kArtwork.size() * 2);
  for (const panel::Artwork* art : panel::kArtwork) {
    for (int scale : {1, 2}) {
      const std::string name = artwork::ScaledFileName(art->file, scale);
      auto found = std::find_if(files.begin(), files.end(), [&](const std::string& path) {
        return path.size() > name.size() && path.ends_with("/" + name);
      });
      ASSERT_NE(found, files.end()) << name;
      const Png png(*found);
      ASSERT_TRUE(png.Ok()) << *found;
      EXPECT_EQ(png.Width(), art->width * scale) << name;
      EXPECT_EQ(png.Height(), art->height * art->frames * scale) << name;
    }
  }
}

TEST(BuiltArtwork, CrossStackIsEmptyWhenOffAndMarkedWhenOn) {
  for (int scale : {1, 2}) {
    const std::string name = artwork::ScaledFileName(panel::kCross.file, scale);
    const std::vector<std::string> files = BuiltFiles();
    auto found = std::find_if(files.begin(), files.end(),
                              [&](const std::string& path) { return path.ends_with("/" + name); });
    ASSERT_NE(found, files.end());
    const Png png(*found);
    ASSERT_TRUE(png.Ok());
    const int frame = panel::kCross.height * scale;
    int opaqueOff = 0, opaqueOn = 0;
    for (int y = 0; y < 2 * frame; ++y) {
      for (int x = 0; x < png.Width(); ++x) {
        if (png.Alpha(x, y) > 128) ++(y < frame ? opaqueOff : opaqueOn);
      }
    }
    EXPECT_EQ(opaqueOff, 0) << name;
    EXPECT_GT(opaqueOn, frame * frame / 10) << name;
  }
}

TEST(ArtworkNames, TwoTimesVariantGoesBeforeTheExtension) {
  EXPECT_EQ(artwork::ScaledFileName("HV_back.png", 1), "HV_back.png");
  EXPECT_EQ(artwork::ScaledFileName("HV_back.png", 2), "HV_back@2x.png");
  EXPECT_EQ(artwork::ScaledFileName("a.b.png", 3), "a.b@3x.png");
  EXPECT_EQ(artwork::ScaledFileName("plain", 2), "plain@2x");
}

// Each printed scale spans its parameter from minimum to maximum, in order, within the
// handle's travel, with its numbers far enough apart to read.
TEST(PanelScales, SpanTheParameterAndStayLegible) {
  const artwork::ProductParameters params;
  constexpr double kMinNumberSpacing = 9;  // points between numbers along a fader
  constexpr double kMinNumberDegrees = 20;
  auto check = [&](HalvernParam index, const std::vector<artwork::Tick>& ticks, double first,
                   double last, double spacing) {
    const fw::Parameter& param = params[index];
    ASSERT_GE(ticks.size(), 2u) << param.Name();
    EXPECT_EQ(ticks.front().value, param.Min()) << param.Name();
    EXPECT_EQ(ticks.back().value, param.Max()) << param.Name();
    EXPECT_DOUBLE_EQ(ticks.front().position, first) << param.Name();
    EXPECT_DOUBLE_EQ(ticks.back().position, last) << param.Name();
    const artwork::Tick* previousNumber = nullptr;
    for (std::size_t i = 1; i < ticks.size(); ++i) {
      EXPECT_GT(ticks[i].value, ticks[i - 1].value) << param.Name();
    }
    for (const artwork::Tick& tick : ticks) {
      if (tick.label.empty()) continue;
      if (previousNumber != nullptr) {
        EXPECT_GE(std::abs(tick.position - previousNumber->position), spacing)
            << param.Name() << " " << previousNumber->label << " and " << tick.label;
      }
      previousNumber = &tick;
    }
  };
  for (const panel::Fader& fader : panel::kFaders) {
    const std::vector<artwork::Tick> ticks = artwork::FaderScale(params, fader);
    if (fader.param == kWidth) {
      EXPECT_TRUE(ticks.empty());
      continue;
    }
    check(fader.param, ticks, fader.HandleCentre(0), fader.HandleCentre(1), kMinNumberSpacing);
  }
  for (const panel::Knob& knob : panel::kKnobs) {
    check(knob.param, artwork::KnobScale(params, knob), panel::kKnobMinAngle, panel::kKnobMaxAngle,
          kMinNumberDegrees);
  }
}

// On a power-curve fader the printed middle value is where the curve puts it, not half way.
TEST(PanelScales, PowerCurveNumbersFollowTheShape) {
  const artwork::ProductParameters params;
  const panel::Fader& predelay = panel::kFaders[0];
  ASSERT_EQ(predelay.param, kPredelay);
  for (const artwork::Tick& tick : artwork::FaderScale(params, predelay)) {
    if (tick.label != "50") continue;
    // 50 of 100 ms with the exponent 2.3 sits at 0.5^(1/2.3) of the travel.
    EXPECT_NEAR(tick.position, predelay.HandleCentre(std::pow(0.5, 1 / 2.3)), 1e-9);
    EXPECT_LT(tick.position, predelay.HandleCentre(0.5) - 30);
    return;
  }
  FAIL() << "no 50 on the pre-delay scale";
}

}  // namespace
