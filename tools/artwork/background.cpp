#include "tools/artwork/background.h"

#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include "tools/artwork/draw.h"

namespace artwork {
namespace {

using panel::Box;
using panel::Point;

constexpr double kPi = std::numbers::pi;

// Print on the bare metal, and on the dark panels.
constexpr Colour kInk = Rgb(0x23262a);
constexpr Colour kInkSoft = Rgb(0x4a4f56);
constexpr Colour kPanelText = Rgb(0xe6e9ed);
constexpr Colour kPanelNumber = Rgb(0xc3c9d0);
constexpr Colour kPanelTick = Rgb(0x9ea6b0);
constexpr Colour kPanelUnit = Rgb(0x8d949d);

constexpr double kPanelTop = 38;
constexpr double kPanelBottom = 278;
constexpr Box kReverbPanel{14, kPanelTop, 180, kPanelBottom};
constexpr Box kEarlyPanel{188, kPanelTop, 338, kPanelBottom};
constexpr Box kMasterUpper{346, kPanelTop, 636, kPanelBottom};
constexpr Box kMasterLower{440, 270, 636, 412};
constexpr double kPanelRadius = 7;

// Ticks stand to the left of a vertical slot, numbers to the left of the ticks.
constexpr double kTickInner = 12;
constexpr double kTickMinor = 15;
constexpr double kTickMajor = 17;
constexpr double kNumberGap = 19.5;

class PanelPainter {
 public:
  PanelPainter(const Canvas& canvas, const Fonts& fonts, const ProductParameters& params)
      : canvas_(canvas), cr_(canvas.Context()), print_(canvas, fonts), params_(params) {}

  void Paint() {
    BrushedMetal();
    Panel([this] { RoundedRectPath(cr_, kReverbPanel, kPanelRadius); });
    Panel([this] { RoundedRectPath(cr_, kEarlyPanel, kPanelRadius); });
    Panel([this] { MasterPath(); });
    for (const panel::Fader& fader : panel::kFaders)
      Slot(fader);
    for (const panel::Fader& fader : panel::kFaders)
      FaderPrint(fader);
    PanelTitles();
    HorizontalPrint();
    Gate();
    DensityRow();
    MakerLogo();
    ProductLogo();
  }

 private:
  // Fine horizontal grain over a cool grey, lighter towards the top.
  void BrushedMetal() {
    cairo_pattern_t* base = cairo_pattern_create_linear(0, 0, 0, panel::kEditorHeight);
    AddStop(base, 0, Rgb(0xd7d9dc));
    AddStop(base, 0.5, Rgb(0xc6c9cd));
    AddStop(base, 1, Rgb(0xb4b8bd));
    cairo_set_source(cr_, base);
    cairo_paint(cr_);
    cairo_pattern_destroy(base);

    std::mt19937 random(20261211);
    std::uniform_real_distribution<double> unit(0, 1);
    const int rows = static_cast<int>(panel::kEditorHeight) * canvas_.Scale();
    const double row = 1.0 / canvas_.Scale();
    for (int i = 0; i < rows; ++i) {
      const double shade = unit(random) - 0.5;
      SetColour(cr_, Rgb(shade > 0 ? 0xffffff : 0x000000, std::abs(shade) * 0.09));
      cairo_rectangle(cr_, 0, i * row, panel::kEditorWidth, row);
      cairo_fill(cr_);
    }
    for (int i = 0; i < 2600; ++i) {
      const double y = std::floor(unit(random) * rows) * row;
      const double x = unit(random) * panel::kEditorWidth;
      const double length = 20 + unit(random) * 220;
      const bool light = unit(random) < 0.5;
      SetColour(cr_, Rgb(light ? 0xffffff : 0x000000, 0.03 + unit(random) * 0.06));
      cairo_rectangle(cr_, x - length / 2, y, length, row);
      cairo_fill(cr_);
    }
    // A broad sheen, as if lit from the upper left.
    cairo_pattern_t* sheen =
        cairo_pattern_create_linear(0, 0, panel::kEditorWidth, panel::kEditorHeight);
    AddStop(sheen, 0, Rgb(0xffffff, 0.10));
    AddStop(sheen, 0.45, Rgb(0xffffff, 0.0));
    AddStop(sheen, 1, Rgb(0x000000, 0.08));
    cairo_set_source(cr_, sheen);
    cairo_paint(cr_);
    cairo_pattern_destroy(sheen);
  }

