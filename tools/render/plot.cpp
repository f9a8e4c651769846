#include "tools/render/plot.h"

#include <cairo.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "tools/render/errors.h"
#include "tools/render/pending_file.h"

namespace render {
namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 820;
constexpr double kLeft = 92.0;
constexpr double kRight = 36.0;
constexpr const char* kFont = "DejaVu Sans";

struct Colour {
  double r, g, b;
};

constexpr Colour kInk{0.07, 0.09, 0.15};
constexpr Colour kMuted{0.36, 0.40, 0.47};
constexpr Colour kGrid{0.89, 0.90, 0.93};
constexpr Colour kPanel{0.975, 0.98, 0.99};
constexpr Colour kChannelColours[] = {{0.15, 0.39, 0.92}, {0.91, 0.40, 0.05}};
constexpr const char* kChannelNames[] = {"left", "right"};
constexpr Colour kFit{0.86, 0.15, 0.15};

void SetColour(cairo_t* cr, Colour c, double alpha = 1.0) {
  cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha);
}

struct TextStyle {
  double size = 13.0;
  Colour colour = kMuted;
  bool bold = false;
  double alignX = 0.0;  // 0 left, 0.5 centre, 1 right
};

double TextWidth(cairo_t* cr, const std::string& text, const TextStyle& style) {
  cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL,
                         style.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, style.size);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  return extents.x_advance;
}

void Text(cairo_t* cr, double x, double y, const std::string& text, const TextStyle& style) {
  const double width = TextWidth(cr, text, style);
  SetColour(cr, style.colour);
  cairo_move_to(cr, x - style.alignX * width, y);
  cairo_show_text(cr, text.c_str());
}

std::string Format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

// A tick spacing of 1, 2 or 5 times a power of ten giving about `count` ticks.
double NiceStep(double span, int count) {
  const double raw = span / count;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 5.0}) {
    if (raw <= factor * power) return factor * power;
  }
  return 10.0 * power;
}

// The largest 1, 2 or 5 times a power of ten that is not above `limit`.
double NiceValueBelow(double limit) {
  const double power = std::pow(10.0, std::floor(std::log10(limit)));
  for (double factor : {5.0, 2.0}) {
    if (factor * power <= limit) return factor * power;
  }
  return power;
}

// A plotting area with its value ranges.
struct Panel {
  double x, y, width, height;
  double t0, t1, v0, v1;

  double X(double t) const { return x + (t - t0) / (t1 - t0) * width; }
  double Y(double v) const { return y + (v1 - v) / (v1 - v0) * height; }
  double Crisp(double pixel) const { return std::round(pixel) + 0.5; }
};

void VerticalTitle(cairo_t* cr, double centreY, const std::string& title) {
  cairo_save(cr);
  cairo_translate(cr, 26, centreY);
  cairo_rotate(cr, -M_PI / 2);
  Text(cr, 0, 0, title, {.size = 14, .alignX = 0.5});
  cairo_restore(cr);
}

void DrawFrame(cairo_t* cr, const Panel& panel, double yStep, const char* yPattern,
               bool timeLabels) {
  SetColour(cr, kPanel);
  cairo_rectangle(cr, panel.x, panel.y, panel.width, panel.height);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1.0);
  const double tStep = NiceStep(panel.t1 - panel.t0, 10);
  for (double t = 0.0; t <= panel.t1 + 1e-6 * tStep; t += tStep) {
    SetColour(cr, kGrid);
    cairo_move_to(cr, panel.Crisp(panel.X(t)), panel.y);
    cairo_line_to(cr, panel.Crisp(panel.X(t)), panel.y + panel.height);
    cairo_stroke(cr);
    if (timeLabels) {
      Text(cr, panel.X(t), panel.y + panel.height + 20, Format(tStep < 0.1 ? "%.2f" : "%.1f", t),
           {.alignX = 0.5});
    }
  }
  for (double v = std::ceil(panel.v0 / yStep) * yStep; v <= panel.v1 + 1e-6 * yStep; v += yStep) {
    SetColour(cr, kGrid);
    cairo_move_to(cr, panel.x, panel.Crisp(panel.Y(v)));
    cairo_line_to(cr, panel.x + panel.width, panel.Crisp(panel.Y(v)));
    cairo_stroke(cr);
    const double shown = std::fabs(v) < 1e-6 * yStep ? 0.0 : v;
    Text(cr, panel.x - 10, panel.Y(v) + 4.5, Format(yPattern, shown), {.alignX = 1.0});
  }
  SetColour(cr, kMuted, 0.5);
  cairo_rectangle(cr, panel.x + 0.5, panel.y + 0.5, panel.width - 1, panel.height - 1);
  cairo_stroke(cr);
}

double PeakFrom(const Signal& signal, std::size_t start) {
  double peak = 0.0;
  for (const std::vector<double>& channel : signal.channels) {
    for (std::size_t i = start; i < channel.size(); ++i)
      peak = std::max(peak, std::fabs(channel[i]));
  }
  return peak;
}

