#include <gtest/gtest.h>

#include "graphics/bitmap.h"
#include "tests/graphics/art/fixture_art.h"
#include "tests/graphics/test_support.h"

namespace {

using fw::gui::Bitmap;
using fw::gui::BitmapCache;

TEST(FetchBitmap, PicksTheResolutionForTheBackingScale) {
  const struct {
    float drawScale, screenScale;
    int pixelWidth, pixelHeight, scale;
  } cases[] = {
      {1.0f, 1.0f, 650, 438, 1},
      {1.5f, 1.0f, 1300, 876, 2},  // target 2: the 2× file as it is
      {2.0f, 1.0f, 1300, 876, 2},
      {1.5f, 2.0f, 1950, 1314, 3},  // target 3: no 3× file, the 2× one redrawn
      {0.5f, 1.0f, 650, 438, 1},
  };
  for (const auto& c : cases) {
    gfxtest::TestDelegate delegate;
    auto g = gfxtest::MakeContext(delegate, c.drawScale, c.screenScale);
    Bitmap bitmap = g->FetchBitmap("fixture_back.png");
    ASSERT_FALSE(bitmap.IsNone()) << c.drawScale << "x" << c.screenScale;
    EXPECT_EQ(bitmap.W, 650);
    EXPECT_EQ(bitmap.H, 438);
    EXPECT_EQ(bitmap.api->PixelWidth(), c.pixelWidth) << c.drawScale << "x" << c.screenScale;
    EXPECT_EQ(bitmap.api->PixelHeight(), c.pixelHeight) << c.drawScale << "x" << c.screenScale;
    EXPECT_EQ(bitmap.api->Scale(), c.scale);
    EXPECT_EQ(g->FetchBitmap("fixture_back.png").api, bitmap.api);  // decoded once
    std::lock_guard lock(BitmapCache::Instance().Lock());
    EXPECT_EQ(BitmapCache::Instance().Count(), 1u) << "only the target resolution is kept";
  }
}

TEST(FetchBitmap, RedrawsAnotherResolutionWhenNoFileFits) {
  gfxtest::TestDelegate delegate;
  auto g = gfxtest::MakeContext(delegate);
  Bitmap down = g->FetchBitmap("fixture_only2x.png");  // target 1, only a 2× file
  ASSERT_FALSE(down.IsNone());
  EXPECT_EQ(down.api->Scale(), 1);
  EXPECT_EQ(down.api->PixelWidth(), 20);
  EXPECT_EQ(down.W, 20);
  Bitmap up = g->FetchBitmap("fixture_only2x.png", 1, false, 4);
  EXPECT_EQ(up.api->PixelWidth(), 80);
  EXPECT_EQ(up.W, 20);
}

TEST(FetchBitmap, FindsNamesInAnyCaseAndRefusesUnsupportedTypes) {
  gfxtest::TestDelegate delegate;
  auto g = gfxtest::MakeContext(delegate);
  Bitmap mixed = g->FetchBitmap("FIXTURE_Back.PNG");
  ASSERT_FALSE(mixed.IsNone());
  EXPECT_EQ(mixed.W, 650);
  EXPECT_EQ(mixed.name, "FIXTURE_Back.PNG");
  EXPECT_TRUE(g->FetchBitmap("fixture_picture.bmp").IsNone());  // present, but not an image type
  EXPECT_TRUE(g->FetchBitmap("missing.png").IsNone());
  EXPECT_TRUE(g->FetchBitmap("fixture_tiny.png").IsNone());
  EXPECT_TRUE(g->FetchBitmap("no_extension").IsNone());
  Bitmap photo = g->FetchBitmap("fixture_photo.JPEG");
  ASSERT_FALSE(photo.IsNone());
  EXPECT_EQ(photo.W, 16);
}

TEST(FetchBitmap, DescribesFramesAndDecodesFromMemory) {
  gfxtest::TestDelegate delegate;
  auto g = gfxtest::MakeContext(delegate);
  Bitmap strip = g->FetchBitmap("fixture_strip.png", fixture::kStripFrames, false);
  EXPECT_EQ(strip.N, 60);
  EXPECT_EQ(strip.FrameWidth(), 10);
  EXPECT_EQ(strip.FrameHeight(), 10);
  std::vector<unsigned char> bytes = g->LoadResourceBytes("fixture_handle.png", "PNG");
  Bitmap fromMemory = g->FetchBitmapFromMemory("handle in memory", bytes, 2, true);
  ASSERT_FALSE(fromMemory.IsNone());
  EXPECT_EQ(fromMemory.W, fixture::kHandleWidth);
  EXPECT_EQ(fromMemory.FrameWidth(), fixture::kHandleWidth / 2.0f);
  std::vector<unsigned char> garbage(64, 0x42);
  EXPECT_TRUE(g->FetchBitmapFromMemory("garbage", garbage).IsNone());
}

TEST(FetchBitmap, TheCacheLivesUntilTheLastContextCloses) {
  gfxtest::TestDelegate delegate;
  auto first = gfxtest::MakeContext(delegate);
  auto second = gfxtest::MakeContext(delegate);
  Bitmap shared = first->FetchBitmap("fixture_handle.png");
  EXPECT_EQ(second->FetchBitmap("fixture_handle.png").api, shared.api);
  first.reset();
  {
    std::lock_guard lock(BitmapCache::Instance().Lock());
    EXPECT_EQ(BitmapCache::Instance().Count(), 1u);
  }
  second.reset();
  std::lock_guard lock(BitmapCache::Instance().Lock());
  EXPECT_EQ(BitmapCache::Instance().Count(), 0u);
}

}  // namespace
