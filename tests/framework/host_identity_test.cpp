#include <gtest/gtest.h>

#include <string>

#include "framework/plugin_api_base.h"

namespace {

using fw::PluginApiBase;

TEST(HostIdentity, FirstTableEntryFoundInTheLowerCasedNameWins) {
  const struct {
    std::string name;
    int32_t code;
  } cases[] = {
      {"REAPER", 1},
      {"Bitwig Studio", 34},
      {"WaveLab Elements 12", 32},  // before plain "wavelab"
      {"WaveLab Pro 12", 31},
      {"Example Host", 0},
      {"Olive Host", 9},  // "live" anywhere
      {"Cubase with Reaper inside", 1},
      {"Standalone Bias", 19},  // generic words come last
      {"www.example.invalid", 35},
      {"", 0},
      {std::string(249, 'x') + "reaper", 1},  // ends at character 255
      {std::string(250, 'x') + "reaper", 0},  // its last letter lies beyond 255
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PluginApiBase::IdentifyHost(c.name.c_str()), c.code) << c.name;
  }
  EXPECT_EQ(PluginApiBase::IdentifyHost(nullptr), 0);
}

class HostedPlugin final : public PluginApiBase {
 public:
  HostedPlugin() : PluginApiBase(fw::PlugConfig{}, 8) {}
  void HostGestureBegin(int32_t) override {}
  void HostParamValue(int32_t, double) override {}
  void HostGestureEnd(int32_t) override {}
};

TEST(HostIdentity, SetHostKeepsNameCodeAndVersion) {
  HostedPlugin plugin;
  EXPECT_EQ(plugin.HostKind(), -1);
  plugin.SetHost("REAPER", 7 << 16 | 1 << 8 | 2);
  EXPECT_EQ(plugin.HostName(), "REAPER");
  EXPECT_EQ(plugin.HostKind(), 1);
  EXPECT_EQ(plugin.HostVersion(), 459010);
}

}  // namespace