  void MasterPath() {
    const double r = kPanelRadius;
    const double inner = 5;
    const Box& u = kMasterUpper;
    const Box& l = kMasterLower;
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, u.left + r, u.top + r, r, kPi, 1.5 * kPi);
    cairo_arc(cr_, u.right - r, u.top + r, r, 1.5 * kPi, 2 * kPi);
    cairo_arc(cr_, l.right - r, l.bottom - r, r, 0, 0.5 * kPi);
    cairo_arc(cr_, l.left + r, l.bottom - r, r, 0.5 * kPi, kPi);
    cairo_arc_negative(cr_, l.left - inner, u.bottom + inner, inner, 0, -0.5 * kPi);
    cairo_arc(cr_, u.left + r, u.bottom - r, r, 0.5 * kPi, kPi);
    cairo_close_path(cr_);
  }

  // A dark panel set into the metal: a light rim below, a shadow above, a soft gradient.
  template <typename Path>
  void Panel(Path path) {
    for (const auto& [dy, colour] :
         {std::pair{1.0, Rgb(0xffffff, 0.55)}, std::pair{-1.0, Rgb(0x000000, 0.30)}}) {
      cairo_save(cr_);
      cairo_translate(cr_, 0, dy);
      path();
      SetColour(cr_, colour);
      cairo_fill(cr_);
      cairo_restore(cr_);
    }
    path();
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, kPanelTop, 0, kMasterLower.bottom);
    AddStop(fill, 0, Rgb(0x2a2d32));
    AddStop(fill, 1, Rgb(0x1b1d21));
    cairo_set_source(cr_, fill);
    cairo_fill_preserve(cr_);
    cairo_pattern_destroy(fill);
    cairo_save(cr_);
    cairo_clip_preserve(cr_);
    SetColour(cr_, Rgb(0x000000, 0.55));
    cairo_set_line_width(cr_, 2);
    cairo_stroke(cr_);
    cairo_restore(cr_);
    cairo_new_path(cr_);
  }

  // The groove the handle runs in, from the handle centre's first to its last position.
  void Slot(const panel::Fader& fader) {
    const Box bounds = fader.Bounds();
    const double a = fader.HandleCentre(0);
    const double b = fader.HandleCentre(1);
    const double overhang = 7;
    const double half = 2;
    Box groove;
    if (fader.vertical) {
      const double x = canvas_.SnapToPixel(bounds.Centre().x);
      groove = {x - half, std::min(a, b) - overhang, x + half, std::max(a, b) + overhang};
    } else {
      const double y = canvas_.SnapToPixel(bounds.Centre().y);
      groove = {std::min(a, b) - overhang, y - half, std::max(a, b) + overhang, y + half};
    }
    RoundedRectPath(cr_, {groove.left - 1, groove.top - 1, groove.right + 1, groove.bottom + 1},
                    half + 1);
    SetColour(cr_, Rgb(0x4a4e55));
    cairo_fill(cr_);
    RoundedRectPath(cr_, groove, half);
    SetColour(cr_, Rgb(0x050506));
    cairo_fill(cr_);
  }

  TextStyle Number() const { return {Weight::Regular, 8, kPanelNumber}; }
  TextStyle Label() const { return {Weight::Medium, 8.5, kPanelText}; }
  TextStyle Unit() const { return {Weight::Regular, 7.5, kPanelUnit}; }

