// Halvern's nineteen parameters as a host sees them through "clap.params": info,
// display texts and the values that host events store, one table row each.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "tests/extensions/session.h"

namespace {

using exttest::Session;
using testhost::AudioBlock;
using testhost::InputEvents;

struct Row {
  const char* name;
  bool enumeration;
  // Host-side range and default: 0…1 and the normalised default for Real
  // parameters, real units for the two enumerations.
  double min;
  double max;
  double defaultValue;
  // Texts at the default, both ends and the host value 0.5.
  const char* defaultText;
  const char* minText;
  const char* maxText;
  const char* midText;
  // What the host value 0.5 stores, in real units.
  double midReal;
};

const double kWetDefault = std::pow(0.3, 1 / 2.3);
const double kDryDefault = std::pow(0.5, 1 / 2.3);

const std::vector<Row>& Table() {
  static const std::vector<Row> rows = {
      {"Predelay", false, 0, 1, 0, "0.00 ms", "0.00 ms", "100.00 ms", "20.31 ms",
       100 * std::pow(0.5, 2.3)},
      {"Room Size", false, 0, 1, 0.5, "0.500 Factor", "0.000 Factor", "1.000 Factor",
       "0.500 Factor", 0.5},
      {"Density", false, 0, 1, 0.6, "4 Factor", "1 Factor", "6 Factor", "4 Factor", 3.5},
      {"ER Density", false, 0, 1, 0, "0 Count", "0 Count", "8 Count", "4 Count", 4},
      {"ER Level", false, 0, 1, 0, "0.00 Factor", "0.00 Factor", "1.00 Factor", "0.50 Factor", 0.5},
      {"Damping", false, 0, 1, 0.5, "0.500 Factor", "0.000 Factor", "1.000 Factor", "0.500 Factor",
       0.5},
      {"Reverb HPF", false, 0, 1, 0, "0 Hz", "0 Hz", "2000 Hz", "287 Hz",
       2000 * std::pow(0.5, 2.8)},
      {"Wet Level", false, 0, 1, kWetDefault, "0.300 Factor", "0.000 Factor", "1.000 Factor",
       "0.203 Factor", std::pow(0.5, 2.3)},
      {"Dry Level", false, 0, 1, kDryDefault, "0.500 Factor", "0.000 Factor", "1.000 Factor",
       "0.203 Factor", std::pow(0.5, 2.3)},
      {"Width", false, 0, 1, 0.5, "1.000 Factor", "0.000 Factor", "2.000 Factor", "1.000 Factor",
       1},
      {"Gate Threshold", false, 0, 1, 0, "-90.0 dB", "-90.0 dB", "0.0 dB", "-45.0 dB", -45},
      {"Attack", false, 0, 1, 0, "1.0 ms", "1.0 ms", "100.0 ms", "50.5 ms", 50.5},
      {"Release", false, 0, 1, 199.0 / 499.0, "200.0 ms", "1.0 ms", "500.0 ms", "250.5 ms", 250.5},
      {"Input Blend", false, 0, 1, 0, "0.00 Ratio", "0.00 Ratio", "1.00 Ratio", "0.50 Ratio", 0.5},
      // Real units: 0.5 snaps to the next choice, halves away from zero.
      {"Reverse Outs", true, 0, 1, 0, "Normal", "Normal", "Cross-verb", "Cross-verb", 1},
      {"Hold", false, 0, 1, 0, "0.0 ms", "0.0 ms", "600.0 ms", "300.0 ms", 300},
      {"Gate Det. Inp.", true, 0, 2, 1, "Wet Output", "Dry Input", "Sidechain", "Wet Output", 1},
      {"High Shelf", false, 0, 1, 20.0 / 30.0, "0.0 dB", "-20.0 dB", "10.0 dB", "-5.0 dB", -5},
      {"HShelf Freq", false, 0, 1, 1, "12000 Hz", "1000 Hz", "12000 Hz", "2579 Hz",
       1000 + 11000 * std::pow(0.5, 2.8)},
  };
  return rows;
}

class ParamTable : public ::testing::Test {
 protected:
  const clap_plugin_params_t* Params() const {
    return session.Ext<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  }

