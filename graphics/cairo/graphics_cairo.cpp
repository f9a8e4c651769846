#include "graphics/cairo/graphics_cairo.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <functional>
#include <numbers>

#include "graphics/cairo/image_decoder.h"
#include "graphics/cairo/typeface_cache.h"

namespace fw::gui {

namespace {

cairo_operator_t OperatorFor(const Blend* blend) {
  if (!blend) return CAIRO_OPERATOR_OVER;
  switch (blend->method) {
    case 0:
      return CAIRO_OPERATOR_OVER;
    case 1:
      return CAIRO_OPERATOR_IN;
    case 2:
      return CAIRO_OPERATOR_OUT;
    case 3:
      return CAIRO_OPERATOR_ATOP;
    case 4:
      return CAIRO_OPERATOR_DEST_OVER;
    case 5:
      return CAIRO_OPERATOR_DEST_IN;
    case 6:
      return CAIRO_OPERATOR_DEST_OUT;
    case 7:
      return CAIRO_OPERATOR_DEST_ATOP;
    case 8:
      return CAIRO_OPERATOR_ADD;
    case 9:
      return CAIRO_OPERATOR_XOR;
    default:
      return CAIRO_OPERATOR_CLEAR;
  }
}

// Cairo lets these change pixels outside the drawn shape (within the clip).
bool IsUnbounded(cairo_operator_t op) {
  return op == CAIRO_OPERATOR_IN || op == CAIRO_OPERATOR_OUT || op == CAIRO_OPERATOR_DEST_IN ||
         op == CAIRO_OPERATOR_DEST_ATOP;
}

double Weight(const Blend* blend) {
  return blend ? std::clamp(static_cast<int>(blend->weight * 255.0f), 0, 255) / 255.0 : 1.0;
}

void SetSourceColor(cairo_t* cr, const Color& color, const Blend* blend) {
  float weight = blend ? blend->weight : 1.0f;
  int alpha = std::clamp(static_cast<int>(color.A * weight), 0, 255);
  cairo_set_source_rgba(cr, color.R / 255.0, color.G / 255.0, color.B / 255.0, alpha / 255.0);
}

// Draws with op acting under the shape only: the operation runs on a copy of the
// destination, and the copy replaces the destination where the shape covers it.
// draw sets the source and draws; coverage draws the shape's outline in any source.
void DrawBoundedTo(cairo_t* cr, cairo_operator_t op, const std::function<void(cairo_t*)>& draw,
                   const std::function<void(cairo_t*)>& coverage) {
  cairo_surface_t* target = cairo_get_group_target(cr);
  cairo_push_group(cr);
  cairo_save(cr);
  cairo_identity_matrix(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, target, 0, 0);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_set_operator(cr, op);
  draw(cr);
  cairo_pattern_t* result = cairo_pop_group(cr);

  cairo_push_group_with_content(cr, CAIRO_CONTENT_ALPHA);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_set_source_rgba(cr, 0, 0, 0, 1);
  coverage(cr);
  cairo_pattern_t* mask = cairo_pop_group(cr);

  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source(cr, result);
  cairo_mask(cr, mask);
  cairo_restore(cr);
  cairo_pattern_destroy(mask);
  cairo_pattern_destroy(result);
}

// Runs shape (which consumes the current path) with op, bounded when Cairo is not;
// coverage draws where the shape lies when that differs from shape.
void DrawWith(cairo_t* cr, cairo_operator_t op, const std::function<void(cairo_t*)>& setSource,
              const std::function<void(cairo_t*)>& shape,
              const std::function<void(cairo_t*)>& coverage = nullptr) {
  if (!IsUnbounded(op)) {
    cairo_set_operator(cr, op);
    setSource(cr);
    shape(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    return;
  }
  cairo_path_t* path = cairo_copy_path(cr);
  cairo_new_path(cr);
  auto withPath = [&](const std::function<void(cairo_t*)>& step) {
    return [&, step](cairo_t* c) {
      cairo_append_path(c, path);
      step(c);
    };
  };
  DrawBoundedTo(cr, op, withPath([&](cairo_t* c) {
                  setSource(c);
                  shape(c);
                }),
                withPath(coverage ? coverage : shape));
  cairo_path_destroy(path);
}

cairo_matrix_t ToCairo(const Transform& t) {
  cairo_matrix_t m;
  cairo_matrix_init(&m, t.xx, t.yx, t.xy, t.yy, t.tx, t.ty);
  return m;
}

}  // namespace

CairoBitmap::CairoBitmap(cairo_surface_t* surface, float scale, float drawScale)
    : BackendBitmap(cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface),
                    scale, drawScale),
      surface_(surface) {}

CairoBitmap::~CairoBitmap() {
  cairo_surface_destroy(surface_);
}

GraphicsCairo::GraphicsCairo(GraphicsEditorDelegate* delegate, int width, int height, int fps,
                             float drawScale)
    : Graphics(delegate, width, height, fps, drawScale) {
  TypefaceCache::Instance().ContextCreated();
}

GraphicsCairo::~GraphicsCairo() {
  RemoveAllControls();
  for (Layer& layer : layers_) {
    cairo_destroy(layer.cr);
    cairo_surface_destroy(layer.surface);
  }
  ReleaseSurface();
  TypefaceCache::Instance().ContextDestroyed();
}

bool GraphicsCairo::ImageTypeSupported(const std::string& extension) const {
  std::string lower = LowerCase(extension);
  return lower.find("png") != std::string::npos || lower.find("jpg") != std::string::npos ||
         lower.find("jpeg") != std::string::npos;
}

void GraphicsCairo::ReleaseSurface() {
  if (cr_) cairo_destroy(cr_);
  if (surface_) cairo_surface_destroy(surface_);
  cr_ = nullptr;
  surface_ = nullptr;
}

void GraphicsCairo::RebuildPixelBuffer() {
  ReleaseSurface();
  pixelWidth_ = static_cast<int>(
      std::ceil(static_cast<int>(Width() * DrawScale()) * static_cast<double>(ScreenScale())));
  pixelHeight_ = static_cast<int>(
      std::ceil(static_cast<int>(Height() * DrawScale()) * static_cast<double>(ScreenScale())));
  pixels_.assign(static_cast<size_t>(pixelWidth_) * pixelHeight_, 0);
  // ARGB32 rows need no padding, which is what lets a host present the buffer as it is.
  assert(cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, pixelWidth_) == pixelWidth_ * 4);
  surface_ = cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels_.data()),
                                                 CAIRO_FORMAT_ARGB32, pixelWidth_, pixelHeight_,
                                                 pixelWidth_ * 4);
  cr_ = cairo_create(surface_);
  clip_ = {};
  ApplyTransform(userTransform_);
}