  void FaderPrint(const panel::Fader& fader) {
    if (!fader.vertical) return;
    const double cx = fader.Bounds().Centre().x;
    const bool sharedRight = fader.param == kDryLevel;
    const bool sharedLeft = fader.param == kWetLevel;
    const double sharedCentre =
        (panel::kFaders[8].Bounds().Centre().x + panel::kFaders[9].Bounds().Centre().x) / 2;
    for (const Tick& tick : FaderScale(params_, fader)) {
      const double length = tick.major ? kTickMajor : kTickMinor;
      const double side = sharedRight ? 1 : -1;
      const double emphasis = fader.param == kHighShelf && tick.value == 0 ? 4 : 0;
      AxisLine(canvas_, {cx + side * kTickInner, tick.position},
               {cx + side * (length + emphasis), tick.position}, 1, kPanelTick);
      if (tick.label.empty() || sharedLeft) continue;
      if (sharedRight) {
        print_.PrintCentred(Number(), tick.label, sharedCentre, tick.position);
      } else {
        const TextStyle style = Number();
        print_.Print(style, tick.label, cx - kNumberGap - emphasis,
                     tick.position + print_.CapHeight(style) / 2, Align::Right);
      }
    }
    const auto [name, unit] = FaderCaption(fader.param);
    const double labelBaseline = 264;
    print_.Print(Label(), name, cx, labelBaseline, Align::Centre);
    if (unit[0] != '\0') print_.Print(Unit(), unit, cx, labelBaseline + 9, Align::Centre);
  }

  static std::pair<const char*, const char*> FaderCaption(HalvernParam param) {
    switch (param) {
      case kPredelay:
        return {"pre delay", "ms"};
      case kRoomSize:
        return {"room size", ""};
      case kDamping:
        return {"damping", ""};
      case kErDensity:
        return {"ER density", ""};
      case kErLevel:
        return {"ER level", ""};
      case kReverbHpf:
        return {"HPF", "hz"};
      case kShelfFreq:
        return {"Hi Shelf", "hz"};
      case kHighShelf:
        return {"Hi Shelf", "db"};
      case kDryLevel:
        return {"dry", ""};
      case kWetLevel:
        return {"wet", ""};
      default:
        return {"", ""};
    }
  }

  void PanelTitles() {
    const TextStyle title{Weight::Bold, 9, kPanelText, 2};
    const double masterCentre = (kMasterUpper.left + kMasterUpper.right) / 2;
    print_.PrintCentred(title, "MASTER", masterCentre, 46.5);
    const double width = print_.Width(title, "MASTER");
    for (double side : {-1.0, 1.0}) {
      const double from = masterCentre + side * (width / 2 + 8);
      AxisLine(canvas_, {from, 46.5}, {from + side * 60, 46.5}, 1, Rgb(0x5b616a));
    }
    const double travelMiddle = panel::kFaders[6].HandleCentre(0.5);
    print_.PrintVertical({Weight::Bold, 8.5, Rgb(0x8fdca8), 2}, "EARLY REFLECTIONS", 208,
                         travelMiddle);
  }

  // The two horizontal slots below the master faders, and the reverse seat.
  void HorizontalPrint() {
    const panel::Fader& blend = panel::kFaders[10];
    const panel::Fader& width = panel::kFaders[11];
    const double left = blend.Bounds().left;
    print_.Print(Label(), "input l/r blend", left, 283, Align::Left);
    const double tickBottom = blend.Bounds().top - 1.5;
    for (const Tick& tick : FaderScale(params_, blend)) {
      const double length = tick.major ? 6 : 3.5;
      AxisLine(canvas_, {tick.position, tickBottom - length}, {tick.position, tickBottom}, 1,
               kPanelTick);
    }
    print_.Print(Label(), "output width", left, width.Bounds().bottom + 11, Align::Left);

    const Box seat{panel::kReverseSwitch.x, panel::kReverseSwitch.y,
                   panel::kReverseSwitch.x + panel::kCross.width,
                   panel::kReverseSwitch.y + panel::kCross.height};
    ButtonSeat(seat, true);
    print_.PrintCentred(Label(), "reverse", seat.left - 5 - print_.Width(Label(), "reverse") / 2,
                        seat.Centre().y);
  }

