#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graphics/font_info.h"
#include "graphics/resources.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Put16(Bytes& b, size_t at, uint16_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<unsigned char>(v >> 8);
  b[at + 1] = static_cast<unsigned char>(v);
}

void Put32(Bytes& b, size_t at, uint32_t v) {
  Put16(b, at, static_cast<uint16_t>(v >> 16));
  Put16(b, at + 2, static_cast<uint16_t>(v));
}

uint32_t Tag(const char* t) {
  return static_cast<uint32_t>(t[0]) << 24 | t[1] << 16 | t[2] << 8 | t[3];
}

struct FontRecipe {
  const char* signature = "\x00\x01\x00\x00";
  bool withHhea = true;
  uint16_t nameEncodingPlatform = 3;  // 3: Windows UTF-16, 1: Macintosh Roman
};

// A face with head, hhea and name tables: 2048 units per em, bold and italic,
// ascender 1900, descender −500, line gap 20, family "Fixture", style "Bold Italic".
// base: where the face starts in the file (collections put a header before it).
Bytes BuildFace(const FontRecipe& recipe, size_t base = 0) {
  Bytes head(54), hhea(36), name;
  Put16(head, 18, 2048);
  Put16(head, 44, 3);
  Put16(hhea, 4, 1900);
  Put16(hhea, 6, static_cast<uint16_t>(-500));
  Put16(hhea, 8, 20);
  const std::string texts[] = {"Fixture", "Bold Italic"};
  Bytes strings;
  Put16(name, 0, 0);
  Put16(name, 2, 2);
  Put16(name, 4, 6 + 2 * 12);
  for (int i = 0; i < 2; ++i) {
    bool utf16 = recipe.nameEncodingPlatform == 3;
    size_t record = 6 + i * 12, offset = strings.size();
    for (char c : texts[i]) {
      if (utf16) strings.push_back(0);
      strings.push_back(static_cast<unsigned char>(c));
    }
    Put16(name, record, recipe.nameEncodingPlatform);
    Put16(name, record + 2, utf16 ? 1 : 0);
    Put16(name, record + 4, utf16 ? 0x409 : 0);
    Put16(name, record + 6, static_cast<uint16_t>(i + 1));
    Put16(name, record + 8, static_cast<uint16_t>(strings.size() - offset));
    Put16(name, record + 10, static_cast<uint16_t>(offset));
  }
  name.insert(name.end(), strings.begin(), strings.end());

  std::vector<std::pair<const char*, Bytes*>> tables = {{"head", &head}, {"name", &name}};
  if (recipe.withHhea) tables.push_back({"hhea", &hhea});
  Bytes face(12 + 16 * tables.size());
  for (int i = 0; i < 4; ++i)
    face[i] = static_cast<unsigned char>(recipe.signature[i]);
  Put16(face, 4, static_cast<uint16_t>(tables.size()));
  for (size_t i = 0; i < tables.size(); ++i) {
    size_t record = 12 + 16 * i;
    Put32(face, record, Tag(tables[i].first));
    Put32(face, record + 8, static_cast<uint32_t>(base + face.size()));
    Put32(face, record + 12, static_cast<uint32_t>(tables[i].second->size()));
    face.insert(face.end(), tables[i].second->begin(), tables[i].second->end());
  }
  return face;
}

Bytes BuildCollection(uint32_t version, uint32_t faces) {
  Bytes file(16);
  Put32(file, 0, Tag("ttcf"));
  Put32(file, 4, version);
  Put32(file, 8, faces);
  Put32(file, 12, 16);
  Bytes face = BuildFace({}, 16);
  file.insert(file.end(), face.begin(), face.end());
  return file;
}

TEST(FontInfo, ReadsTheMetricsAndNamesOfEveryAcceptedSignature) {
  for (const char* signature : {"\x00\x01\x00\x00", "OTTO", "true", "typ1"}) {
    FontRecipe recipe;
    recipe.signature = signature;
    std::optional<fw::gui::FontInfo> info = fw::gui::ParseFontInfo(BuildFace(recipe));
    ASSERT_TRUE(info) << signature;
    EXPECT_EQ(info->unitsPerEm, 2048);
    EXPECT_TRUE(info->Bold());
    EXPECT_TRUE(info->Italic());
    EXPECT_FALSE(info->Underline());
    EXPECT_EQ(info->ascender, 1900);
    EXPECT_EQ(info->descender, -500);
    EXPECT_EQ(info->lineGap, 20);
    EXPECT_EQ(info->family, "Fixture");
    EXPECT_EQ(info->style, "Bold Italic");
  }
  FontRecipe mac;
  mac.nameEncodingPlatform = 1;
  EXPECT_EQ(fw::gui::ParseFontInfo(BuildFace(mac))->family, "Fixture");
}

TEST(FontInfo, RefusesWhatIsNotAUsableFace) {
  FontRecipe unknown;
  unknown.signature = "wOFF";
  FontRecipe noHhea;
  noHhea.withHhea = false;
  Bytes truncated = BuildFace({});
  truncated.resize(truncated.size() - 40);
  const struct {
    const char* what;
    Bytes data;
    int faceIndex;
  } cases[] = {
      {"unknown signature", BuildFace(unknown), 0},
      {"no hhea table", BuildFace(noHhea), 0},
      {"truncated tables", truncated, 0},
      {"empty", {}, 0},
      {"face index of a single face", BuildFace({}), 1},
      {"collection face that does not exist", BuildCollection(0x00010000, 1), 1},
      {"collection version 3", BuildCollection(0x00030000, 1), 0},
  };
  for (const auto& c : cases)
    EXPECT_FALSE(fw::gui::ParseFontInfo(c.data, c.faceIndex)) << c.what;
}

TEST(FontInfo, FindsAFaceOfACollection) {
  for (uint32_t version : {0x00010000u, 0x00020000u}) {
    std::optional<fw::gui::FontInfo> info = fw::gui::ParseFontInfo(BuildCollection(version, 1), 0);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->family, "Fixture");
  }
}

TEST(FontInfo, ReadsTheEmbeddedRoboto) {
  std::vector<unsigned char> bytes =
      fw::gui::ResourceLocator().LoadBytes("Roboto-Regular.ttf", "TTF");
  std::optional<fw::gui::FontInfo> info = fw::gui::ParseFontInfo(bytes);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->unitsPerEm, 2048);
  EXPECT_EQ(info->ascender, 1900);
  EXPECT_EQ(info->descender, -500);
  EXPECT_EQ(info->family, "Roboto");
  EXPECT_EQ(info->style, "Regular");
  EXPECT_FALSE(info->Bold());
}

}  // namespace