// The range of each pixel column, so that a long response draws as its envelope.
void DrawWaveform(cairo_t* cr, const Panel& panel, const std::vector<double>& samples,
                  double sampleRate, Colour colour) {
  const double framesPerPixel = (panel.t1 - panel.t0) * sampleRate / panel.width;
  cairo_save(cr);
  cairo_rectangle(cr, panel.x, panel.y, panel.width, panel.height);
  cairo_clip(cr);
  cairo_set_line_width(cr, 1.0);
  SetColour(cr, colour, 0.9);
  for (int px = 0; px < static_cast<int>(panel.width); ++px) {
    const auto first = static_cast<std::size_t>(px * framesPerPixel);
    const auto last =
        std::min(samples.size(), static_cast<std::size_t>((px + 1) * framesPerPixel) + 1);
    if (first >= last) break;
    const auto [low, high] = std::minmax_element(samples.begin() + static_cast<long>(first),
                                                 samples.begin() + static_cast<long>(last));
    const double x = panel.x + px + 0.5;
    cairo_move_to(cr, x, panel.Y(std::max(*high, 0.0)) - 0.5);
    cairo_line_to(cr, x, panel.Y(std::min(*low, 0.0)) + 0.5);
  }
  cairo_stroke(cr);
  cairo_restore(cr);
}

void HorizontalLine(cairo_t* cr, const Panel& panel, double value,
                    std::initializer_list<double> dashes, Colour colour, double alpha) {
  const std::vector<double> pattern(dashes);
  cairo_set_dash(cr, pattern.data(), static_cast<int>(pattern.size()), 0);
  SetColour(cr, colour, alpha);
  cairo_set_line_width(cr, 1.0);
  cairo_move_to(cr, panel.x, panel.Crisp(panel.Y(value)));
  cairo_line_to(cr, panel.x + panel.width, panel.Crisp(panel.Y(value)));
  cairo_stroke(cr);
  cairo_set_dash(cr, nullptr, 0, 0);
}

void DrawDecay(cairo_t* cr, const Panel& panel, const std::vector<double>& curve, double sampleRate,
               const std::optional<DecayFit>& fit) {
  cairo_save(cr);
  cairo_rectangle(cr, panel.x, panel.y, panel.width, panel.height);
  cairo_clip(cr);
  if (fit) {
    for (double level : {-5.0, -35.0})
      HorizontalLine(cr, panel, level, {2.0, 4.0}, kFit, 0.45);
  }
  SetColour(cr, kInk);
  cairo_set_line_width(cr, 2.0);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  const double framesPerPixel = (panel.t1 - panel.t0) * sampleRate / panel.width;
  for (int px = 0; px <= static_cast<int>(panel.width); ++px) {
    const auto i = static_cast<std::size_t>(px * framesPerPixel);
    if (i >= curve.size() || !std::isfinite(curve[i])) break;
    const double y = panel.Y(std::max(curve[i], panel.v0 - 10.0));
    if (px == 0) {
      cairo_move_to(cr, panel.x, y);
    } else {
      cairo_line_to(cr, panel.x + px, y);
    }
  }
  cairo_stroke(cr);
  if (fit) {
    auto line = [&](double t) { return fit->interceptDb + fit->slopeDbPerSecond * t; };
    const double bottom = (panel.v0 - fit->interceptDb) / fit->slopeDbPerSecond;
    const double dashes[] = {8.0, 5.0};
    cairo_set_dash(cr, dashes, 2, 0);
    SetColour(cr, kFit, 0.9);
    cairo_set_line_width(cr, 1.5);
    cairo_move_to(cr, panel.X(0.0), panel.Y(line(0.0)));
    cairo_line_to(cr, panel.X(bottom), panel.Y(panel.v0));
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
    cairo_set_line_width(cr, 4.0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, panel.X(fit->startSeconds), panel.Y(line(fit->startSeconds)));
    cairo_line_to(cr, panel.X(fit->endSeconds), panel.Y(line(fit->endSeconds)));
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
  }
  cairo_restore(cr);
}