  // A recessed square the cross mark appears in.
  void ButtonSeat(const Box& button, bool onPanel) {
    const Box outer{button.left - 1, button.top - 1, button.right + 1, button.bottom + 1};
    RoundedRectPath(cr_, {outer.left, outer.top + 1, outer.right, outer.bottom + 1}, 3);
    SetColour(cr_, Rgb(0xffffff, onPanel ? 0.12 : 0.6));
    cairo_fill(cr_);
    RoundedRectPath(cr_, outer, 3);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, outer.top, 0, outer.bottom);
    AddStop(fill, 0, Rgb(0x0b0c0e));
    AddStop(fill, 1, Rgb(0x202328));
    cairo_set_source(cr_, fill);
    cairo_fill_preserve(cr_);
    cairo_pattern_destroy(fill);
    SetColour(cr_, Rgb(0x000000, 0.8));
    cairo_set_line_width(cr_, 1);
    cairo_stroke(cr_);
  }

  void KnobSeat(const panel::Knob& knob, const char* name, const char* unit) {
    const Point c = knob.Bounds().Centre();
    const double seat = panel::kKnob.width / 2.0 + 1;
    cairo_arc(cr_, c.x, c.y + 1, seat, 0, 2 * kPi);
    SetColour(cr_, Rgb(0xffffff, 0.6));
    cairo_fill(cr_);
    cairo_arc(cr_, c.x, c.y, seat, 0, 2 * kPi);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, c.y - seat, 0, c.y + seat);
    AddStop(fill, 0, Rgb(0x2a2d31));
    AddStop(fill, 1, Rgb(0x54585e));
    cairo_set_source(cr_, fill);
    cairo_fill(cr_);
    cairo_pattern_destroy(fill);

    const TextStyle number{Weight::Medium, 8, kInk};
    for (const Tick& tick : KnobScale(params_, knob)) {
      const double a = tick.position * kPi / 180;
      const double inner = seat + 2.5;
      const double outer = inner + (tick.major ? 4.5 : 2.5);
      cairo_move_to(cr_, c.x + inner * std::sin(a), c.y - inner * std::cos(a));
      cairo_line_to(cr_, c.x + outer * std::sin(a), c.y - outer * std::cos(a));
      SetColour(cr_, tick.major ? kInk : kInkSoft);
      cairo_set_line_width(cr_, tick.major ? 1.2 : 0.9);
      cairo_stroke(cr_);
      if (tick.label.empty()) continue;
      const double r = outer + 3 + print_.Width(number, tick.label) * std::abs(std::sin(a)) / 2 +
                       print_.CapHeight(number) * std::abs(std::cos(a)) / 2;
      print_.PrintCentred(number, tick.label, c.x + r * std::sin(a), c.y - r * std::cos(a));
    }
    const TextStyle label{Weight::Medium, 8.5, kInk};
    const TextStyle unitStyle{Weight::Regular, 7.5, kInkSoft};
    const double gap = 3;
    const double total = print_.Width(label, name) + gap + print_.Width(unitStyle, unit);
    const double baseline = 383;
    const double left = c.x - total / 2;
    print_.Print(label, name, left, baseline, Align::Left);
    print_.Print(unitStyle, unit, left + total, baseline, Align::Right);
  }

  void Gate() {
    const double left = panel::kKnobs[0].Bounds().Centre().x;
    const double right = panel::kKnobs[3].Bounds().Centre().x;
    const double centre = (left + right) / 2;
    const double y = 299;
    const TextStyle title{Weight::Bold, 10, kInk, 3};
    print_.PrintCentred(title, "GATE", centre, y);
    const double half = print_.Width(title, "GATE") / 2 + 9;
    AxisLine(canvas_, {left - 30, y}, {centre - half, y}, 1, kInkSoft);
    AxisLine(canvas_, {centre + half, y}, {right + 30, y}, 1, kInkSoft);

    const char* names[] = {"threshold", "attack", "hold", "release"};
    const char* units[] = {"db", "ms", "ms", "ms"};
    for (int i = 0; i < 4; ++i)
      KnobSeat(panel::kKnobs[i], names[i], units[i]);

    const panel::RadioRow& row = panel::kDetectorRow;
    const char* seats[] = {"dry", "wet", "s/chain"};
    const TextStyle label{Weight::Medium, 8.5, kInk};
    const TextStyle small{Weight::Regular, 7.5, kInk};
    for (int i = 0; i < row.buttons; ++i) {
      const Box button = row.ButtonRect(i);
      ButtonSeat(button, false);
      print_.Print(small, seats[i], button.Centre().x, button.bottom + 10.5, Align::Centre);
    }
    print_.PrintCentred(label, "detect",
                        row.ButtonRect(0).left - 8 - print_.Width(label, "detect") / 2,
                        row.bounds.Centre().y);
  }

  void DensityRow() {
    const panel::RadioRow& row = panel::kDensityRow;
    const TextStyle number{Weight::Bold, 9, kInk};
    const TextStyle label{Weight::Medium, 9, kInk};
    for (int i = 0; i < row.buttons; ++i) {
      const Box button = row.ButtonRect(i);
      ButtonSeat(button, false);
      print_.Print(number, std::to_string(i + 1), button.right + 5,
                   button.Centre().y + print_.CapHeight(number) / 2, Align::Left);
    }
    const double x = row.ButtonRect(0).left - 9;
    print_.Print(label, "density", x, row.bounds.Centre().y + print_.CapHeight(label) / 2,
                 Align::Right);
  }

  // The maker's mark: a wave in a dark rounded square, the name beside it; the version
  // text control prints to the right of it.
  void MakerLogo() {
    const Box mark{14, 12, 34, 32};
    RoundedRectPath(cr_, mark, 4);
    SetColour(cr_, kInk);
    cairo_fill(cr_);
    cairo_move_to(cr_, mark.left + 3, mark.Centre().y);
    for (double t = 0; t <= 1.0001; t += 0.05) {
      const double x = mark.left + 3 + t * (mark.Width() - 6);
      cairo_line_to(cr_, x,
                    mark.Centre().y + 1 + 3.5 * std::sin(t * 2 * kPi + 0.4) * (1 - t * 0.4));
    }
    SetColour(cr_, Rgb(0x8ec5e8));
    cairo_set_line_width(cr_, 1.8);
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr_);
    print_.Print({Weight::Bold, 8.5, kInk}, "BRACKWATER", mark.right + 5, 21, Align::Left);
    print_.Print({Weight::Medium, 6.5, kInkSoft, 3}, "AUDIO", mark.right + 5, 31, Align::Left);
  }

  // The product's name above the words that say what it is, between the gate and the
  // output section.
  void ProductLogo() {
    const double centre = (panel::kKnobs[3].Bounds().right + kMasterLower.left) / 2 + 6;
    // An impulse and its reflections dying away.
    const int bars = 9;
    const double barWidth = 2.4;
    const double pitch = 5;
    const double floor = 349;
    const double left = centre - (pitch * (bars - 1) + barWidth) / 2;
    for (int i = 0; i < bars; ++i) {
      const double height = 24 * std::exp(-0.33 * i) * (i == 0 ? 1.0 : 0.8);
      const double x = canvas_.SnapToPixel(left + i * pitch);
      cairo_rectangle(cr_, x, floor - height, barWidth, height);
    }
    SetColour(cr_, kInk);
    cairo_fill(cr_);
    AxisLine(canvas_, {left - 6, floor + 1}, {left + pitch * (bars - 1) + barWidth + 6, floor + 1},
             1, kInkSoft);
    print_.Print({Weight::Light, 27, kInk}, "Halvern", centre, 377, Align::Centre);
    const TextStyle words{Weight::Bold, 5.8, kInk, 1};
    print_.Print(words, "DIGITAL REVERBERATION", centre, 390, Align::Centre);
  }

  const Canvas& canvas_;
  cairo_t* cr_;
  Printer print_;
  const ProductParameters& params_;
};

}  // namespace

void DrawBackground(const Canvas& canvas, const Fonts& fonts, const ProductParameters& params) {
  PanelPainter(canvas, fonts, params).Paint();
}

}  // namespace artwork
