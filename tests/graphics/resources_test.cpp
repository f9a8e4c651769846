#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "graphics/resources.h"

namespace {

using fw::gui::ResourceLocation;
using fw::gui::ResourceLocator;

TEST(Resources, ResolutionsAreTriedInTheirSearchOrder) {
  const struct {
    int target;
    std::vector<int> order;
  } cases[] = {{1, {1, 3, 2}}, {2, {2, 3, 1}}, {3, {3, 2, 1}}, {4, {4, 3, 2, 1}}};
  for (const auto& c : cases) {
    std::vector<int> order;
    for (int n = c.target; n > 0; n = fw::gui::NextSearchScale(n, c.target))
      order.push_back(n);
    EXPECT_EQ(order, c.order) << "target " << c.target;
  }
  EXPECT_EQ(fw::gui::ScaledImageName("HV_back.png", 1), "HV_back.png");
  EXPECT_EQ(fw::gui::ScaledImageName("HV_back.png", 2), "HV_back@2x.png");
  EXPECT_EQ(fw::gui::ScaledImageName("dir.d/knob", 3), "dir.d/knob@3x");
}

TEST(Resources, NamesAndTypesMatchIgnoringCase) {
  ResourceLocator locator;
  std::string path;
  EXPECT_EQ(locator.Locate("FIXTURE_Back@2X.PNG", "png", path), ResourceLocation::Module);
  EXPECT_EQ(path, "fixture_back@2x.png");  // the stored name
  EXPECT_EQ(locator.Locate("roboto-regular.TTF", "TTF", path), ResourceLocation::Module);
  EXPECT_EQ(path, "Roboto-Regular.ttf");
  EXPECT_EQ(locator.Locate("fixture_back.png", "TTF", path), ResourceLocation::NotFound);
  EXPECT_EQ(locator.Locate("", "PNG", path), ResourceLocation::NotFound);
  EXPECT_EQ(locator.Locate("missing.png", "PNG", path), ResourceLocation::NotFound);
}

TEST(Resources, ResourcesOfSevenBytesOrLessCountAsMissing) {
  ResourceLocator locator;
  EXPECT_TRUE(locator.ResourceBytes("fixture_tiny.png", "PNG").empty());
  EXPECT_TRUE(locator.LoadBytes("fixture_tiny.png", "PNG").empty());
  EXPECT_GT(locator.ResourceBytes("fixture_back.png", "PNG").size(), 7u);
}

TEST(Resources, AFilePathIsTheFallback) {
  auto path = std::filesystem::temp_directory_path() / "halvern_resource_fallback.txt";
  std::ofstream(path, std::ios::binary) << "file bytes\n";
  ResourceLocator locator;
  std::string found;
  EXPECT_EQ(locator.Locate(path.string(), "TXT", found), ResourceLocation::File);
  EXPECT_EQ(found, path.string());
  std::vector<unsigned char> bytes = locator.LoadBytes(path.string(), "TXT");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "file bytes\n");
  std::filesystem::remove(path);
  EXPECT_EQ(locator.Locate(path.string(), "TXT", found), ResourceLocation::NotFound);
}

TEST(Resources, TheModuleDirectoryHoldsTheBinary) {
  std::string dir = fw::gui::ModuleDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.back(), '/');
  EXPECT_TRUE(std::filesystem::exists(dir + "halvern_graphics_tests"));
}

TEST(Resources, AnImageIsFoundAtTheFirstResolutionThatExists) {
  ResourceLocator locator;
  const struct {
    const char* name;
    int target;
    int expectedScale;
    const char* expectedPath;
  } cases[] = {
      {"fixture_back.png", 1, 1, "fixture_back.png"},
      {"fixture_back.png", 2, 2, "fixture_back@2x.png"},
      {"fixture_back.png", 3, 2, "fixture_back@2x.png"},
      {"fixture_back.png", 4, 2, "fixture_back@2x.png"},
      {"fixture_only2x.png", 1, 2, "fixture_only2x@2x.png"},
      {"fixture_strip.png", 2, 1, "fixture_strip.png"},
  };
  for (const auto& c : cases) {
    std::string path;
    int scale = 0;
    EXPECT_EQ(locator.FindImage(c.name, "PNG", path, c.target, scale), ResourceLocation::Module)
        << c.name << " at " << c.target;
    EXPECT_EQ(scale, c.expectedScale) << c.name << " at " << c.target;
    EXPECT_EQ(path, c.expectedPath) << c.name << " at " << c.target;
  }
}

}  // namespace