// A key with the RT60 and what each line is, in the bottom left corner: the curve
// runs from the top left to the bottom right, so that corner stays clear.
void DecayKey(cairo_t* cr, const Panel& panel, const std::optional<DecayFit>& fit) {
  const double width = 300.0;
  const double height = fit ? 104.0 : 62.0;
  const double x = panel.x + 14.0;
  const double y = panel.y + panel.height - height - 14.0;
  cairo_set_source_rgba(cr, 1, 1, 1, 0.94);
  cairo_rectangle(cr, x, y, width, height);
  cairo_fill_preserve(cr);
  SetColour(cr, kGrid);
  cairo_set_line_width(cr, 1.0);
  cairo_stroke(cr);
  const std::string headline =
      fit ? Format("RT60  %.2f s", fit->rt60Seconds) : std::string("RT60 not measurable");
  Text(cr, x + 16, y + 30, headline, {.size = 20, .colour = fit ? kFit : kInk, .bold = true});
  auto entry = [&](double row, Colour colour, double lineWidth, const std::string& label) {
    SetColour(cr, colour);
    cairo_set_line_width(cr, lineWidth);
    cairo_move_to(cr, x + 16, row - 4);
    cairo_line_to(cr, x + 44, row - 4);
    cairo_stroke(cr);
    Text(cr, x + 54, row, label, {.size = 12.5});
  };
  entry(y + 54, kInk, 2.0, "energy decay (Schroeder integral)");
  if (fit) {
    entry(y + 74, kFit, 4.0, "line fit from -5 to -35 dB");
    Text(cr, x + 54, y + 92, "RT60 = 60 dB over its slope (T30 x 2)", {.size = 12.5});
  }
}

cairo_status_t WriteToDescriptor(void* closure, const unsigned char* data, unsigned int length) {
  const int descriptor = *static_cast<int*>(closure);
  while (length > 0) {
    const ssize_t n = write(descriptor, data, length);
    if (n <= 0) return CAIRO_STATUS_WRITE_ERROR;
    data += n;
    length -= static_cast<unsigned int>(n);
  }
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

void WriteImpulseResponsePlot(const ImpulseResponsePlot& plot, PendingFile& png) {
  const Signal& response = *plot.response;
  const std::vector<double>& curve = *plot.decayCurveDb;
  const double rate = response.sampleRate;
  // Show the decay down to -90 dB, or all of it if it ends sooner.
  const auto quiet =
      std::find_if(curve.begin(), curve.end(), [](double db) { return !(db > -90.0); });
  const double length =
      std::max(static_cast<double>(quiet - curve.begin()) / rate * 1.05, 10.0 / rate);

  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight), cairo_surface_destroy);
  std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface.get()),
                                                             cairo_destroy);
  cairo_t* cr = context.get();
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);

  // The waveform's scale follows the reverberation, so that it shows beneath a loud
  // direct sound; one more than 60 dB down is drawn at the direct sound's scale.
  const double width = kWidth - kLeft - kRight;
  const double overall = PeakFrom(response, 0);
  const double reverberant = PeakFrom(response, static_cast<std::size_t>(std::ceil(0.001 * rate)));
  const double scale = 1.1 * (reverberant > 1e-3 * overall ? reverberant : std::max(overall, 1e-9));

  Text(cr, kLeft, 38, plot.title, {.size = 22, .colour = kInk, .bold = true});
  std::string subtitle = Format("%.0f Hz", rate) + ", " +
                         Format("%.2f s rendered", static_cast<double>(response.Frames()) / rate);
  subtitle += plot.fit ? ", RT60 " + Format("%.2f s", plot.fit->rt60Seconds)
                       : ", RT60 not measurable (the decay does not reach -35 dB)";
  if (overall > scale) {
    subtitle += "; the direct sound (" + Format("%.1f dBFS", DecibelsFullScale(overall)) +
                ") is off the waveform's scale";
  }
  Text(cr, kLeft, 62, subtitle, {.size = 14});

  const double laneStep = NiceValueBelow(scale / 1.1);
  const char* lanePattern = laneStep < 0.01 ? "%.3f" : "%.2f";
  const std::size_t lanes = std::min<std::size_t>(response.channels.size(), 2);
  const double laneHeight = 270.0 / static_cast<double>(std::max<std::size_t>(lanes, 1));
  for (std::size_t c = 0; c < lanes; ++c) {
    const Panel lane{
        kLeft, 84 + laneHeight * static_cast<double>(c), width, laneHeight - 8, 0.0, length, -scale,
        scale};
    DrawFrame(cr, lane, laneStep, lanePattern, false);
    DrawWaveform(cr, lane, response.channels[c], rate, kChannelColours[c]);
    Text(cr, lane.x + lane.width - 10, lane.y + 18, kChannelNames[c],
         {.colour = kChannelColours[c], .bold = true, .alignX = 1.0});
  }
  VerticalTitle(cr, 84 + 135, "amplitude");

  const Panel decay{kLeft, 410, width, 340, 0.0, length, -100.0, 0.0};
  DrawFrame(cr, decay, 10.0, "%.0f", true);
  DrawDecay(cr, decay, curve, rate, plot.fit);
  DecayKey(cr, decay, plot.fit);
  VerticalTitle(cr, decay.y + decay.height / 2, "energy decay (dB)");
  Text(cr, kLeft + width / 2, kHeight - 22, "time (s)", {.size = 14, .alignX = 0.5});

  int descriptor = png.Descriptor();
  if (cairo_surface_write_to_png_stream(surface.get(), WriteToDescriptor, &descriptor) !=
      CAIRO_STATUS_SUCCESS) {
    throw RenderError("cannot write the plot \"" + png.Destination().string() + "\"");
  }
  png.Finish();
}

}  // namespace render
