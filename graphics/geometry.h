#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace fw::gui {

// A rectangle in points. All four values 0 is the empty rectangle: it contains
// nothing and intersects to empty.
struct Rect {
  float left = 0.0f;
  float top = 0.0f;
  float right = 0.0f;
  float bottom = 0.0f;

  float W() const { return right - left; }
  float H() const { return bottom - top; }
  float MW() const { return 0.5f * (left + right); }
  float MH() const { return 0.5f * (top + bottom); }
  float Area() const { return W() * H(); }
  bool Empty() const { return left == 0.0f && top == 0.0f && right == 0.0f && bottom == 0.0f; }
  bool Contains(float x, float y) const {
    return !Empty() && left <= x && x < right && top <= y && y < bottom;
  }
  bool Contains(const Rect& r) const {
    return !Empty() && !r.Empty() && r.left >= left && r.right <= right && r.top >= top &&
           r.bottom <= bottom;
  }
  bool Intersects(const Rect& r) const {
    return !Empty() && !r.Empty() && r.left < right && left < r.right && r.top < bottom &&
           top < r.bottom;
  }
  Rect Intersect(const Rect& r) const {
    if (!Intersects(r)) return {};
    return {std::max(left, r.left), std::max(top, r.top), std::min(right, r.right),
            std::min(bottom, r.bottom)};
  }
  Rect Union(const Rect& r) const {
    if (Empty()) return r;
    if (r.Empty()) return *this;
    return {std::min(left, r.left), std::min(top, r.top), std::max(right, r.right),
            std::max(bottom, r.bottom)};
  }
  Rect Grown(float d) const { return {left - d, top - d, right + d, bottom + d}; }
  // Outward to whole pixels at the given pixels-per-point.
  Rect PixelAligned(float scale) const {
    return {std::floor(left * scale) / scale, std::floor(top * scale) / scale,
            std::ceil(right * scale) / scale, std::ceil(bottom * scale) / scale};
  }
  Rect Offset(float dx, float dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
  // A w × h rectangle centred on this one's centre.
  Rect Centred(float w, float h) const {
    float x = MW() - 0.5f * w, y = MH() - 0.5f * h;
    return {x, y, x + w, y + h};
  }
  bool operator==(const Rect&) const = default;
};

// Alpha, red, green, blue, 0–255 each.
struct Color {
  int A = 255;
  int R = 0;
  int G = 0;
  int B = 0;
  bool operator==(const Color&) const = default;
};

inline constexpr Color kBlack{255, 0, 0, 0};
inline constexpr Color kWhite{255, 255, 255, 255};

enum class Align : int32_t { Near = 0, Centre = 1, Far = 2 };

struct TextStyle {
  std::string font = "Roboto-Regular";
  float size = 14.0f;  // ascender to descender line, points
  Color color = kBlack;
  Color entryBackground = kWhite;
  Color entryText = kBlack;
  float angle = 0.0f;  // degrees
  Align align = Align::Centre;
  Align valign = Align::Centre;
};

// How a drawing combines with what is below; method 0 is normal source-over.
struct Blend {
  int32_t method = 0;
  float weight = 1.0f;
};

struct MouseMods {
  bool left = false;
  bool right = false;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
  int64_t touchId = 0;  // 0 for the mouse
  float touchRadius = 0.0f;
};

struct PointerEvent {
  float x = 0.0f;
  float y = 0.0f;
  float dX = 0.0f;
  float dY = 0.0f;
  MouseMods mods;
};

struct KeyPress {
  int32_t virtualKey = 0;
  char utf8[5] = {};
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

// The dirty rectangles of one frame.
class RectList {
 public:
  void Add(const Rect& r) { rects_.push_back(r); }
  int Size() const { return static_cast<int>(rects_.size()); }
  const Rect& Get(int i) const { return rects_[i]; }
  void Clear() { rects_.clear(); }
  bool Empty() const { return rects_.empty(); }
  Rect Bounds() const;
  void PixelAlign(float scale);
  // Removes covered and covered-over parts, then merges neighbours that line up, so
  // no pixel lies in two rectangles.
  void Optimize();

 private:
  void RemoveOverlaps();
  void MergeNeighbours();
  std::vector<Rect> rects_;
};

}  // namespace fw::gui
