#pragma once

#include <cairo.h>

#include <string>

namespace artwork {

enum class Weight { Light, Regular, Medium, Bold };

// The Roboto faces the artwork prints with, loaded through FreeType from one folder.
class Fonts {
 public:
  Fonts() = default;
  ~Fonts();
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;

  // False with the failing file in error.
  bool Load(const std::string& folder, std::string& error);
  cairo_font_face_t* Face(Weight weight) const { return faces_[static_cast<int>(weight)]; }

 private:
  void* library_ = nullptr;  // FT_Library, kept out of this header
  cairo_font_face_t* faces_[4] = {};
};

}  // namespace artwork
