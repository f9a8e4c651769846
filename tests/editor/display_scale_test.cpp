#include "editor/display_scale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

namespace {

namespace fs = std::filesystem;

// Points XDG_CONFIG_HOME at a fresh temporary folder for each test and restores the
// environment afterwards.
class DisplayScaleTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/halvern-prefs-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    Remember("XDG_CONFIG_HOME", savedConfig_, hadConfig_);
    Remember("HOME", savedHome_, hadHome_);
    setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
  }

  void TearDown() override {
    Restore("XDG_CONFIG_HOME", savedConfig_, hadConfig_);
    Restore("HOME", savedHome_, hadHome_);
    fs::remove_all(root_);
  }

  fs::path PreferenceFile() const {
    return root_ / "Brackwater Audio" / "Preferences" / "halvern-display-scale.txt";
  }

  void StoreText(const std::string& text) const {
    fs::create_directories(PreferenceFile().parent_path());
    std::ofstream(PreferenceFile(), std::ios::binary) << text;
  }

  std::string StoredText() const {
    std::ifstream in(PreferenceFile(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  fs::path root_;

 private:
  static void Remember(const char* name, std::string& value, bool& had) {
    const char* current = std::getenv(name);
    had = current != nullptr;
    if (had) value = current;
  }
  static void Restore(const char* name, const std::string& value, bool had) {
    if (had) {
      setenv(name, value.c_str(), 1);
    } else {
      unsetenv(name);
    }
  }

  std::string savedConfig_, savedHome_;
  bool hadConfig_ = false, hadHome_ = false;
};

TEST_F(DisplayScaleTest, MissingFileGivesScaleOne) {
  float value = 7.0f;
  EXPECT_FALSE(ReadDisplayScale("halvern", value));
  EXPECT_EQ(value, 7.0f);
  EXPECT_EQ(StoredDisplayScale(), 1.0f);
}

TEST_F(DisplayScaleTest, StoredTextDecidesTheScale) {
  struct Case {
    const char* text;
    float scale;
  };
  const Case cases[] = {
      {"1.5000\n", 1.5f}, {"10\n", 4.0f},   {"0.2\n", 0.5f}, {"1.25\r\n", 1.25f}, {"  +2\n", 2.0f},
      {"1.75", 1.75f},    {"-1\n", 1.0f},   {"0\n", 1.0f},   {"abc\n", 1.0f},     {"1.5 2\n", 1.0f},
      {"\n1.5\n", 1.0f},  {"", 1.0f},       {"1,5\n", 1.0f}, {"1.5x\n", 1.0f},    {"inf\n", 1.0f},
      {"nan\n", 1.0f},    {"1e60\n", 1.0f}, {"\r\n", 1.0f},
  };
  for (const Case& c : cases) {
    StoreText(c.text);
    EXPECT_EQ(StoredDisplayScale(), c.scale) << '"' << c.text << '"';
  }
}

TEST_F(DisplayScaleTest, WriteCreatesTheFolderAndStoresFourDecimals) {
  ASSERT_TRUE(WriteDisplayScale("halvern", 1.5f));
  EXPECT_EQ(StoredText(), "1.5000\n");
  EXPECT_EQ(StoredDisplayScale(), 1.5f);

  // A rewrite truncates: nothing of the longer old text survives.
  StoreText("1.2345678901\n9\n");
  ASSERT_TRUE(WriteDisplayScale("halvern", 0.125f));
  EXPECT_EQ(StoredText(), "0.1250\n");
}

TEST_F(DisplayScaleTest, WriteRefusesValuesThatAreNotPositiveAndFinite) {
  ASSERT_TRUE(WriteDisplayScale("halvern", 2.0f));
  for (float bad : {0.0f, -1.0f, std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::quiet_NaN()}) {
    EXPECT_FALSE(WriteDisplayScale("halvern", bad)) << bad;
  }
  EXPECT_EQ(StoredText(), "2.0000\n");
}

TEST_F(DisplayScaleTest, WriteFailsWhenTheFolderCannotBeCreated) {
  const fs::path blocker = root_ / "not-a-folder";
  std::ofstream(blocker) << "x";
  setenv("XDG_CONFIG_HOME", blocker.c_str(), 1);
  EXPECT_FALSE(WriteDisplayScale("halvern", 1.5f));
  EXPECT_EQ(StoredDisplayScale(), 1.0f);
}

TEST_F(DisplayScaleTest, LastInstanceToCloseDecides) {
  // Instance B closes at 1.0, then instance A at 2.0: whoever opens next reads 2.0.
  ASSERT_TRUE(WriteDisplayScale("halvern", 1.0f));
  ASSERT_TRUE(WriteDisplayScale("halvern", 2.0f));
  EXPECT_EQ(StoredDisplayScale(), 2.0f);
}

TEST_F(DisplayScaleTest, FilePathFollowsTheConfigFolderAndSanitisesThePrefix) {
  const std::string folder = root_.string() + "/Brackwater Audio/Preferences/";
  EXPECT_EQ(PreferenceFilePath("halvern"), folder + "halvern-display-scale.txt");
  EXPECT_EQ(PreferenceFilePath("a/b\\c:d*e?f\"g<h>i|j"),
            folder + "a_b_c_d_e_f_g_h_i_j-display-scale.txt");
  EXPECT_EQ(PreferenceFilePath(""), "");
  EXPECT_EQ(PreferenceFilePath(nullptr), "");
  float value = 0.0f;
  EXPECT_FALSE(ReadDisplayScale("", value));
  EXPECT_FALSE(WriteDisplayScale(nullptr, 1.5f));

  // Without XDG_CONFIG_HOME, or with a relative one, the folder is ~/.config.
  setenv("HOME", "/home/someone", 1);
  const std::string fallback = "/home/someone/.config/Brackwater Audio/Preferences/";
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(PreferencesFolder(), fallback);
  setenv("XDG_CONFIG_HOME", "relative/config", 1);
  EXPECT_EQ(PreferencesFolder(), fallback);
  setenv("XDG_CONFIG_HOME", "", 1);
  EXPECT_EQ(PreferencesFolder(), fallback);
  unsetenv("HOME");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(PreferencesFolder(), "");
  EXPECT_FALSE(WriteDisplayScale("halvern", 1.5f));
}

}  // namespace
