#pragma once

#include <cairo.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "graphics/font_info.h"
#include "graphics/graphics.h"

namespace fw::gui {

struct Typeface {
  cairo_font_face_t* face = nullptr;
  FontInfo info;
};

// The process-wide typefaces by font id, made from font bytes with FreeType; emptied
// when the last Cairo context goes.
class TypefaceCache {
 public:
  static TypefaceCache& Instance();

  std::mutex& Lock() { return mutex_; }
  // Caller holds Lock(). An id already present keeps its typeface.
  bool Add(const std::string& fontId, const FontData& font, const FontInfo& info);
  const Typeface* Find(const std::string& fontId) const;

  void ContextCreated();
  void ContextDestroyed();

 private:
  struct Entry {
    std::string fontId;
    Typeface typeface;
  };
  void Clear();

  std::mutex mutex_;
  std::vector<Entry> entries_;
  int liveContexts_ = 0;
};

}  // namespace fw::gui
