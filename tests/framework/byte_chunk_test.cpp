#include "framework/byte_chunk.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace {

using fw::ByteChunk;

std::vector<uint8_t> BytesOf(const ByteChunk& chunk) {
  const uint8_t* first = chunk.Bytes();
  return first ? std::vector<uint8_t>(first, first + chunk.Size()) : std::vector<uint8_t>();
}

TEST(ByteChunk, ScalarsAreLittleEndianAndUnaligned) {
  ByteChunk chunk;
  EXPECT_EQ(chunk.AppendValue(int32_t{0x01020304}), 4);
  EXPECT_EQ(chunk.AppendValue(1.0f), 8);
  EXPECT_EQ(chunk.AppendValue(-2.0), 16);
  EXPECT_EQ(chunk.AppendValue(int32_t{-2}), 20);
  const std::vector<uint8_t> expected = {
      0x04, 0x03, 0x02, 0x01,                          // int32 0x01020304
      0x00, 0x00, 0x80, 0x3F,                          // float 1.0
      0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0,  // double -2.0
      0xFE, 0xFF, 0xFF, 0xFF,                          // int32 -2
  };
  EXPECT_EQ(BytesOf(chunk), expected);

  int32_t i = 0;
  float f = 0;
  double d = 0;
  EXPECT_EQ(chunk.ReadValue(0, i), 4);
  EXPECT_EQ(i, 0x01020304);
  EXPECT_EQ(chunk.ReadValue(4, f), 8);
  EXPECT_EQ(f, 1.0f);
  EXPECT_EQ(chunk.ReadValue(8, d), 16);
  EXPECT_EQ(d, -2.0);
  EXPECT_EQ(chunk.ReadValue(16, i), 20);
  EXPECT_EQ(i, -2);
  EXPECT_EQ(chunk.ReadValue(1, i), 5);  // any byte position
  EXPECT_EQ(i, 0x00010203);
}

TEST(ByteChunk, ReadsOutsideTheBytesAnswerMinusOne) {
  ByteChunk chunk;
  chunk.AppendValue(1.5);  // 8 bytes
  const struct {
    int pos;
    int width;
    int expected;
  } cases[] = {
      {0, 8, 8},
      {4, 4, 8},
      {-1, 4, -1},
      {-8, 8, -1},
      {5, 4, -1},
      {1, 8, -1},
      {8, 4, -1},
      {std::numeric_limits<int>::max(), 4, -1},
      {std::numeric_limits<int>::min(), 8, -1},
  };
  for (const auto& c : cases) {
    int32_t narrow = 7;
    double wide = 7;
    const int result = c.width == 4 ? chunk.ReadValue(c.pos, narrow) : chunk.ReadValue(c.pos, wide);
    EXPECT_EQ(result, c.expected) << "pos " << c.pos << " width " << c.width;
  }
  int32_t value = 0;
  EXPECT_EQ(ByteChunk().ReadValue(0, value), -1);
}

TEST(ByteChunk, AppendAndResizeKeepTheLeadingBytes) {
  ByteChunk chunk;
  EXPECT_EQ(chunk.Bytes(), nullptr);
  const uint8_t raw[] = {1, 2, 3, 4, 5};
  EXPECT_EQ(chunk.Append(raw, 3), 3);
  EXPECT_EQ(chunk.Append(raw, 0), 3);
  EXPECT_EQ(chunk.Append(raw + 3, 2), 5);
  EXPECT_EQ(BytesOf(chunk), (std::vector<uint8_t>{1, 2, 3, 4, 5}));

  EXPECT_TRUE(chunk.Resize(2));
  EXPECT_EQ(BytesOf(chunk), (std::vector<uint8_t>{1, 2}));
  EXPECT_TRUE(chunk.Resize(4));
  ASSERT_EQ(chunk.Size(), 4);
  EXPECT_EQ(chunk.Bytes()[0], 1);
  EXPECT_EQ(chunk.Bytes()[1], 2);
  EXPECT_FALSE(chunk.Resize(-1));
  EXPECT_EQ(chunk.Size(), 4);

  chunk.Clear();
  EXPECT_EQ(chunk.Size(), 0);
  EXPECT_EQ(chunk.Bytes(), nullptr);
}

}  // namespace
