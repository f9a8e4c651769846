#include "graphics/font_info.h"

namespace fw::gui {

namespace {

// Bounds-checked big-endian reads; every read past the end fails the parse.
class Reader {
 public:
  explicit Reader(std::span<const unsigned char> data) : data_(data) {}

  bool Has(size_t offset, size_t length) const {
    return offset <= data_.size() && length <= data_.size() - offset;
  }
  uint16_t U16(size_t offset) const {
    return static_cast<uint16_t>(data_[offset] << 8 | data_[offset + 1]);
  }
  uint32_t U32(size_t offset) const {
    return static_cast<uint32_t>(U16(offset)) << 16 | U16(offset + 2);
  }
  std::span<const unsigned char> Bytes(size_t offset, size_t length) const {
    return data_.subspan(offset, length);
  }

 private:
  std::span<const unsigned char> data_;
};

constexpr uint32_t Tag(const char (&t)[5]) {
  return static_cast<uint32_t>(t[0]) << 24 | static_cast<uint32_t>(t[1]) << 16 |
         static_cast<uint32_t>(t[2]) << 8 | static_cast<uint32_t>(t[3]);
}

struct Table {
  size_t offset = 0;
  size_t length = 0;
};

std::optional<Table> FindTable(const Reader& in, size_t faceOffset, uint32_t tag) {
  if (!in.Has(faceOffset, 12)) return std::nullopt;
  int count = in.U16(faceOffset + 4);
  for (int i = 0; i < count; ++i) {
    size_t record = faceOffset + 12 + static_cast<size_t>(i) * 16;
    if (!in.Has(record, 16)) return std::nullopt;
    if (in.U32(record) != tag) continue;
    Table table{in.U32(record + 8), in.U32(record + 12)};
    if (!in.Has(table.offset, table.length)) return std::nullopt;
    return table;
  }
  return std::nullopt;
}

// UTF-16BE (platforms 0 and 3) or single-byte (platform 1) text, reduced to ASCII.
std::string DecodeName(std::span<const unsigned char> bytes, bool utf16) {
  std::string text;
  if (utf16) {
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      unsigned code = static_cast<unsigned>(bytes[i] << 8 | bytes[i + 1]);
      text.push_back(code < 0x80 ? static_cast<char>(code) : '?');
    }
  } else {
    text.assign(bytes.begin(), bytes.end());
  }
  return text;
}

// Name nameId in the Windows Unicode encoding, else in the Macintosh Roman one.
std::string FindName(const Reader& in, const Table& name, uint16_t nameId) {
  if (!in.Has(name.offset, 6)) return {};
  int count = in.U16(name.offset + 2);
  size_t strings = name.offset + in.U16(name.offset + 4);
  const struct { uint16_t platform, encoding; } encodings[] = {{3, 1}, {1, 0}};
  for (const auto& encoding : encodings) {
    for (int i = 0; i < count; ++i) {
      size_t record = name.offset + 6 + static_cast<size_t>(i) * 12;
      if (!in.Has(record, 12)) return {};
      if (in.U16(record) != encoding.platform || in.U16(record + 2) != encoding.encoding ||
          in.U16(record + 6) != nameId) {
        continue;
      }
      size_t length = in.U16(record + 8), offset = strings + in.U16(record + 10);
      if (!in.Has(offset, length)) continue;
      std::string text = DecodeName(in.Bytes(offset, length), encoding.platform == 3);
      if (!text.empty()) return text;
    }
  }
  return {};
}

std::optional<size_t> FaceOffset(const Reader& in, int faceIndex) {
  if (!in.Has(0, 4)) return std::nullopt;
  uint32_t signature = in.U32(0);
  if (signature == Tag("ttcf")) {
    if (!in.Has(0, 12)) return std::nullopt;
    uint32_t version = in.U32(4);
    if (version != 0x00010000 && version != 0x00020000) return std::nullopt;
    uint32_t faces = in.U32(8);
    if (faceIndex < 0 || static_cast<uint32_t>(faceIndex) >= faces) return std::nullopt;
    size_t entry = 12 + static_cast<size_t>(faceIndex) * 4;
    if (!in.Has(entry, 4)) return std::nullopt;
    return in.U32(entry);
  }
  bool known = signature == 0x00010000 || signature == Tag("OTTO") || signature == Tag("true") ||
               signature == Tag("typ1");
  if (!known || faceIndex != 0) return std::nullopt;
  return 0;
}

}  // namespace

std::optional<FontInfo> ParseFontInfo(std::span<const unsigned char> data, int faceIndex) {
  Reader in(data);
  std::optional<size_t> face = FaceOffset(in, faceIndex);
  if (!face) return std::nullopt;
  std::optional<Table> head = FindTable(in, *face, Tag("head"));
  std::optional<Table> name = FindTable(in, *face, Tag("name"));
  std::optional<Table> hhea = FindTable(in, *face, Tag("hhea"));
  if (!head || !name || !hhea || head->length < 46 || hhea->length < 10) return std::nullopt;

  FontInfo info;
  info.unitsPerEm = in.U16(head->offset + 18);
  info.macStyle = in.U16(head->offset + 44);
  info.ascender = static_cast<int16_t>(in.U16(hhea->offset + 4));
  info.descender = static_cast<int16_t>(in.U16(hhea->offset + 6));
  info.lineGap = static_cast<int16_t>(in.U16(hhea->offset + 8));
  info.family = FindName(in, *name, 1);
  info.style = FindName(in, *name, 2);
  return info;
}

}  // namespace fw::gui
