#include "tools/artwork/fonts.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace artwork {
namespace {

constexpr const char* kFiles[] = {"Roboto-Light.ttf", "Roboto-Regular.ttf", "Roboto-Medium.ttf",
                                  "Roboto-Bold.ttf"};

// Cairo may keep a face beyond our last reference; the FreeType face goes with it.
const cairo_user_data_key_t kFaceKey{};

void DoneFace(void* face) {
  FT_Done_Face(static_cast<FT_Face>(face));
}

}  // namespace

bool Fonts::Load(const std::string& folder, std::string& error) {
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    error = "FreeType does not start";
    return false;
  }
  library_ = library;
  for (int i = 0; i < 4; ++i) {
    const std::string path = folder + "/" + kFiles[i];
    FT_Face face = nullptr;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
      error = path + ": not a readable font";
      return false;
    }
    faces_[i] = cairo_ft_font_face_create_for_ft_face(face, 0);
    if (cairo_font_face_set_user_data(faces_[i], &kFaceKey, face, DoneFace) !=
        CAIRO_STATUS_SUCCESS) {
      FT_Done_Face(face);
      error = path + ": out of memory";
      return false;
    }
  }
  return true;
}

Fonts::~Fonts() {
  for (cairo_font_face_t* face : faces_) {
    if (face != nullptr) cairo_font_face_destroy(face);
  }
  // Cairo's glyph caches still hold the faces; let it drop them before FreeType goes.
  cairo_debug_reset_static_data();
  if (library_ != nullptr) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

}  // namespace artwork