  std::string Text(clap_id id, double value) const {
    char display[64] = {};
    EXPECT_TRUE(Params()->value_to_text(session.Get(), id, value, display, sizeof display))
        << "id " << id << " value " << value;
    return display;
  }

  double Parse(clap_id id, const char* text) const {
    double value = -1;
    EXPECT_TRUE(Params()->text_to_value(session.Get(), id, text, &value)) << text;
    return value;
  }

  Session session;
};

TEST_F(ParamTable, InfoOfEveryParameter) {
  ASSERT_EQ(Params()->count(session.Get()), Table().size());
  for (clap_id id = 0; id < Table().size(); ++id) {
    const Row& row = Table()[id];
    SCOPED_TRACE(row.name);
    clap_param_info_t info{};
    ASSERT_TRUE(Params()->get_info(session.Get(), id, &info));
    EXPECT_EQ(info.id, id);
    EXPECT_EQ(info.flags, row.enumeration ? 0x8021u : 0x8020u);
    EXPECT_EQ(info.cookie, nullptr);
    EXPECT_STREQ(info.name, row.name);
    EXPECT_STREQ(info.module, "");
    EXPECT_EQ(info.min_value, row.min);
    EXPECT_EQ(info.max_value, row.max);
    EXPECT_NEAR(info.default_value, row.defaultValue, 1e-12);
    double value = -1;
    ASSERT_TRUE(Params()->get_value(session.Get(), id, &value));
    EXPECT_EQ(value, info.default_value);
  }
}

TEST_F(ParamTable, TextsAtTheDefaultTheEndsAndTheMiddleReadBackToThemselves) {
  for (clap_id id = 0; id < Table().size(); ++id) {
    const Row& row = Table()[id];
    SCOPED_TRACE(row.name);
    const struct {
      double value;
      const char* text;
    } points[] = {{row.defaultValue, row.defaultText},
                  {row.min, row.minText},
                  {row.max, row.maxText},
                  {0.5, row.midText}};
    for (const auto& point : points) {
      EXPECT_EQ(Text(id, point.value), point.text);
      EXPECT_EQ(Text(id, Parse(id, point.text)), point.text);
    }
    EXPECT_EQ(Parse(id, row.minText), row.min);
    EXPECT_EQ(Parse(id, row.maxText), row.max);
    if (!row.enumeration) {
      // An out-of-range host value is clamped to the range before it is shown.
      const double inf = std::numeric_limits<double>::infinity();
      for (double above : {1.5, inf})
        EXPECT_EQ(Text(id, above), row.maxText);
      for (double below : {-0.5, -inf})
        EXPECT_EQ(Text(id, below), row.minText);
    }
  }
}

TEST_F(ParamTable, HostValueEventsStoreRealUnits) {
  ASSERT_TRUE(session.plugin.Start());
  InputEvents in;
  for (clap_id id = 0; id < Table().size(); ++id)
    in.AddParamValue(id, 0.5);
  AudioBlock block({2}, {2}, 64);
  session.Process(block, &in);

  testhost::MemoryOStream out;
  ASSERT_TRUE(session.Ext<clap_plugin_state_t>(CLAP_EXT_STATE)->save(session.Get(), out.Stream()));
  const std::vector<double> stored = testhost::StateValues(out.Bytes());
  ASSERT_EQ(stored.size(), Table().size());
  for (clap_id id = 0; id < Table().size(); ++id) {
    const Row& row = Table()[id];
    SCOPED_TRACE(row.name);
    EXPECT_NEAR(stored[id], row.midReal, 1e-9 * std::max(1.0, std::abs(row.midReal)));
    double value = -1;
    ASSERT_TRUE(Params()->get_value(session.Get(), id, &value));
    EXPECT_NEAR(value, row.enumeration ? row.midReal : 0.5, 1e-12);
  }
}

}  // namespace
