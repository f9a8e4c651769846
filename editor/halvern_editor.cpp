#include "editor/halvern_editor.h"

#include <cmath>
#include <map>
#include <string>

#include "editor/corner_scale_control.h"
#include "editor/display_scale.h"
#include "editor/panel_layout.h"
#include "editor/product_controls.h"
#include "graphics/platform/window_host.h"
#include "graphics/text_control.h"

namespace halvern_editor {
namespace {

using namespace fw::gui;

constexpr int kFramesPerSecond = 60;
constexpr const char* kFontId = "Roboto-Regular";
constexpr double kGearing = 4.0;

TextStyle Style(float size, const Color& color) {
  TextStyle style;
  style.font = kFontId;
  style.size = size;
  style.color = color;
  style.entryBackground = {255, 255, 255, 255};
  style.entryText = {255, 0, 0, 0};
  style.angle = 0;
  style.align = Align::Centre;
  style.valign = Align::Centre;
  return style;
}

Rect ToRect(const panel::Box& box) {
  return {static_cast<float>(box.left), static_cast<float>(box.top), static_cast<float>(box.right),
          static_cast<float>(box.bottom)};
}

std::unique_ptr<HVRadioButtonsControl> RadioRow(const panel::RadioRow& row, const Bitmap& cross) {
  return std::make_unique<HVRadioButtonsControl>(ToRect(row.bounds), row.param, row.buttons, cross,
                                                 true);
}

}  // namespace

std::unique_ptr<Graphics> MakeGraphics(GraphicsEditorDelegate* delegate) {
  return MakeWindowHostGraphics(delegate, static_cast<int>(panel::kEditorWidth),
                                static_cast<int>(panel::kEditorHeight), kFramesPerSecond,
                                StoredDisplayScale());
}

void Layout(Graphics& g) {
  g.hoverEnabled = true;
  g.SetBackgroundImage(panel::kBackground.file);
  g.RegisterFont(kFontId, "Roboto-Regular.ttf");
  g.AddControl(std::make_unique<TextControl>(ToRect(panel::kVersionText), HALVERN_VERSION,
                                             Style(13, {255, 102, 102, 102}), Color{0, 0, 0, 0},
                                             false));

  std::map<std::string, Bitmap> bitmaps;
  for (const panel::Artwork* art : {&panel::kFaderPurple, &panel::kFaderGreen, &panel::kFaderRed,
                                    &panel::kFaderHorizontal, &panel::kKnob, &panel::kCross}) {
    bitmaps[art->file] = g.FetchBitmap(art->file, art->frames, false);
  }
  const Bitmap& cross = bitmaps[panel::kCross.file];

  for (const panel::Fader& fader : panel::kFaders) {
    g.AddControl(std::make_unique<BrackwaterSliderControl>(
        static_cast<float>(fader.x), static_cast<float>(fader.y), static_cast<float>(fader.length),
        bitmaps[fader.handle->file], Bitmap{}, fader.param,
        fader.vertical ? kVertical : kHorizontal, kGearing));
  }
  for (const panel::Knob& knob : panel::kKnobs) {
    g.AddControl(std::make_unique<HVKnobRotaterControl>(
        static_cast<float>(knob.x), static_cast<float>(knob.y), bitmaps[panel::kKnob.file],
        knob.param, panel::kKnobMinAngle, panel::kKnobMaxAngle));
  }
  g.AddControl(RadioRow(panel::kDensityRow, cross));
  g.AddControl(RadioRow(panel::kDetectorRow, cross));
  g.AddControl(std::make_unique<BitmapSwitchControl>(static_cast<float>(panel::kReverseSwitch.x),
                                                     static_cast<float>(panel::kReverseSwitch.y),
                                                     cross, kReverseOuts));
  const Color black{255, 0, 0, 0};
  g.AddControl(std::make_unique<RasterScaleCornerDragControl>(
      Rect{0, 0, static_cast<float>(g.Width()), static_cast<float>(g.Height())}, 20.0f,
      std::vector<float>{1.0f, 1.25f, 1.5f, 1.75f, 2.0f}, Color{10, 0, 0, 0}, black, black,
      Style(12, {255, 255, 255, 255})));
}

void ApplyStoredDisplayScale(Graphics* g) {
  if (!g) return;
  const float scale = StoredDisplayScale();
  if (std::fabs(scale - g->DrawScale()) <= 0.0001f) return;
  g->resizeDragActive = true;
  g->resizeDragShift = false;
  g->SetSizeAndScale(g->Width(), g->Height(), scale, true);
  g->FinishResizeDrag();
}

void StoreDisplayScale(const Graphics* g) {
  if (g) WriteDisplayScale(kProductPreferencePrefix, g->DrawScale());
}

}  // namespace halvern_editor