cairo_matrix_t GraphicsCairo::BaseMatrix() const {
  cairo_matrix_t m;
  double s = BackingScale();
  cairo_matrix_init_scale(&m, s, s);
  if (!layers_.empty())
    cairo_matrix_translate(&m, -layers_.back().rect.left, -layers_.back().rect.top);
  return m;
}

void GraphicsCairo::ApplyTransform(const Transform& t) {
  userTransform_ = t;
  cairo_t* cr = Context();
  if (!cr) return;
  cairo_matrix_t base = BaseMatrix(), user = ToCairo(t), m;
  cairo_matrix_multiply(&m, &user, &base);
  cairo_set_matrix(cr, &m);
}

void GraphicsCairo::ClipToRect(const Rect& r) {
  clip_ = r;
  cairo_t* cr = Context();
  if (!cr) return;
  cairo_matrix_t base = BaseMatrix();
  cairo_reset_clip(cr);
  cairo_set_matrix(cr, &base);
  cairo_new_path(cr);
  cairo_rectangle(cr, r.left, r.top, r.W(), r.H());
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_clip(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
  ApplyTransform(userTransform_);
}

void GraphicsCairo::DrawBitmapFrame(const Bitmap& bitmap, const Rect& dest, float srcX, float srcY,
                                    const Blend* blend) {
  cairo_t* cr = Context();
  if (bitmap.IsNone() || !cr) return;
  auto* image = static_cast<CairoBitmap*>(bitmap.api);
  double k = static_cast<double>(image->Scale()) * image->DrawScale();
  cairo_save(cr);
  cairo_new_path(cr);
  cairo_rectangle(cr, dest.left, dest.top, dest.W(), dest.H());
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_clip(cr);
  cairo_translate(cr, dest.left, dest.top);
  cairo_scale(cr, 1.0 / k, 1.0 / k);
  double x = -srcX * k, y = -srcY * k;
  double alpha = Weight(blend);
  auto setSource = [&](cairo_t* c) {
    cairo_set_source_surface(c, image->Surface(), x, y);
    cairo_pattern_set_filter(cairo_get_source(c), CAIRO_FILTER_BILINEAR);
  };
  // The drawn shape is the image's own rectangle.
  cairo_rectangle(cr, x, y, image->PixelWidth(), image->PixelHeight());
  DrawWith(
      cr, OperatorFor(blend), setSource,
      [alpha](cairo_t* c) {
        cairo_clip(c);
        cairo_paint_with_alpha(c, alpha);
      },
      [](cairo_t* c) {
        cairo_clip(c);
        cairo_paint(c);
      });
  cairo_restore(cr);
}

void GraphicsCairo::PathClear() {
  if (cairo_t* cr = Context()) cairo_new_path(cr);
}

void GraphicsCairo::PathClose() {
  if (cairo_t* cr = Context()) cairo_close_path(cr);
}

void GraphicsCairo::PathArc(float cx, float cy, float r, float a1, float a2, bool clockwise) {
  cairo_t* cr = Context();
  if (!cr) return;
  // 0 degrees points up and angles run clockwise; Cairo's 0 points right.
  constexpr double kRadians = std::numbers::pi / 180.0;
  double from = (a1 - 90.0) * kRadians, to = (a2 - 90.0) * kRadians;
  if (clockwise) {
    cairo_arc(cr, cx, cy, r, from, to);
  } else {
    cairo_arc_negative(cr, cx, cy, r, from, to);
  }
}

void GraphicsCairo::PathMoveTo(float x, float y) {
  if (cairo_t* cr = Context()) cairo_move_to(cr, x, y);
}

void GraphicsCairo::PathLineTo(float x, float y) {
  if (cairo_t* cr = Context()) cairo_line_to(cr, x, y);
}

void GraphicsCairo::PathCubicTo(float c1x, float c1y, float c2x, float c2y, float x2, float y2) {
  if (cairo_t* cr = Context()) cairo_curve_to(cr, c1x, c1y, c2x, c2y, x2, y2);
}

void GraphicsCairo::PathStroke(const Color& color, float thickness, const StrokeOptions& options,
                               const Blend* blend) {
  cairo_t* cr = Context();
  if (!cr) return;
  cairo_set_line_width(cr, thickness);
  cairo_set_miter_limit(cr, options.miterLimit);
  cairo_set_line_cap(cr, options.cap == StrokeOptions::Cap::Round    ? CAIRO_LINE_CAP_ROUND
                         : options.cap == StrokeOptions::Cap::Square ? CAIRO_LINE_CAP_SQUARE
                                                                     : CAIRO_LINE_CAP_BUTT);
  cairo_set_line_join(cr, options.join == StrokeOptions::Join::Round   ? CAIRO_LINE_JOIN_ROUND
                          : options.join == StrokeOptions::Join::Bevel ? CAIRO_LINE_JOIN_BEVEL
                                                                       : CAIRO_LINE_JOIN_MITER);
  std::vector<double> dashes(options.dashes.begin(), options.dashes.end());
  if (dashes.size() % 2 == 1) dashes.insert(dashes.end(), dashes.begin(), dashes.end());
  cairo_set_dash(cr, dashes.data(), static_cast<int>(dashes.size()), options.dashOffset);
  cairo_path_t* kept = options.preserve ? cairo_copy_path(cr) : nullptr;
  DrawWith(
      cr, OperatorFor(blend), [&](cairo_t* c) { SetSourceColor(c, color, blend); },
      [](cairo_t* c) { cairo_stroke(c); });
  if (kept) {
    cairo_append_path(cr, kept);
    cairo_path_destroy(kept);
  }
}

void GraphicsCairo::PathFill(const Color& color, const FillOptions& options, const Blend* blend) {
  cairo_t* cr = Context();
  if (!cr) return;
  cairo_set_fill_rule(cr, options.evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
  cairo_path_t* kept = options.preserve ? cairo_copy_path(cr) : nullptr;
  DrawWith(
      cr, OperatorFor(blend), [&](cairo_t* c) { SetSourceColor(c, color, blend); },
      [](cairo_t* c) { cairo_fill(c); });
  if (kept) {
    cairo_append_path(cr, kept);
    cairo_path_destroy(kept);
  }
}

struct GraphicsCairo::TextLayout {
  double x = 0, y = 0;  // start of the baseline
  double width = 0;
  double size = 0;    // the font's em size
  double height = 0;  // ascender to descender line: the style's size
  double ascent = 0;  // negative: above the baseline
};

// Under the typeface lock. The style size spans ascender to descender.
bool GraphicsCairo::LayoutText(const TextStyle& style, const std::string& text, const Rect& r,
                               TextLayout& out) {
  cairo_t* cr = Context();
  const Typeface* typeface = TypefaceCache::Instance().Find(style.font);
  if (!cr || !typeface) return false;
  const FontInfo& info = typeface->info;
  double extent = static_cast<double>(info.ascender) - info.descender;
  if (info.unitsPerEm == 0 || extent <= 0.0) return false;
  out.size = info.unitsPerEm / extent * style.size;
  out.height = style.size;
  cairo_set_font_face(cr, typeface->face);
  cairo_set_font_size(cr, out.size);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
  cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
  cairo_set_font_options(cr, options);
  cairo_font_options_destroy(options);
  cairo_text_extents_t extents;
  cairo_text_extents(cr, text.c_str(), &extents);
  out.width = extents.x_advance;
  double a = -info.ascender / static_cast<double>(info.unitsPerEm) * out.size;  // above: negative
  double d = -info.descender / static_cast<double>(info.unitsPerEm) * out.size;
  out.ascent = a;
  switch (style.align) {
    case Align::Near:
      out.x = r.left;
      break;
    case Align::Centre:
      out.x = r.MW() - out.width / 2;
      break;
    case Align::Far:
      out.x = r.right - out.width;
      break;
  }
  switch (style.valign) {
    case Align::Near:
      out.y = r.top - a;
      break;
    case Align::Centre:
      out.y = r.MH() - d + style.size / 2;
      break;
    case Align::Far:
      out.y = r.bottom - d;
      break;
  }
  return true;
}

float GraphicsCairo::MeasureText(const TextStyle& style, const std::string& text, Rect& bounds) {
  Rect area = bounds;
  bounds = {};
  if (text.empty()) return 0.0f;
  std::lock_guard lock(TypefaceCache::Instance().Lock());
  TextLayout layout;
  if (!LayoutText(style, text, area, layout)) return 0.0f;
  bounds = {static_cast<float>(layout.x), static_cast<float>(layout.y + layout.ascent),
            static_cast<float>(layout.x + layout.width),
            static_cast<float>(layout.y + layout.ascent + layout.height)};
  return static_cast<float>(layout.width);
}

void GraphicsCairo::DrawText(const TextStyle& style, const std::string& text, const Rect& bounds,
                             const Blend* blend) {
  if (text.empty()) return;
  std::lock_guard lock(TypefaceCache::Instance().Lock());
  TextLayout layout;
  if (!LayoutText(style, text, bounds, layout)) return;
  cairo_t* cr = Context();
  PathTransformSave();
  if (style.angle != 0.0f) {
    PathTransformTranslate(layout.x, layout.y);
    PathTransformRotate(style.angle);
    PathTransformTranslate(-layout.x, -layout.y);
  }
  cairo_new_path(cr);
  DrawWith(
      cr, OperatorFor(blend), [&](cairo_t* c) { SetSourceColor(c, style.color, blend); },
      [&](cairo_t* c) {
        cairo_move_to(c, layout.x, layout.y);
        cairo_show_text(c, text.c_str());
      });
  PathTransformRestore();
}

Color GraphicsCairo::ReadPixel(float x, float y) {
  cairo_surface_t* surface = layers_.empty() ? surface_ : layers_.back().surface;
  if (!surface) return {0, 0, 0, 0};
  cairo_surface_flush(surface);
  double s = BackingScale();
  Rect origin = layers_.empty() ? Rect{} : layers_.back().rect;
  int px = static_cast<int>((x - origin.left) * s), py = static_cast<int>((y - origin.top) * s);
  int w = cairo_image_surface_get_width(surface), h = cairo_image_surface_get_height(surface);
  if (px < 0 || py < 0 || px >= w || py >= h) return {0, 0, 0, 0};
  const unsigned char* row = cairo_image_surface_get_data(surface) +
                             static_cast<size_t>(py) * cairo_image_surface_get_stride(surface);
  uint32_t p = reinterpret_cast<const uint32_t*>(row)[px];
  int a = static_cast<int>(p >> 24);
  auto channel = [a](uint32_t v) { return a == 0 ? 0 : static_cast<int>((v & 0xff) * 255 / a); };
  return {a, channel(p >> 16), channel(p >> 8), channel(p)};
}

void GraphicsCairo::StartLayer(const Rect& r) {
  double s = BackingScale();
  Rect aligned = r.PixelAligned(static_cast<float>(s));
  int w = std::max(1, static_cast<int>(std::lround(aligned.W() * s)));
  int h = std::max(1, static_cast<int>(std::lround(aligned.H() * s)));
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  layers_.push_back({surface, cairo_create(surface), aligned, clip_});
  PathClear();
  PathTransformReset();
  ClipToRect(aligned);
}

std::unique_ptr<BackendBitmap> GraphicsCairo::EndLayer() {
  if (layers_.empty()) return nullptr;
  Layer layer = layers_.back();
  layers_.pop_back();
  cairo_destroy(layer.cr);
  cairo_surface_flush(layer.surface);
  userTransform_ = {};
  ClipToRect(layer.previousClip);
  PathClear();
  return std::make_unique<CairoBitmap>(layer.surface, ScreenScale(), DrawScale());
}

std::unique_ptr<BackendBitmap> GraphicsCairo::DecodeBitmap(std::span<const unsigned char> data,
                                                           int scale) {
  cairo_surface_t* surface = DecodeImage(data);
  if (!surface) return nullptr;
  return std::make_unique<CairoBitmap>(surface, static_cast<float>(scale), 1.0f);
}

bool GraphicsCairo::LoadTypeface(const std::string& fontId, const FontData& font,
                                 const FontInfo& info) {
  std::lock_guard lock(TypefaceCache::Instance().Lock());
  return TypefaceCache::Instance().Add(fontId, font, info);
}

}  // namespace fw::gui
