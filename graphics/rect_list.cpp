#include <algorithm>
#include <cstddef>

#include "graphics/geometry.h"

namespace fw::gui {

namespace {

// The parts of a not covered by b (up to four bands), b overlapping a partly.
std::vector<Rect> Subtract(const Rect& a, const Rect& b) {
  std::vector<Rect> parts;
  if (b.top > a.top) parts.push_back({a.left, a.top, a.right, b.top});
  if (b.bottom < a.bottom) parts.push_back({a.left, b.bottom, a.right, a.bottom});
  float top = std::max(a.top, b.top), bottom = std::min(a.bottom, b.bottom);
  if (b.left > a.left) parts.push_back({a.left, top, b.left, bottom});
  if (b.right < a.right) parts.push_back({b.right, top, a.right, bottom});
  return parts;
}

bool Touches(float aLow, float aHigh, float bLow, float bHigh) {
  return aLow <= bHigh && bLow <= aHigh;
}

}  // namespace

Rect RectList::Bounds() const {
  Rect u;
  for (const Rect& r : rects_)
    u = u.Union(r);
  return u;
}

void RectList::PixelAlign(float scale) {
  for (Rect& r : rects_)
    r = r.PixelAligned(scale);
}

void RectList::Optimize() {
  RemoveOverlaps();
  MergeNeighbours();
}

void RectList::RemoveOverlaps() {
  for (size_t i = 0; i < rects_.size(); ++i) {
    for (size_t j = i + 1; j < rects_.size();) {
      Rect& a = rects_[i];
      const Rect& b = rects_[j];
      if (a.Contains(b) || b.Empty()) {
        rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(j));
        continue;
      }
      if (b.Contains(a) || a.Empty()) {
        rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(i));
        j = i + 1;
        if (i >= rects_.size()) return;
        continue;
      }
      if (a.Intersects(b)) {
        size_t cut = a.Area() < b.Area() ? i : j;
        std::vector<Rect> parts = Subtract(rects_[cut], rects_[cut == i ? j : i]);
        rects_[cut] = parts.front();
        rects_.insert(rects_.end(), parts.begin() + 1, parts.end());
        if (cut == i) {
          j = i + 1;  // the shrunk rectangle meets the others afresh
          continue;
        }
      }
      ++j;
    }
  }
}

void RectList::MergeNeighbours() {
  for (size_t i = 0; i < rects_.size();) {
    bool merged = false;
    for (size_t j = i + 1; j < rects_.size(); ++j) {
      const Rect& a = rects_[i];
      Rect& b = rects_[j];
      bool column =
          a.left == b.left && a.right == b.right && Touches(a.top, a.bottom, b.top, b.bottom);
      bool row =
          a.top == b.top && a.bottom == b.bottom && Touches(a.left, a.right, b.left, b.right);
      if (b.Empty() || column || row) {
        b = b.Union(a);
        rects_.erase(rects_.begin() + static_cast<std::ptrdiff_t>(i));
        merged = true;
        break;
      }
    }
    i = merged ? 0 : i + 1;
  }
}

}  // namespace fw::gui
