#include "framework/parameter.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

namespace {

using fw::Parameter;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::unique_ptr<Parameter> Real(double min, double max, double step, int32_t flags = 0,
                                const Parameter::Shape& shape = Parameter::ShapeLinear()) {
  auto param = std::make_unique<Parameter>();
  param->Configure("Real", min, min, max, step, "ms", flags, "", shape, 21);
  return param;
}

std::unique_ptr<Parameter> Percent() {
  return Real(0, 100, 0.01);
}
std::unique_ptr<Parameter> Whole() {
  return Real(-100, 100, 1);
}
std::unique_ptr<Parameter> WholeSigned() {
  return Real(-10, 10, 1, fw::ShowSign);
}
std::unique_ptr<Parameter> Signed() {
  return Real(-10, 10, 0.01, fw::ShowSign);
}
std::unique_ptr<Parameter> Negated() {
  return Real(-10, 10, 0.1, fw::ShowNegated);
}
std::unique_ptr<Parameter> Steps() {
  auto param = std::make_unique<Parameter>();
  param->ConfigureInteger("Steps", 0, -5, 5, "steps", fw::NoParamFlags, "");
  return param;
}
std::unique_ptr<Parameter> Detector() {
  static const char* const kTexts[] = {"Dry Input", "Wet Output", "Sidechain"};
  auto param = std::make_unique<Parameter>();
  param->ConfigureEnumeration("Detector", 1, 3, "det", fw::NoParamFlags, "", kTexts);
  return param;
}
// Choices 0 and 1 are named; 2 is not.
std::unique_ptr<Parameter> PartlyNamed() {
  auto param = std::make_unique<Parameter>();
  param->ConfigureEnumeration("Mode", 0, 3, "mode", fw::NoParamFlags, "", nullptr);
  param->AddValueText(0, "Normal");
  param->AddValueText(1, "Cross-verb");
  return param;
}
// A real parameter whose end points have names, the lower one empty.
std::unique_ptr<Parameter> NamedEnds() {
  auto param = Percent();
  param->AddValueText(0, "");
  param->AddValueText(100, "Max");
  return param;
}
std::unique_ptr<Parameter> Formatted() {
  auto param = std::make_unique<Parameter>();
  param->Configure("Formatted", 0, 0, 100, 1, "", fw::NoParamFlags, "", Parameter::ShapeLinear(),
                   21, [](double v, std::string& out) { out = "v=" + std::to_string(int(v)); });
  param->AddValueText(1, "One");
  return param;
}
std::unique_ptr<Parameter> Verbose() {
  auto param = std::make_unique<Parameter>();
  param->Configure("Verbose", 0, 0, 1, 1, "", fw::NoParamFlags, "", Parameter::ShapeLinear(), 21,
                   [](double, std::string& out) { out.assign(40, 'x'); });
  return param;
}
std::unique_ptr<Parameter> Parsed() {
  auto param = std::make_unique<Parameter>();
  param->Configure("Parsed", 0, 0, 100, 0.5, "", fw::SnapToStep, "", Parameter::ShapeLinear(), 21,
                   {}, [](const char* text) { return std::atof(text) * 1000; });
  return param;
}

using Factory = std::unique_ptr<Parameter> (*)();

struct StoreCase {
  double min, max, step;
  int32_t flags;
  double stored;
  double expected;
};

TEST(Parameter, StoredValuesAreSnappedThenClamped) {
  const StoreCase cases[] = {
      {0, 10, 1, fw::SnapToStep, 2.5, 3},  // halves away from zero
      {-10, 10, 1, fw::SnapToStep, -2.5, -3},
      {0, 10, 1, fw::SnapToStep, 2.49, 2},
      {0, 10, 0.5, fw::SnapToStep, 1.3, 1.5},
      {0, 10, 1, fw::NoParamFlags, 2.5, 2.5},  // no snapping without the flag
      {0, 10, 1, fw::SnapToStep, 10.6, 10},
      {0, 10, 1, fw::NoParamFlags, -1, 0},
      {0, 10, 1, fw::NoParamFlags, kInf, 10},
      {0, 10, 1, fw::NoParamFlags, -kInf, 0},
      {0, 10, 1, fw::NoParamFlags, kNaN, 0},  // NaN falls to min
      {2, 10, 1, fw::SnapToStep, kNaN, 2},
      {-90, 0, -0.1, fw::NoParamFlags, -95, -90},
  };
  for (const StoreCase& c : cases) {
    auto param = Real(c.min, c.max, c.step, c.flags);
    param->SetValue(c.stored);
    EXPECT_EQ(param->Value(), c.expected) << c.stored << " in " << c.min << "…" << c.max;
    EXPECT_EQ(param->Restrict(c.stored), c.expected) << c.stored;
  }
}

struct RangeCase {
  double min, max, step;
  double expectedMax;
  int expectedPrecision;
};

TEST(Parameter, ConfigureWidensTheRangeToOneStepAndDerivesPrecisionFromTheStep) {
  const RangeCase cases[] = {
      {0, 100, 0.01, 100, 2}, {0, 0, 1, 1, 0},     {0, 0.5, 1, 1, 0}, {-90, 0, -0.1, 0, 1},
      {0, 1, 0.1, 1, 1},      {0, 1, 0.001, 1, 3}, {0, 5, 0.5, 5, 1}, {0, 1, 0.25, 1, 2},
      {0, 2000, 10, 2000, 0}, {0, 1, 1e-9, 1, 6},  // capped
  };
  for (const RangeCase& c : cases) {
    auto param = Real(c.min, c.max, c.step);
    EXPECT_EQ(param->Min(), c.min) << "step " << c.step;
    EXPECT_EQ(param->Max(), c.expectedMax) << "step " << c.step;
    EXPECT_EQ(param->DisplayPrecision(), c.expectedPrecision) << "step " << c.step;
  }
}

TEST(Parameter, ConfigureStartsFromTheRestrictedDefault) {
  Parameter param;
  param.Configure("Gain", 150, 0, 100, 1, "dB", fw::NoParamFlags, "", Parameter::ShapeLinear(), 21);
  EXPECT_EQ(param.Kind(), fw::ParamKind::Real);
  EXPECT_EQ(param.Value(), 100);
  EXPECT_EQ(param.DefaultValue(false), 150);
  EXPECT_EQ(param.DefaultValue(true), 1);
}

TEST(Parameter, IntegerAndEnumerationFormsKeepTheirKindAndSnap) {
  auto steps = Steps();
  EXPECT_EQ(steps->Kind(), fw::ParamKind::Integer);
  EXPECT_EQ(steps->Step(), 1);
  EXPECT_TRUE(steps->Flags() & fw::SnapToStep);
  steps->SetValue(2.5);
  EXPECT_EQ(steps->Value(), 3);
  // A later general Configure leaves the kind alone.
  steps->Configure("Steps", 0, 0, 4, 1, "", fw::NoParamFlags, "", Parameter::ShapeLinear(), 21);
  EXPECT_EQ(steps->Kind(), fw::ParamKind::Integer);

  auto detector = Detector();
  EXPECT_EQ(detector->Kind(), fw::ParamKind::Enumeration);
  EXPECT_EQ(detector->Min(), 0);
  EXPECT_EQ(detector->Max(), 2);
  EXPECT_EQ(detector->Value(), 1);
  ASSERT_EQ(detector->ValueTextCount(), 3);
  EXPECT_STREQ(detector->ValueTextFor(2), "Sidechain");
  EXPECT_EQ(PartlyNamed()->ValueTextCount(), 2);  // null texts: the caller names them
}

TEST(Parameter, NormalizedAndDenormalizedStayInRange) {
  auto param = Percent();
  EXPECT_EQ(param->Normalized(25), 0.25);
  EXPECT_EQ(param->Normalized(150), 1.0);
  EXPECT_EQ(param->Normalized(-5), 0.0);
  EXPECT_EQ(param->Denormalized(0.25), 25);
  EXPECT_EQ(param->Denormalized(1.2), 100);
  EXPECT_EQ(param->Denormalized(-0.3), 0);
  param->SetFromNormalized(0.4);
  EXPECT_EQ(param->Value(), 40);
  EXPECT_EQ(param->NormalizedValue(), 0.4);
}

TEST(Parameter, PowCurveMapsBothWays) {
  auto param = Real(0, 100, 0.01, fw::NoParamFlags, Parameter::ShapePowCurve(2.3));
  const double real = param->Denormalized(0.5);
  EXPECT_DOUBLE_EQ(real, 100 * std::pow(0.5, 2.3));
  EXPECT_NEAR(real, 20.3, 0.01);
  EXPECT_DOUBLE_EQ(param->Normalized(real), 0.5);
  EXPECT_EQ(param->Normalized(0), 0.0);
  EXPECT_EQ(param->Normalized(100), 1.0);
}

TEST(Parameter, DisplayCurveCodesFollowTheExponent) {
  const struct {
    double exponent;
    int code;
  } cases[] = {{3, 6},   {2.51, 6}, {2.5, 4}, {2, 4}, {1.5, 0}, {1, 0}, {0.6666666666666666, 0},
               {0.5, 3}, {0.4, 3},  {0.3, 5}};
  for (const auto& c : cases) {
    EXPECT_EQ(Parameter::ShapePowCurve(c.exponent).DisplayCurve(), c.code) << c.exponent;
  }
  EXPECT_EQ(Parameter::ShapeLinear().DisplayCurve(), 0);
}

TEST(Parameter, ConfigureKeepsItsOwnCopyOfTheShape) {
  Parameter param;
  {
    Parameter::ShapePowCurve shape(3);
    param.Configure("Freq", 0, 0, 100, 1, "Hz", fw::NoParamFlags, "", shape, 21);
    EXPECT_NE(&param.GetShape(), &shape);
  }
  EXPECT_EQ(param.GetShape().DisplayCurve(), 6);
  EXPECT_DOUBLE_EQ(param.Denormalized(0.5), 12.5);
}

struct FormatCase {
  const char* what;
  Factory make;
  double value;
  bool isNormalized;
  bool useValueTexts;
  const char* expected;
};

TEST(Parameter, FormatValue) {
  const FormatCase cases[] = {
      {"precision 0 rounds halves up", Whole, 3.5, false, true, "4"},
      {"precision 0 rounds halves down", Whole, -3.5, false, true, "-4"},
      {"precision 0 negative zero", Whole, -0.4, false, true, "0"},
      {"sign has no effect at precision 0", WholeSigned, 3, false, true, "3"},
      {"precision 2", Percent, 12.3456, false, true, "12.35"},
      {"negative zero", Percent, -0.0, false, true, "0.00"},
      {"normalized input", Percent, 0.5, true, true, "50.00"},
      {"explicit plus", Signed, 1.5, false, true, "+1.50"},
      {"explicit minus", Signed, -1.5, false, true, "-1.50"},
      {"zero has no sign", Signed, 0, false, true, "0.00"},
      {"negated", Negated, 3, false, true, "-3.0"},
      {"negated negative", Negated, -2.5, false, true, "2.5"},
      {"negated zero", Negated, 0, false, true, "0.0"},
      {"value text", Detector, 1, false, true, "Wet Output"},
      {"value text of a normalized value", Detector, 0.5, true, true, "Wet Output"},
      {"value texts not used", Detector, 1, false, false, "1"},
      {"value text of another value", NamedEnds, 99.5, false, true, "99.50"},
      {"empty value text falls through", NamedEnds, 0, false, true, "0.00"},
      {"real value text", NamedEnds, 100, false, true, "Max"},
      {"formatter alone", Formatted, 1, false, true, "v=1"},
      {"cut at 32 characters", Verbose, 0, false, true, "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
  };
  for (const FormatCase& c : cases) {
    std::string out = "previous";
    c.make()->FormatValue(c.value, c.isNormalized, out, c.useValueTexts);
    EXPECT_EQ(out, c.expected) << c.what;
  }
}

struct ParseCase {
  const char* what;
  Factory make;
  const char* text;
  double expected;
};

TEST(Parameter, ParseText) {
  const ParseCase cases[] = {
      {"value text", Detector, "Sidechain", 2},
      {"value texts are case-sensitive", Detector, "sidechain", 0},
      {"enumeration without a match", Detector, "Nothing", 0},
      {"real value text", NamedEnds, "Max", 100},
      {"trailing text", Percent, "12.5 ms", 12.5},
      {"leading spaces", Percent, "  7", 7},
      {"explicit plus", Percent, "+5", 5},
      {"exponent", Percent, "1e1", 10},
      {"no number", Percent, "abc", 0},
      {"empty", Percent, "", 0},
      {"clamped", Percent, "150", 100},
      {"integer snaps", Steps, "2.5", 3},
      {"negated back", Negated, "-3", 3},
      {"negated", Negated, "3", -3},
      {"parser result is restricted", Parsed, "0.0421", 42},
      {"parser result is clamped", Parsed, "1", 100},
  };
  for (const ParseCase& c : cases) {
    EXPECT_EQ(c.make()->ParseText(c.text), c.expected) << c.what << ": \"" << c.text << "\"";
  }
}

// Numbers are read as C atof reads them, then restricted to the range (0 to 100 here).
TEST(Parameter, ParseTextReadsNumbersAsAtofDoes) {
  const struct {
    const char* text;
    double expected;
  } cases[] = {
      {"0x10", 16},
      {"0X1p4", 16},
      {"0x1.8p1", 3},
      {"0x", 0},
      {"inf", 100},
      {"-infinity", 0},
      {"nan", 0},
      {" \t\n7", 7},
      {"1e-400", 0},
      {"1e400", 100},
      {"-1e400", 0},
      {"+.5", 0.5},
      {"5.", 5},
      {"1e", 1},
      {".", 0},
      {"+-5", 0},
      {"12,5", 12},
      {"0x10 ms", 16},
      {"4.9e-324", 4.9e-324},
  };
  const auto param = Percent();
  for (const auto& c : cases) {
    EXPECT_EQ(param->ParseText(c.text), c.expected) << "\"" << c.text << "\"";
    EXPECT_EQ(param->ParseText(c.text), param->Restrict(std::atof(c.text))) << c.text;
  }
  const char* end = nullptr;
  EXPECT_EQ(fw::ReadLeadingNumber("0x1p4 Hz", &end), 16);
  EXPECT_STREQ(end, " Hz");
  EXPECT_EQ(fw::ReadLeadingNumber("Hz", &end), 0);
  EXPECT_STREQ(end, "Hz");
}

// Hosts may run with a locale that writes a decimal comma; texts stay with the point.
TEST(Parameter, TextsDoNotDependOnTheLocale) {
  const char* commaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "nl_NL.UTF-8"};
  const char* chosen = nullptr;
  for (const char* name : commaLocales) {
    if (std::setlocale(LC_ALL, name)) {
      chosen = name;
      break;
    }
  }
  if (!chosen) GTEST_SKIP() << "no locale with a decimal comma is installed";
  auto param = Percent();
  std::string out;
  param->FormatValue(12.5, false, out, true);
  const double parsed = param->ParseText("12.5");
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(out, "12.50") << chosen;
  EXPECT_EQ(parsed, 12.5) << chosen;
}

TEST(Parameter, LabelIsHiddenWhileTheCurrentValueHasAName) {
  const struct {
    const char* what;
    Factory make;
    double value;
    const char* expected;
  } cases[] = {
      {"named choice", Detector, 1, ""},
      {"unnamed choice", PartlyNamed, 2, "mode"},
      {"real", Percent, 50, "ms"},
      {"real truncated onto a name", NamedEnds, 100, ""},
      {"real with an empty name", NamedEnds, 0.5, "ms"},
  };
  for (const auto& c : cases) {
    auto param = c.make();
    param->SetValue(c.value);
    EXPECT_STREQ(param->Label(), c.expected) << c.what;
  }
}

TEST(Parameter, LongTextsAreCutToTheirFields) {
  const std::string longText(40, 'n');
  const std::string kept(31, 'n');
  Parameter param;
  param.Configure(longText.c_str(), 0, 0, 1, 1, longText.c_str(), fw::NoParamFlags,
                  longText.c_str(), Parameter::ShapeLinear(), 21);
  param.AddValueText(0, longText.c_str());
  EXPECT_EQ(param.Name(), kept);
  EXPECT_EQ(std::string(param.Label()), "");  // value 0 has a name
  EXPECT_EQ(param.Group(), kept);
  EXPECT_EQ(param.ValueTextFor(0), kept);
  param.SetValue(1);
  EXPECT_EQ(param.Label(), kept);
}

}  // namespace
