#include "graphics/cairo/typeface_cache.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace fw::gui {

namespace {

// FreeType's library lives for the process: cairo may release a face after we do.
FT_Library FreeTypeLibrary() {
  static FT_Library library = [] {
    FT_Library created = nullptr;
    return FT_Init_FreeType(&created) == 0 ? created : nullptr;
  }();
  return library;
}

// What a cairo font face keeps alive until cairo lets go of it.
struct FaceOwner {
  FT_Face face;
  std::shared_ptr<const void> bytes;
};

const cairo_user_data_key_t kFaceOwnerKey{};

void ReleaseFace(void* data) {
  auto* owner = static_cast<FaceOwner*>(data);
  FT_Done_Face(owner->face);
  delete owner;
}

}  // namespace

TypefaceCache& TypefaceCache::Instance() {
  static TypefaceCache* cache = new TypefaceCache;
  return *cache;
}

bool TypefaceCache::Add(const std::string& fontId, const FontData& font, const FontInfo& info) {
  if (Find(fontId)) return true;
  FT_Library library = FreeTypeLibrary();
  FT_Face face = nullptr;
  if (!library || font.bytes.empty() ||
      FT_New_Memory_Face(library, font.bytes.data(), static_cast<FT_Long>(font.bytes.size()), 0,
                         &face) != 0) {
    return false;
  }
  cairo_font_face_t* cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
  auto* owner = new FaceOwner{face, font.owner};
  if (cairo_font_face_set_user_data(cairoFace, &kFaceOwnerKey, owner, ReleaseFace) !=
      CAIRO_STATUS_SUCCESS) {
    cairo_font_face_destroy(cairoFace);
    ReleaseFace(owner);
    return false;
  }
  entries_.push_back({fontId, {cairoFace, info}});
  return true;
}

const Typeface* TypefaceCache::Find(const std::string& fontId) const {
  for (const Entry& entry : entries_) {
    if (entry.fontId == fontId) return &entry.typeface;
  }
  return nullptr;
}

void TypefaceCache::ContextCreated() {
  std::lock_guard lock(mutex_);
  ++liveContexts_;
}

void TypefaceCache::ContextDestroyed() {
  std::lock_guard lock(mutex_);
  if (--liveContexts_ == 0) Clear();
}

void TypefaceCache::Clear() {
  for (Entry& entry : entries_)
    cairo_font_face_destroy(entry.typeface.face);
  entries_.clear();
}

}  // namespace fw::gui
