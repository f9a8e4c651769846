#include "clap/preset_key.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

TEST(PresetKey, OnlyPlainDecimalSlotIndicesAreKeys) {
  const struct {
    const char* key;
    std::optional<int32_t> index;
  } cases[] = {
      {"0", 0},
      {"2", 2},
      {"2147483647", 2147483647},
      {"03", std::nullopt},
      {"00", std::nullopt},
      {"-1", std::nullopt},
      {"+1", std::nullopt},
      {"1a", std::nullopt},
      {" 1", std::nullopt},
      {"1 ", std::nullopt},
      {"99999999999", std::nullopt},
      {"2147483648", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fw::ParsePresetKey(c.key), c.index) << '"' << c.key << '"';
  }
  EXPECT_EQ(fw::ParsePresetKey(nullptr), std::nullopt);
}

}  // namespace
