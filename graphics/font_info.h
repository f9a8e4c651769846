#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace fw::gui {

// What the text layout needs from a TrueType/OpenType face: its em size, style bits,
// names and vertical metrics (font units).
struct FontInfo {
  uint16_t unitsPerEm = 0;
  uint16_t macStyle = 0;  // bit 0 bold, bit 1 italic, bit 2 underline
  std::string family;
  std::string style;
  int16_t ascender = 0;
  int16_t descender = 0;
  int16_t lineGap = 0;

  bool Bold() const { return macStyle & 1; }
  bool Italic() const { return macStyle & 2; }
  bool Underline() const { return macStyle & 4; }
};

// Parses the head, name and hhea tables of face faceIndex (collections: of the
// collection's list); none for unknown signatures, missing tables or short data.
std::optional<FontInfo> ParseFontInfo(std::span<const unsigned char> data, int faceIndex = 0);

}  // namespace fw::gui
